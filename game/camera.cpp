#include "game/camera.h"

double clamp(double value, double low, double high) {
    if (low > value) return low;
    if (high < value) return high;
    return value;
}
