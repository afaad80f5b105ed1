#include "engine/menu.h"
