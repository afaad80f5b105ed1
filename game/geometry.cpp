#include "game/geometry.h"
