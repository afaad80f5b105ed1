#include "engine/game.h"
