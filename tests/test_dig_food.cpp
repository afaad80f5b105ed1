#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "game/world/map.h"
#include "tests/support/support.h"

namespace {

using test::find_tile;

using TileType = Map::TileType;

constexpr unsigned kSeed = 77031;

class Digging : public ::testing::Test {
protected:
    Map map{kSeed};
};

// The engine a map of `seed` should have after `attempts` food attempts.
std::mt19937 engine_after(unsigned seed, int attempts) {
    std::mt19937 engine(seed);
    engine.discard(2 + 6 * attempts);
    return engine;
}

}  // namespace

// Dig reports the kind the tile had: the digger makes a sound of rock, and only of rock.
TEST_F(Digging, SkyAndTunnelStayAsTheyAre) {
    EXPECT_EQ(map.dig({0, 0}), TileType::Sky);
    EXPECT_EQ(map.dig(find_tile(map, TileType::Tunnel)), TileType::Tunnel);
    EXPECT_TRUE(map.tile_overrides.empty());
}

TEST_F(Digging, SoilBecomesTunnelOnce) {
    for (TileType kind : {TileType::Dirt, TileType::HardDirt}) {
        const GridPoint p = find_tile(map, kind);
        const size_t before = map.tile_overrides.size();
        EXPECT_EQ(map.dig(p), kind);
        EXPECT_EQ(map.get_tile(p), TileType::Tunnel);
        EXPECT_TRUE(map.open(p));
        EXPECT_EQ(map.dig(p), TileType::Tunnel);
        EXPECT_EQ(map.tile_overrides.size(), before + 1);
    }
}

TEST_F(Digging, RockBecomesTunnelAndSaysItWasRock) {
    const GridPoint rock = find_tile(map, TileType::Rock);
    EXPECT_EQ(map.dig(rock), TileType::Rock);
    EXPECT_EQ(map.get_tile(rock), TileType::Tunnel);
    EXPECT_EQ(map.dig(rock), TileType::Tunnel);
}

TEST_F(Digging, FoodSurvivesTheDig) {
    const GridPoint p = find_tile(map, TileType::Dirt);
    map.food[p] = 1;
    map.dig(p);
    EXPECT_EQ(map.eat_food(p), 2);
}

TEST(Food, EatingReturnsTheValueOnce) {
    Map map(kSeed);
    EXPECT_EQ(map.eat_food({3, 40}), 0);
    EXPECT_TRUE(map.food.empty());
    map.food[{3, 40}] = 2;
    map.food[{4, 40}] = 0;
    EXPECT_EQ(map.eat_food({3, 40}), 3);
    EXPECT_EQ(map.eat_food({3, 40}), 0);
    EXPECT_EQ(map.eat_food({4, 40}), 1);
    EXPECT_TRUE(map.food.empty());
}

TEST(Food, SameSeedPlacesTheSameItems) {
    Map a(kSeed);
    Map b(kSeed);
    for (int i = 0; i < 300; ++i) {
        const GridPoint origin{-i / 3, 20 + i};
        a.spawn_food(origin);
        b.spawn_food(origin);
    }
    EXPECT_EQ(a.food, b.food);
    EXPECT_GT(a.food.size(), 30u);
    EXPECT_EQ(a.rng, engine_after(kSeed, 300));
}

TEST(Food, LandsOnlyInSoilAndOnlyTheBestKindInHardSoil) {
    Map map(kSeed);
    std::array<int, 4> kinds{};
    for (int i = 0; i < 2000; ++i) map.spawn_food({i % 40 - 100, 15 + i / 4});
    for (const auto& [p, kind] : map.food) {
        ASSERT_GE(kind, 0);
        ASSERT_LE(kind, 3);
        ++kinds[kind];
        const TileType tile = map.get_tile(p);
        EXPECT_TRUE(tile == TileType::Dirt || (tile == TileType::HardDirt && kind == 3))
            << p.q << ", " << p.r << " kind " << kind;
    }
    // Cheap food is the most common, and every kind turns up.
    EXPECT_GT(kinds[0], kinds[1]);
    for (int count : kinds) EXPECT_GT(count, 0);
}

TEST(Food, LandsWhereTheDrawsPointIt) {
    // The same attempts replayed through the standard distribution, which the explicit
    // formula must agree with on this library.
    Map map(kSeed);
    std::mt19937 engine = engine_after(kSeed, 0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int placed = 0;
    for (int i = 0; i < 200; ++i) {
        const GridPoint origin{i - 150, 30 + i};
        const double u1 = unit(engine);
        const double u2 = unit(engine);
        const double u3 = unit(engine);
        const double angle = (u1 * 4 + 1) * std::numbers::pi / 6;
        const double distance = (u2 * 10 + 15) * 16;
        const Point c = origin.center();
        const GridPoint g = Point{c.x + static_cast<int64_t>(std::cos(angle) * distance),
                                  c.y + static_cast<int64_t>(distance * std::sin(angle))}
                                .to_grid();
        const int kind = static_cast<int>(std::floor(4 * u3 * u3 * u3));
        const bool takes = map.get_tile(g) == TileType::Dirt ||
                           (map.get_tile(g) == TileType::HardDirt && kind == 3);
        const bool free = !map.food.contains(g);

        map.spawn_food(origin);
        if (takes && free) {
            ASSERT_TRUE(map.food.contains(g)) << "attempt " << i;
            EXPECT_EQ(map.food.at(g), kind);
            ++placed;
        }
        ASSERT_EQ(map.rng, engine) << "attempt " << i;
    }
    EXPECT_GT(placed, 20);
}

TEST(Food, FailedAttemptsStillTakeSixDraws) {
    // From high in the sky every target is sky.
    Map sky(kSeed);
    for (int i = 0; i < 10; ++i) sky.spawn_food({0, -200});
    EXPECT_TRUE(sky.food.empty());
    EXPECT_EQ(sky.rng, engine_after(kSeed, 10));

    // A target that already holds food keeps its item.
    Map first(kSeed);
    GridPoint origin{0, 40};
    while (first.food.empty()) {
        origin.r += 1;
        first = Map(kSeed);
        first.spawn_food(origin);
    }
    const auto [target, kind] = *first.food.begin();
    Map second(kSeed);
    second.food[target] = (kind + 1) % 4;
    second.spawn_food(origin);
    EXPECT_EQ(second.food.size(), 1u);
    EXPECT_EQ(second.food.at(target), (kind + 1) % 4);
    EXPECT_EQ(second.rng, engine_after(kSeed, 1));
}
