#include "game/view/camera_shake.h"

#include <cmath>

Point CameraShake::shaken_offset(const Camera& camera) const {
    // The y sample is drawn first; the pictures of a replay depend on that order.
    const double sy = jitter(rng);
    const long long oy = std::llround(sy * camera.shake_amount + camera.y);
    const double sx = jitter(rng);
    const long long ox = std::llround(sx * camera.shake_amount + camera.x);
    return Point{static_cast<int64_t>(ox), static_cast<int64_t>(oy)};
}
