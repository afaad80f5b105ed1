#include "engine/input.h"
