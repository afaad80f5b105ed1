#include "game/map.h"
