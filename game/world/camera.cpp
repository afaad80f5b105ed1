#include "game/world/camera.h"

#include <algorithm>
#include <cmath>

namespace {

// Shares of the view, written as the doubles they were tuned as: 426.23999999999995 is one
// unit in the last place below 426.24, 960.6399999999999 one below 960.64.
constexpr double kInnerLeft = 426.23999999999995;
constexpr double kInnerTop = 180.0;
constexpr double kInnerRight = 853.76;
constexpr double kInnerBottom = 360.0;
constexpr double kOuterLeft = 319.36;
constexpr double kOuterTop = 90.0;
constexpr double kOuterRight = 960.6399999999999;
constexpr double kOuterBottom = 540.0;

constexpr double kPixelsPerMs = 0.07;

}  // namespace

double clamp(double value, double low, double high) {
    if (low > value) return low;
    if (high < value) return high;
    return value;
}

Camera::Camera(unsigned int seed, Point head)
    : x(static_cast<double>(head.x - kViewWidth / 2)),
      y(static_cast<double>(head.y - kViewHeight / 2)),
      rng(seed) {}

Rect Camera::inner_focus() const {
    return Rect(x + kInnerLeft, y + kInnerTop, x + kInnerRight, y + kInnerBottom);
}

Rect Camera::outer_focus() const {
    return Rect(x + kOuterLeft, y + kOuterTop, x + kOuterRight, y + kOuterBottom);
}

void Camera::update(Point head, unsigned int elapsed_ms) {
    double step = elapsed_ms * kPixelsPerMs;
    const double hx = static_cast<double>(head.x);
    const double hy = static_cast<double>(head.y);
    const Rect inner = inner_focus();
    const Rect outer = outer_focus();
    if (!outer.contains(hx, hy)) step *= 2;

    // Never more than the distance to the zone's edge, so the head stops right on it.
    if (hx < inner.left) {
        x -= std::min(step, inner.left - hx);
    } else if (hx > inner.right) {
        x += std::min(step, hx - inner.right);
    }
    if (hy < inner.top) {
        y -= std::min(step, inner.top - hy);
    } else if (hy > inner.bottom) {
        y += std::min(step, hy - inner.bottom);
    }

    // However slow the follow, the head never leaves the view.
    x = clamp(x, static_cast<double>(head.x - kViewWidth), static_cast<double>(head.x));
    y = clamp(y, static_cast<double>(head.y - kViewHeight), static_cast<double>(head.y));

    shake_amount = 0.0;
}

void Camera::shake(double amount) {
    if (amount > shake_amount) shake_amount = std::min(amount, 1.0);
}

Point Camera::shaken_offset() const {
    // The y sample is drawn first; replays depend on that order.
    const double sy = jitter(rng);
    const long long oy = std::llround(sy * shake_amount + y);
    const double sx = jitter(rng);
    const long long ox = std::llround(sx * shake_amount + x);
    return Point{static_cast<int64_t>(ox), static_cast<int64_t>(oy)};
}
