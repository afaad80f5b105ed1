#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>

#include "game/world/camera.h"
#include "game/world/geometry.h"

namespace {

const Direction::Value kAll[] = {Direction::NW, Direction::NE, Direction::E,
                                 Direction::SE, Direction::SW, Direction::W};

}  // namespace

TEST(GridPoint, CentresAndDrawPoints) {
    EXPECT_EQ((GridPoint{0, 0}.center()), (Point{0, 0}));
    EXPECT_EQ((GridPoint{0, 0}.draw_point()), (Point{-16, -16}));
    EXPECT_EQ((GridPoint{1, 1}.center()), (Point{48, 24}));
    EXPECT_EQ((GridPoint{-1, 2}.center()), (Point{0, 48}));
    EXPECT_EQ((GridPoint{-3, -5}.center()), (Point{-176, -120}));
    EXPECT_EQ((GridPoint{-3, -5}.draw_point()), (Point{-192, -136}));
}

TEST(GridPoint, NeighboursFollowTheDirectionTable) {
    const GridPoint start{4, -7};
    const Point c = start.center();
    const Point offsets[] = {{-16, -24}, {16, -24}, {32, 0}, {16, 24}, {-16, 24}, {-32, 0}};
    for (int i = 0; i < 6; ++i) {
        const Point n = start.apply(kAll[i]).center();
        EXPECT_EQ((Point{n.x - c.x, n.y - c.y}), offsets[i]) << "direction " << i;
        EXPECT_EQ(start.dist(start.apply(kAll[i])), 1);
    }
    EXPECT_EQ(start.apply(Direction::NW), (GridPoint{4, -8}));
    EXPECT_EQ(start.apply(Direction::SW), (GridPoint{3, -6}));
}

TEST(GridPoint, ApplyThenOppositeReturnsToStart) {
    const GridPoint start{-2, 9};
    for (Direction::Value d : kAll) {
        EXPECT_EQ(start.apply(d).apply(Direction(d).opposite()), start) << "direction " << d;
    }
}

TEST(GridPoint, DirectionOutsideTheTableStaysPut) {
    const GridPoint start{3, 3};
    EXPECT_EQ(start.apply(Direction(static_cast<Direction::Value>(6))), start);
    EXPECT_EQ(start.apply(Direction(static_cast<Direction::Value>(-1))), start);
}

TEST(GridPoint, HexDistance) {
    const GridPoint origin{0, 0};
    EXPECT_EQ(origin.dist(origin), 0);
    EXPECT_EQ(origin.dist({2, -1}), 2);
    EXPECT_EQ(origin.dist({3, -3}), 3);
    EXPECT_EQ(origin.dist({-2, 1}), 2);
    EXPECT_EQ(origin.dist({-2, -3}), 5);
    EXPECT_EQ((GridPoint{5, -1}.dist({-2, 1})), 7);
    EXPECT_EQ((GridPoint{-2, 1}.dist({5, -1})), 7);
}

TEST(GridPoint, HashFollowsTheMixingFormula) {
    const std::hash<GridPoint> hash;
    EXPECT_EQ(hash({0, 0}), 0x9e3779b9u);
    EXPECT_EQ(hash({1, 0}), 1u ^ (0x9e3779b9u + 64u));
    // Negative values wrap as unsigned 64-bit, and the right shift is logical.
    const uint64_t q = static_cast<uint64_t>(int64_t{-1});
    const uint64_t expected = q ^ (uint64_t{2} + 0x9e3779b9u + (q << 6) + (q >> 2));
    EXPECT_EQ(hash({-1, 2}), expected);

    std::unordered_map<GridPoint, int> map;
    map[{-1, 2}] = 5;
    map[{2, -1}] = 6;
    EXPECT_EQ(map.at({-1, 2}), 5);
    EXPECT_EQ(map.at({2, -1}), 6);
}

TEST(GridPoint, FarEndsOfTheGridStayDefined) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    // Distances too large for 64 bits pin to the largest value instead of wrapping to "near".
    EXPECT_EQ((GridPoint{kMin, 0}.dist({kMax, 0})), kMax);
    EXPECT_EQ((GridPoint{kMax, kMin}.dist({kMin, kMax})), kMax);
    EXPECT_EQ((GridPoint{0, 0}.dist({kMin, 0})), kMax);
    EXPECT_EQ((GridPoint{kMax, 0}.dist({kMax - 5, 2})), 5);
    // A distance that still fits is exact, even where the sum of the three terms would not.
    EXPECT_EQ((GridPoint{0, 0}.dist({kMax / 2, kMax / 2})), kMax / 2 * 2);

    // Pixel positions beyond the 64-bit range pin to its ends, keeping their direction.
    EXPECT_EQ((GridPoint{kMax, 0}.center()), (Point{kMax, 0}));
    EXPECT_EQ((GridPoint{kMin, 0}.center()), (Point{kMin, 0}));
    EXPECT_EQ((GridPoint{int64_t{1} << 61, 0}.center().x), kMax);
    EXPECT_EQ((GridPoint{0, kMin}.center()), (Point{kMin, kMin}));
    EXPECT_EQ((GridPoint{0, kMax / 2}.center()), (Point{kMax, kMax}));
    EXPECT_EQ((GridPoint{kMin, 0}.draw_point()), (Point{kMin, -16}));
    // Where the exact product still fits, the double formula is kept as it is.
    const int64_t far = int64_t{1} << 50;
    EXPECT_EQ((GridPoint{far, -far}.center()), (Point{16 * far, -24 * far}));

    // Stepping off either end wraps round, so every step can be undone.
    EXPECT_EQ((GridPoint{kMax, 0}.apply(Direction::E)), (GridPoint{kMin, 0}));
    EXPECT_EQ((GridPoint{0, kMin}.apply(Direction::NW)), (GridPoint{0, kMax}));
    for (const GridPoint corner :
         {GridPoint{kMax, kMax}, GridPoint{kMin, kMin}, GridPoint{kMax, kMin}}) {
        for (Direction::Value d : kAll) {
            EXPECT_EQ(corner.apply(d).apply(Direction(d).opposite()), corner);
        }
    }

    // Any pixel at all has a tile, and the rounding stays half away from zero out there.
    for (const Point p :
         {Point{kMax, kMax}, Point{kMin, kMin}, Point{kMin, kMax}, Point{kMax, 0}}) {
        const double yu = static_cast<double>(p.y) * 0.0625;
        const GridPoint expected{std::llround(static_cast<double>(p.x) * 0.0625 * 0.5 - yu / 3.0),
                                 std::llround((yu + yu) / 3.0)};
        EXPECT_EQ(p.to_grid(), expected);
    }
}

TEST(Direction, AnglesOfUnknownValuesStayDefined) {
    const auto low = static_cast<Direction::Value>(std::numeric_limits<int32_t>::min());
    const auto high = static_cast<Direction::Value>(std::numeric_limits<int32_t>::max());
    EXPECT_EQ(Direction(Direction::NW).angle(static_cast<Direction::Value>(7)), 60 * (6 - 7));
    EXPECT_EQ(Direction(low).angle(Direction::NW), Direction(Direction::NW).angle(low));
    EXPECT_EQ(Direction(high).angle(low), Direction(low).angle(high));
}

TEST(Direction, OppositePairsAndOutOfRange) {
    EXPECT_EQ(Direction(Direction::NW).opposite(), Direction::SE);
    EXPECT_EQ(Direction(Direction::NE).opposite(), Direction::SW);
    EXPECT_EQ(Direction(Direction::E).opposite(), Direction::W);
    EXPECT_EQ(Direction(Direction::W).opposite(), Direction::E);
    const auto outside = static_cast<Direction::Value>(7);
    EXPECT_EQ(Direction(outside).opposite(), outside);
}

TEST(Direction, AnglesAreSymmetric) {
    EXPECT_EQ(Direction(Direction::NW).angle(Direction::W), 60);
    EXPECT_EQ(Direction(Direction::NW).angle(Direction::SE), 180);
    EXPECT_EQ(Direction(Direction::NE).angle(Direction::W), 120);
    for (Direction::Value a : kAll) {
        EXPECT_EQ(Direction(a).angle(a), 0);
        for (Direction::Value b : kAll) EXPECT_EQ(Direction(a).angle(b), Direction(b).angle(a));
    }
}

TEST(Point, PixelBoundaries) {
    EXPECT_EQ((Point{0, 12}.to_grid()), (GridPoint{0, 1}));
    EXPECT_EQ((Point{0, 11}.to_grid()), (GridPoint{0, 0}));
    EXPECT_EQ((Point{0, -12}.to_grid().r), -1);
    EXPECT_EQ((Point{0, -11}.to_grid().r), 0);
    EXPECT_EQ((Point{16, 0}.to_grid().q), 1);
    EXPECT_EQ((Point{15, 0}.to_grid().q), 0);
    EXPECT_EQ((Point{-16, 0}.to_grid().q), -1);
    EXPECT_EQ((Point{-15, 0}.to_grid().q), 0);
    // Within row 1 the boundary between q = 0 and q = 1 is x = 16 + 2/3 y.
    EXPECT_EQ((Point{31, 24}.to_grid()), (GridPoint{0, 1}));
    EXPECT_EQ((Point{32, 24}.to_grid()), (GridPoint{1, 1}));
}

TEST(Point, RoundsEachAxisToTheNearestHalvesAwayFromZero) {
    for (int64_t y = -600; y <= 600; ++y) {
        const double yu = static_cast<double>(y) * 0.0625;
        const auto r = static_cast<int64_t>(std::round((yu + yu) / 3.0));
        for (int64_t x = -600; x <= 600; ++x) {
            const auto q = static_cast<int64_t>(std::round(static_cast<double>(x) / 32 - yu / 3.0));
            ASSERT_EQ((Point{x, y}.to_grid()), (GridPoint{q, r})) << x << ", " << y;
        }
    }
    const int64_t far = int64_t{1} << 51;  // where doubles still hold halves
    EXPECT_EQ((Point{far * 32, 0}.to_grid()), (GridPoint{far, 0}));
    EXPECT_EQ((Point{-far * 32 - 16, 0}.to_grid()), (GridPoint{-far - 1, 0}));
}

TEST(Point, EveryCentreMapsBackToItsTile) {
    for (int64_t r = -300; r <= 300; ++r) {
        for (int64_t q = -300; q <= 300; ++q) {
            const GridPoint p{q, r};
            ASSERT_EQ(p.center().to_grid(), p) << q << ", " << r;
        }
    }
    for (int64_t far : {int64_t{1} << 30, -(int64_t{1} << 30)}) {
        const GridPoint p{far, -far / 2};
        EXPECT_EQ(p.center().to_grid(), p);
    }
}

TEST(Clamp, LowTestComesFirst) {
    EXPECT_EQ(clamp(5, 10, 20), 10);
    EXPECT_EQ(clamp(25, 10, 20), 20);
    EXPECT_EQ(clamp(15, 10, 20), 15);
    EXPECT_EQ(clamp(5, 20, 10), 20);
    EXPECT_EQ(clamp(15, 20, 10), 20);
    EXPECT_EQ(clamp(25, 20, 10), 10);
}
