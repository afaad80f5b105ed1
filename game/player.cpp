#include "game/player.h"
