#include "engine/particle.h"
