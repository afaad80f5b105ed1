#include "engine/parallax_backdrop.h"
