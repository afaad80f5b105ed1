#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <tuple>
#include <vector>

#include "engine/graphics.h"
#include "game/view/centipede_view.h"
#include "game/world/centipede.h"
#include "game/world/map.h"
#include "tests/support/support.h"

namespace {

constexpr unsigned int kSeed = 1234;

GridPoint walk(GridPoint p, Direction d, int times) {
    for (int i = 0; i < times; ++i) p = p.apply(d);
    return p;
}

// The cells a step digs: the new head and its two flank cells on the tail side.
std::vector<GridPoint> three_cells(const GridPoint& head, Direction facing) {
    if (facing == Direction::W) return {head, head.apply(Direction::NE), head.apply(Direction::SE)};
    return {head, head.apply(Direction::NW), head.apply(Direction::SW)};
}

// A row below the surface where the next head position and both flank cells are soil.
GridPoint find_solid_step(const Map& map, Direction facing) {
    for (int64_t r = 30; r < 200; ++r) {
        for (int64_t q = -40; q < 40; ++q) {
            const GridPoint head{q, r};
            bool solid = true;
            for (const GridPoint& cell : three_cells(head.apply(facing), facing)) {
                const Map::TileType t = map.get_tile(cell);
                solid = solid && (t == Map::TileType::Dirt || t == Map::TileType::HardDirt);
            }
            if (solid) return head;
        }
    }
    ADD_FAILURE() << "no solid spot found";
    return {};
}

class CentipedeWorld : public ::testing::Test {
protected:
    GameEvents events;
    Map map{kSeed};
};

TEST_F(CentipedeWorld, StepsOnlyAfterMoreThan100Ms) {
    Centipede pede({0, 2}, 6, Direction::W);
    pede.update(events, map, 100);
    EXPECT_EQ(pede.head, (GridPoint{0, 2}));
    EXPECT_EQ(pede.step_timer, 100);
    pede.update(events, map, 1);
    EXPECT_EQ(pede.head, (GridPoint{-1, 2}));
    EXPECT_EQ(pede.step_timer, 1);
}

TEST_F(CentipedeWorld, TakesOneStepPerUpdateAndKeepsTheExcess) {
    Centipede pede({0, 2}, 6, Direction::E);
    pede.update(events, map, 250);
    EXPECT_EQ(pede.head, (GridPoint{1, 2}));
    EXPECT_EQ(pede.step_timer, 150);
    pede.update(events, map, 0);
    EXPECT_EQ(pede.head, (GridPoint{2, 2}));
    EXPECT_EQ(pede.step_timer, 50);
    pede.update(events, map, 0);
    EXPECT_EQ(pede.head, (GridPoint{2, 2}));
}

TEST_F(CentipedeWorld, HugeElapsedTimeDoesNotOverflowTheTimer) {
    Centipede pede({0, 2}, 6, Direction::E);
    pede.step_timer = 50;
    pede.update(events, map, 4'000'000'000u);
    EXPECT_EQ(pede.head, (GridPoint{1, 2}));
    EXPECT_GT(pede.step_timer, 100);
}

TEST_F(CentipedeWorld, StepDigsAndClearsFoodInAllThreeCells) {
    for (Direction facing : {Direction::W, Direction::E}) {
        SCOPED_TRACE(facing.value);
        const GridPoint start = find_solid_step(map, facing);
        const std::vector<GridPoint> cells = three_cells(start.apply(facing), facing);
        for (const GridPoint& cell : cells) map.food[cell] = 2;
        const GridPoint elsewhere = walk(start, facing, 2);
        map.food[elsewhere] = 1;

        Centipede pede(start, 8, facing);
        pede.update(events, map, 101);
        for (const GridPoint& cell : cells) {
            EXPECT_EQ(map.get_tile(cell), Map::TileType::Tunnel);
            EXPECT_EQ(map.food.count(cell), 0u);
        }
        EXPECT_EQ(map.food.count(elsewhere), 1u);
        map.food.clear();
    }
}

TEST_F(CentipedeWorld, StepThroughOpenCellsStillRemovesFood) {
    // Row 2 is sky everywhere: nothing to dig, but the food there is destroyed all the same.
    Centipede pede({5, 2}, 6, Direction::W);
    const std::vector<GridPoint> cells = three_cells({4, 2}, Direction::W);
    for (const GridPoint& cell : cells) map.food[cell] = 0;
    pede.update(events, map, 101);
    EXPECT_TRUE(map.food.empty());
    EXPECT_TRUE(map.tile_overrides.empty());
}

// The occupied cells, built walk by walk rather than by arithmetic on q.
std::set<std::pair<int64_t, int64_t>> expected_cells(GridPoint head, int length, Direction facing) {
    const Direction back = facing == Direction::W ? Direction::E : Direction::W;
    const Direction up = facing == Direction::W ? Direction::NE : Direction::NW;
    const Direction down = facing == Direction::W ? Direction::SE : Direction::SW;
    std::set<std::pair<int64_t, int64_t>> cells;
    for (int i = 0; i < length; ++i) {
        for (GridPoint start : {head, head.apply(up), head.apply(down)}) {
            const GridPoint c = walk(start, back, i);
            cells.insert({c.q, c.r});
        }
    }
    const GridPoint beyond = walk(head, back, length + 1);
    cells.insert({beyond.q, beyond.r});
    return cells;
}

TEST(Centipede, TouchesItsThreeRowsAndTheCellPastTheTailTip) {
    const GridPoint head{3, -5};
    for (Direction facing : {Direction::W, Direction::E}) {
        SCOPED_TRACE(facing.value);
        const Centipede pede(head, 6, facing);
        const auto expected = expected_cells(head, 6, facing);
        EXPECT_EQ(expected.size(), 19u);
        for (int64_t r = head.r - 3; r <= head.r + 3; ++r) {
            for (int64_t q = head.q - 12; q <= head.q + 12; ++q) {
                EXPECT_EQ(pede.touching({q, r}), expected.count({q, r}) == 1) << q << "," << r;
            }
        }
        const Direction back = facing == Direction::W ? Direction::E : Direction::W;
        EXPECT_FALSE(pede.touching(walk(head, back, 6)));  // where the tail tip is drawn
        EXPECT_TRUE(pede.touching(walk(head, back, 7)));
    }
}

TEST(Centipede, WithoutLengthTouchesOnlyTheCellPastTheTail) {
    const Centipede pede({0, 0}, 0, Direction::W);
    EXPECT_TRUE(pede.touching({1, 0}));
    EXPECT_FALSE(pede.touching({0, 0}));
    EXPECT_FALSE(pede.touching({1, -1}));
}

TEST(Centipede, CellsAtTheFarEndsOfTheGridAreNotTouching) {
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    for (Direction facing : {Direction::W, Direction::E}) {
        SCOPED_TRACE(facing.value);
        const Centipede pede({5, 0}, 6, facing);
        for (int64_t r : {-1, 0, 1}) {
            EXPECT_FALSE(pede.touching({kMin, r}));
            EXPECT_FALSE(pede.touching({kMax, r}));
        }
        const Centipede far({kMin + 20, 0}, 6, facing);
        EXPECT_FALSE(far.touching({kMax, 0}));
    }
}

TEST(Centipede, LegFramesStayDefinedAtTheFarEndsOfTheGrid) {
    auto graphics = test::make_graphics();
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;
    graphics->blit_log_only = true;
    // |q + r| is 2^63 + 1 here, beyond int64_t; 11 × that leaves 3 modulo 8.
    const Centipede pede({std::numeric_limits<int64_t>::min(), -1}, 6, Direction::W);
    CentipedeView().draw_legs(*graphics, pede, 0, 0, 0);
    CentipedeView().draw_legs(*graphics, pede, 0, 0, 9);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].source.x, 3 * 32);
    EXPECT_EQ(log[0].source.y, 0);
    EXPECT_EQ(log[1].source.x, 4 * 32);
    EXPECT_EQ(log[1].source.y, 32);
}

// Drawing: checked against the blit log.
using Blit = std::tuple<int, int, int, bool>;  // frame, x, y, mirrored

std::vector<Blit> record(const Centipede& pede, long cam_x, long cam_y) {
    auto graphics = test::make_graphics();
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;
    graphics->blit_log_only = true;
    CentipedeView().draw(*graphics, pede, cam_x, cam_y);
    std::vector<Blit> blits;
    for (const auto& b : log) {
        EXPECT_EQ(b.image, "pedes.png");
        EXPECT_EQ(b.source.w, 32);
        EXPECT_EQ(b.destination.w, 32);
        EXPECT_EQ(b.destination.h, 32);
        EXPECT_EQ(b.angle, 0.0);
        blits.emplace_back(b.source.y / 32 * 8 + b.source.x / 32, b.destination.x, b.destination.y,
                           b.flip == Graphics::FlipDirection::Horizontal);
    }
    return blits;
}

int leg(int phase, int k) { return k <= 7 ? (phase + k) % 8 : 8 + (phase + k) % 8; }

TEST(Centipede, DrawsALength3CentipedeFacingWestPieceByPiece) {
    // Head (2, 1): draw point (64 + 16 - 16, 24 - 16) = (64, 8); camera (10, -20).
    const Centipede pede({2, 1}, 3, Direction::W);
    const int X = 54, Y = 28, p = 33;   // leg phase 11 * |2 + 1|
    const std::vector<Blit> expected = {// head
                                        {leg(p, 0), X + 12, Y - 18, false},
                                        {leg(p, 1), X + 21, Y - 19, false},
                                        {leg(p, 2), X + 30, Y - 19, false},
                                        {leg(p, 8), X + 12, Y + 32, false},
                                        {leg(p, 9), X + 21, Y + 33, false},
                                        {leg(p, 10), X + 30, Y + 33, false},
                                        {32, X, Y, false},
                                        {25, X + 16, Y - 24, false},
                                        {41, X + 16, Y + 24, false},
                                        // body segment 1 at X + 32: legs 3, 5, 7 and 9, 11, 13
                                        {leg(p, 3), X + 40, Y - 19, false},
                                        {leg(p, 5), X + 50, Y - 19, false},
                                        {leg(p, 7), X + 60, Y - 19, false},
                                        {leg(p, 9), X + 40, Y + 33, false},
                                        {leg(p, 11), X + 50, Y + 33, false},
                                        {leg(p, 13), X + 60, Y + 33, false},
                                        {33, X + 32, Y, false},
                                        {26, X + 48, Y - 24, false},
                                        {42, X + 48, Y + 24, false},
                                        // tail at X + 64, tip at X + 96
                                        {leg(p, 6), X + 73, Y - 19, false},
                                        {leg(p, 7), X + 82, Y - 19, false},
                                        {leg(p, 0), X + 91, Y - 19, false},
                                        {leg(p, 1), X + 99, Y - 17, false},
                                        {leg(p, 14), X + 73, Y + 33, false},
                                        {leg(p, 15), X + 82, Y + 33, false},
                                        {leg(p, 8), X + 91, Y + 33, false},
                                        {leg(p, 9), X + 99, Y + 31, false},
                                        {33, X + 64, Y, false},
                                        {36, X + 96, Y, false},
                                        {27, X + 80, Y - 24, false},
                                        {43, X + 80, Y + 24, false}};
    EXPECT_EQ(record(pede, 10, -20), expected);
}

TEST(Centipede, FacingEastMirrorsEveryPieceAndLaysTheBodyWest) {
    const Centipede west({-3, 4}, 5, Direction::W);
    const Centipede east({-3, 4}, 5, Direction::E);
    const std::vector<Blit> w = record(west, 0, 0);
    const std::vector<Blit> e = record(east, 0, 0);
    ASSERT_EQ(w.size(), e.size());
    const int X = -3 * 32 + 4 * 16 - 16;
    for (size_t i = 0; i < w.size(); ++i) {
        const auto [wf, wx, wy, wflip] = w[i];
        const auto [ef, ex, ey, eflip] = e[i];
        EXPECT_EQ(ef, wf);
        EXPECT_EQ(ex - X, -(wx - X)) << i;  // offsets along the row change sign
        EXPECT_EQ(ey, wy);
        EXPECT_FALSE(wflip);
        EXPECT_TRUE(eflip);
    }
}

TEST(Centipede, DrawsHeadAndTailOnlyUpToLength2) {
    EXPECT_EQ(record(Centipede({0, 0}, 2, Direction::W), 0, 0).size(), 9u + 12u);
    // Length 1: the tail pieces land on the head cell, drawn after (over) the head.
    const std::vector<Blit> one = record(Centipede({0, 0}, 1, Direction::W), 0, 0);
    ASSERT_EQ(one.size(), 21u);
    EXPECT_EQ(one[6], (Blit{32, -16, -16, false}));
    EXPECT_EQ(one[17], (Blit{33, -16, -16, false}));
    EXPECT_EQ(one[18], (Blit{36, 16, -16, false}));
}

TEST(Centipede, LegFramesDependOnlyOnTheHeadCoordinateSum) {
    auto frames = [](const Centipede& pede) {
        std::vector<int> out;
        for (const Blit& b : record(pede, 0, 0)) out.push_back(std::get<0>(b));
        return out;
    };
    const auto a = frames(Centipede({3, 4}, 6, Direction::W));
    EXPECT_EQ(frames(Centipede({10, -3}, 6, Direction::W)), a);
    EXPECT_EQ(frames(Centipede({-10, 3}, 6, Direction::E)), a);  // |q + r| is the same
    EXPECT_NE(frames(Centipede({4, 4}, 6, Direction::W)), a);
    // Stepping along the row changes the phase by 11, i.e. by 3 frames.
    EXPECT_EQ(a[0], (11 * 7) % 8);
}

}  // namespace

TEST_F(CentipedeWorld, ReportsEachRockCellItDigsThrough) {
    const GridPoint rock = test::find_tile(map, Map::TileType::Rock);
    Centipede pede(rock.apply(Direction::E), 6, Direction::W);
    long rocks = 0;
    for (const GridPoint& cell : three_cells(rock, Direction::W)) {
        rocks += map.get_tile(cell) == Map::TileType::Rock;
    }
    pede.update(events, map, 101);
    ASSERT_EQ(pede.head, rock);
    EXPECT_EQ(events, GameEvents(static_cast<size_t>(rocks), GameEvent::RockDug));

    events.clear();
    pede.update(events, map, 0);  // no step: nothing dug, nothing to hear
    EXPECT_TRUE(events.empty());
}
