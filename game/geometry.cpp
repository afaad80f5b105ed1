#include "game/geometry.h"

#include <cstdlib>

namespace {

bool valid(int32_t value) { return value >= 0 && value <= 5; }

// std::round followed by the conversion to int64_t, without the library call: this runs twice
// for every tile sample of every frame. The difference from the truncated value is exact for
// every double that converts to int64_t, so the result is the same.
int64_t round_half_away(double value) {
    const int64_t truncated = static_cast<int64_t>(value);
    const double rest = value - static_cast<double>(truncated);
    if (rest >= 0.5) return truncated + 1;
    if (rest <= -0.5) return truncated - 1;
    return truncated;
}

}  // namespace

Direction Direction::opposite() const {
    if (!valid(value)) return *this;
    return Direction(static_cast<Value>((value + 3) % 6));
}

int Direction::angle(Value other) const {
    const int d = std::abs(static_cast<int>(value) - static_cast<int>(other));
    return d <= 3 ? 60 * d : 60 * (6 - d);
}

GridPoint GridPoint::apply(Direction d) const {
    switch (d.value) {
        case Direction::NW:
            return {q, r - 1};
        case Direction::NE:
            return {q + 1, r - 1};
        case Direction::E:
            return {q + 1, r};
        case Direction::SE:
            return {q, r + 1};
        case Direction::SW:
            return {q - 1, r + 1};
        case Direction::W:
            return {q - 1, r};
    }
    return *this;
}

Point GridPoint::center() const {
    // Formed in double and truncated, as the pixel positions of every drawn tile rely on it.
    const double x = static_cast<double>(2 * q) * 16.0 + static_cast<double>(r) * 16.0;
    const double y = static_cast<double>(3 * r) * 16.0 * 0.5;
    return {static_cast<int64_t>(x), static_cast<int64_t>(y)};
}

Point GridPoint::draw_point() const {
    const Point c = center();
    return {c.x - 16, c.y - 16};
}

int64_t GridPoint::dist(const GridPoint& other) const {
    const int64_t dq = other.q - q;
    const int64_t dr = other.r - r;
    return (std::abs(dq) + std::abs(dr) + std::abs(dq + dr)) >> 1;
}

GridPoint Point::to_grid() const {
    // The two axes are rounded independently (no cube rounding), halves away from zero, which
    // decides the boundary pixels.
    const double yu = static_cast<double>(y) * 0.0625;
    const int64_t r = round_half_away((yu + yu) / 3.0);
    const int64_t q = round_half_away(static_cast<double>(x) * 0.0625 * 0.5 - yu / 3.0);
    return {q, r};
}
