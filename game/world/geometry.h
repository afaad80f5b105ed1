// Hex grid geometry: pointy-top tiles in axial coordinates, world pixels, distances.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// One of the six neighbour directions, numbered clockwise from the upper left. Adding 1
// modulo 6 turns 60 degrees clockwise, adding 5 turns 60 degrees counter-clockwise.
class Direction {
public:
    enum Value : int32_t { NW = 0, NE = 1, E = 2, SE = 3, SW = 4, W = 5 };

    constexpr Direction(Value v = NW) : value(v) {}
    // For the modulo-6 arithmetic: Direction(static_cast<Direction::Value>((d + 1) % 6)).
    constexpr operator Value() const { return value; }

    Direction opposite() const;
    int angle(Value other) const;  // 0, 60, 120 or 180 degrees

    Value value;
};

struct Point;

// Axial tile coordinate; the tile (q, r + 1) lies 16 px right of and 24 px below (q, r).
struct GridPoint {
    int64_t q = 0;
    int64_t r = 0;

    // At the ends of the 64-bit range, far beyond anything reachable in play, the grid wraps
    // round, pixel positions pin to the range's ends and distances to its largest value.
    GridPoint apply(Direction d) const;  // the neighbour in that direction
    Point center() const;                // world pixel at the tile's centre
    Point draw_point() const;            // top-left corner of the tile's 32x32 sprite
    int64_t dist(const GridPoint& other) const;

    bool operator==(const GridPoint&) const = default;
};

// World pixel: x to the right, y downwards.
struct Point {
    int64_t x = 0;
    int64_t y = 0;

    GridPoint to_grid() const;  // the tile containing this pixel

    bool operator==(const Point&) const = default;
};

// Point::to_grid for many pixels of one row, the row's share worked out once: drawing asks for
// thousands of samples a frame, a few dozen per row.
class PixelRow {
public:
    explicit PixelRow(int64_t y);
    GridPoint to_grid(int64_t x) const {
        return {round_half_away(static_cast<double>(x) * 0.0625 * 0.5 - third), r};
    }

private:
    // std::round followed by the conversion to int64_t, without the library call. The
    // difference from the truncated value is exact for every double that converts to int64_t,
    // so the result is the same.
    static int64_t round_half_away(double value) {
        const int64_t truncated = static_cast<int64_t>(value);
        const double rest = value - static_cast<double>(truncated);
        if (rest >= 0.5) return truncated + 1;
        if (rest <= -0.5) return truncated - 1;
        return truncated;
    }

    double third;  // a third of the row in tile units, which q is measured from
    int64_t r;
};

template <>
struct std::hash<GridPoint> {
    std::size_t operator()(const GridPoint& p) const noexcept {
        const uint64_t q = static_cast<uint64_t>(p.q);
        const uint64_t r = static_cast<uint64_t>(p.r);
        return static_cast<std::size_t>(q ^ (r + 0x9e3779b9u + (q << 6) + (q >> 2)));
    }
};
