#include "game/world/camera.h"

#include <algorithm>

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

Camera::Camera(Point head)
    : x(static_cast<double>(head.x - kViewWidth / 2)),
      y(static_cast<double>(head.y - kViewHeight / 2)) {}

Camera::Zone Camera::inner_focus() const {
    return {x + kInnerLeft, y + kInnerTop, x + kInnerRight, y + kInnerBottom};
}

Camera::Zone Camera::outer_focus() const {
    return {x + kOuterLeft, y + kOuterTop, x + kOuterRight, y + kOuterBottom};
}

void Camera::update(Point head, unsigned int elapsed_ms) {
    double step = elapsed_ms * kPixelsPerMs;
    const double hx = static_cast<double>(head.x);
    const double hy = static_cast<double>(head.y);
    const Zone inner = inner_focus();
    const Zone outer = outer_focus();
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
