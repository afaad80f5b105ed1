#include "game/title_screen.h"
