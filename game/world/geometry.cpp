#include "game/world/geometry.h"

#include <cstdlib>
#include <limits>

namespace {

bool valid(int32_t value) { return value >= 0 && value <= 5; }

// The grid wraps round at the ends of the 64-bit range, so that every step can be taken back.
// Nothing in play gets anywhere near them.
int64_t wrapping_add(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}

// Pixel positions past the 64-bit range pin to its ends instead of being undefined.
int64_t saturate(double value) {
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (value >= kLimit) return std::numeric_limits<int64_t>::max();
    if (value < -kLimit) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

int64_t saturating_sub(int64_t a, int64_t b) {
    int64_t result = 0;
    if (!__builtin_sub_overflow(a, b, &result)) return result;
    return b > 0 ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
}

}  // namespace

Direction Direction::opposite() const {
    if (!valid(value)) return *this;
    return Direction(static_cast<Value>((value + 3) % 6));
}

int Direction::angle(Value other) const {
    // Wide enough for any two stored values, valid or not.
    const int64_t d = std::abs(int64_t{value} - int64_t{other});
    return static_cast<int>(d <= 3 ? 60 * d : 60 * (6 - d));
}

GridPoint GridPoint::apply(Direction d) const {
    switch (d.value) {
        case Direction::NW:
            return {q, wrapping_add(r, -1)};
        case Direction::NE:
            return {wrapping_add(q, 1), wrapping_add(r, -1)};
        case Direction::E:
            return {wrapping_add(q, 1), r};
        case Direction::SE:
            return {q, wrapping_add(r, 1)};
        case Direction::SW:
            return {wrapping_add(q, -1), wrapping_add(r, 1)};
        case Direction::W:
            return {wrapping_add(q, -1), r};
    }
    return *this;
}

Point GridPoint::center() const {
    // Formed in double and truncated, as the pixel positions of every drawn tile rely on it.
    // Doubling in double gives exactly the double of 2q; 3r is formed exactly while it fits.
    int64_t three_r = 0;
    const double triple_r = __builtin_mul_overflow(r, 3, &three_r) ? 3.0 * static_cast<double>(r)
                                                                   : static_cast<double>(three_r);
    const double x = 2.0 * static_cast<double>(q) * 16.0 + static_cast<double>(r) * 16.0;
    const double y = triple_r * 16.0 * 0.5;
    return {saturate(x), saturate(y)};
}

Point GridPoint::draw_point() const {
    const Point c = center();
    return {saturating_sub(c.x, 16), saturating_sub(c.y, 16)};
}

int64_t GridPoint::dist(const GridPoint& other) const {
    // In 128 bits the differences and their sum cannot overflow; a distance past the 64-bit
    // range pins to its end, so far things never look near.
    const __int128 dq = static_cast<__int128>(other.q) - q;
    const __int128 dr = static_cast<__int128>(other.r) - r;
    const auto magnitude = [](__int128 v) { return v < 0 ? -v : v; };
    const __int128 d = (magnitude(dq) + magnitude(dr) + magnitude(dq + dr)) >> 1;
    const __int128 most = std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(d > most ? most : d);
}

PixelRow::PixelRow(int64_t y) {
    // The two axes are rounded independently (no cube rounding), halves away from zero, which
    // decides the boundary pixels.
    const double yu = static_cast<double>(y) * 0.0625;
    r = round_half_away((yu + yu) / 3.0);
    third = yu / 3.0;
}

GridPoint Point::to_grid() const { return PixelRow(y).to_grid(x); }
