#include "game/centipede.h"
