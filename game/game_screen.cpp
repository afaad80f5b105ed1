#include "game/game_screen.h"
