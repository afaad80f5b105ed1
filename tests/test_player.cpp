#include <gtest/gtest.h>

#include <random>
#include <unordered_set>
#include <vector>

#include "engine/graphics.h"
#include "game/view/worm_view.h"
#include "game/world/centipede.h"
#include "game/world/map.h"
#include "game/world/player.h"
#include "tests/support/support.h"

namespace {

constexpr unsigned int kSeed = 1234;

// A worm laid from its tail: the tail at `tail`, then one grow per direction; the head ends
// heading along the last one.
void lay_worm(Player& worm, GridPoint tail, const std::vector<Direction>& path) {
    worm.segments.assign(1, Player::Segment{tail, path.front(), path.front().opposite()});
    for (Direction d : path) {
        worm.segments.front().front = d;
        worm.grow();
    }
}

// Six segments around c, the head at c's west neighbour heading for the tail at c's
// south-west neighbour.
void lay_ring(Player& worm, GridPoint c) {
    lay_worm(worm, c.apply(Direction::SW),
             {Direction::E, Direction::NE, Direction::NW, Direction::W, Direction::SW});
    worm.segments.front().front = Direction::SE;
}

bool is_sky(const Map& map, const GridPoint& p) { return map.get_tile(p) == Map::TileType::Sky; }

bool links_hold(const Player& worm) {
    for (auto it = worm.segments.begin(); std::next(it) != worm.segments.end(); ++it) {
        const auto next = std::next(it);
        if (it->position.apply(it->back) != next->position) return false;
        if (next->position.apply(next->front) != it->position) return false;
    }
    return true;
}

bool no_overlap(const Player& worm) {
    std::unordered_set<GridPoint> seen;
    for (const auto& s : worm.segments) {
        if (!seen.insert(s.position).second) return false;
    }
    return true;
}

class PlayerWorld : public ::testing::Test {
protected:
    GameEvents events;
    Map map{kSeed};
    Player worm{map};
};

TEST(PlayerSegment, FramesFollowTheDirectionTable) {
    using D = Direction;
    EXPECT_EQ(WormView::head_frame({{}, D::NW, D::E}), 0);
    EXPECT_EQ(WormView::head_frame({{}, D::NW, D::SE}), 8);
    EXPECT_EQ(WormView::head_frame({{}, D::SE, D::NW}), 11);
    EXPECT_EQ(WormView::head_frame({{}, D::W, D::SE}), 21);
    EXPECT_EQ(WormView::head_frame({{}, D::E, D::W}), 10);
    EXPECT_EQ(WormView::head_frame({{}, D::SW, D::NE}), 12);
    EXPECT_EQ(WormView::head_frame({{}, D::E, D::E}), 99);
    EXPECT_EQ(WormView::head_frame({{}, D::E, D::NE}), 99);
    // Every straight piece and every 120-degree bend has a frame, in the heading's column;
    // straight pieces fill row 1, bends rows 0 and 2.
    for (int f = 0; f < 6; ++f) {
        for (int b = 0; b < 6; ++b) {
            const Player::Segment s{{}, static_cast<D::Value>(f), static_cast<D::Value>(b)};
            const int angle = s.front.angle(s.back.value);
            EXPECT_EQ(WormView::head_frame(s) != 99, angle >= 120) << f << "," << b;
            if (angle < 120) continue;
            EXPECT_EQ(WormView::head_frame(s) % 8, f);
            EXPECT_EQ(WormView::head_frame(s) / 8 == 1, angle == 180) << f << "," << b;
        }
    }
}

TEST_F(PlayerWorld, SettlesThroughTheSkyOntoSoil) {
    const GridPoint head = worm.segments.front().position;
    EXPECT_FALSE(is_sky(map, head.apply(Direction::SW)));
    EXPECT_FALSE(is_sky(map, head.apply(Direction::SE)));
    EXPECT_EQ(worm.step_timer, 100);
    EXPECT_EQ(worm.length, 5.0);
    EXPECT_EQ(worm.segments.back().position, (GridPoint{6, 6}));
    // One segment per fall step, all through the sky, all still there.
    for (const auto& s : worm.segments) EXPECT_TRUE(is_sky(map, s.position));
    EXPECT_EQ(static_cast<int64_t>(worm.segments.size()), head.r - 6 + 1);
    EXPECT_TRUE(links_hold(worm));
}

TEST_F(PlayerWorld, SettlingStopsAboveATunnelToo) {
    // Hollow out the tile that the first worm would have fallen into next, had it been sky.
    const GridPoint head = worm.segments.front().position;
    const Direction first = head.r % 2 == 1 ? Direction::SW : Direction::SE;
    map.tile_overrides[head.apply(first)] = Map::TileType::Tunnel;
    map.tile_overrides[head.apply(first == Direction::SW ? Direction::SE : Direction::SW)] =
        Map::TileType::Tunnel;
    const Player again(map);
    EXPECT_EQ(again.segments.front().position, head);
    EXPECT_EQ(again.segments.size(), worm.segments.size());
}

TEST_F(PlayerWorld, TurnsOnlyWhileFacingAwayFromItsBack) {
    worm.segments.assign(1, Player::Segment{{0, 2}, Direction::SE, Direction::NW});
    worm.turn_left();
    EXPECT_EQ(worm.segments.front().front, Direction::E);
    worm.turn_left();  // NE would be 60 degrees from the back
    EXPECT_EQ(worm.segments.front().front, Direction::E);
    worm.turn_right();
    worm.turn_right();
    EXPECT_EQ(worm.segments.front().front, Direction::SW);
    worm.turn_right();
    EXPECT_EQ(worm.segments.front().front, Direction::SW);
}

TEST_F(PlayerWorld, CheckAndMoveEntersOnlyFreeOpenTilesOnceTheTimerAllows) {
    // Rows up to 12 are sky (strength 50).
    lay_worm(worm, {0, 4}, {Direction::E, Direction::E});  // head (2, 4)
    worm.step_timer = 50;
    EXPECT_FALSE(worm.check_and_move(map, Direction::NE));
    worm.step_timer = 51;
    EXPECT_TRUE(worm.check_and_move(map, Direction::NE));
    EXPECT_EQ(worm.segments.front().position, (GridPoint{3, 3}));
    EXPECT_EQ(worm.step_timer, 0);

    // Its own body blocks it, whatever the timer.
    lay_ring(worm, {2, 6});
    worm.step_timer = 999;
    EXPECT_FALSE(worm.check_and_move(map, Direction::SE));
    EXPECT_EQ(worm.segments.size(), 6u);
    EXPECT_EQ(worm.segments.front().front, Direction::SE);
}

TEST_F(PlayerWorld, CheckAndMoveNeverEntersSoil) {
    GridPoint soil{};
    for (int64_t r = 13; r < 60 && soil == GridPoint{}; ++r) {
        if (!map.open({0, r})) soil = {0, r};
    }
    ASSERT_NE(soil, GridPoint{});
    worm.segments.assign(1, Player::Segment{soil.apply(Direction::W), Direction::E, Direction::W});
    worm.step_timer = 900;
    EXPECT_FALSE(worm.check_and_move(map, Direction::E));
    EXPECT_EQ(worm.segments.size(), 1u);
}

TEST_F(PlayerWorld, CheckAndMoveTowardsTheBackTurnsInstead) {
    worm.segments.assign(1, Player::Segment{{0, 4}, Direction::E, Direction::W});
    worm.step_timer = 500;
    EXPECT_FALSE(worm.check_and_move(map, Direction::SW));  // turns as turn_left does
    EXPECT_EQ(worm.segments.front().front, Direction::NE);
    worm.segments.assign(1, Player::Segment{{0, 4}, Direction::W, Direction::E});
    EXPECT_FALSE(worm.check_and_move(map, Direction::SE));  // as turn_right does
    EXPECT_EQ(worm.segments.front().front, Direction::NW);
    EXPECT_EQ(worm.segments.size(), 1u);
}

TEST_F(PlayerWorld, DropPrefersDownLeftOnOddRowsAndDownRightOtherwise) {
    struct Case {
        GridPoint from;
        GridPoint to;
    };
    const Case cases[] = {{{0, 3}, {-1, 4}},  // odd: SW
                          {{0, 4}, {0, 5}},   // even: SE
                          {{0, -1}, {0, 0}},  // -1 is odd, but takes the even order
                          {{0, -3}, {0, -2}},
                          {{0, -2}, {0, -1}}};
    for (const Case& c : cases) {
        worm.segments.assign(1, Player::Segment{c.from, Direction::SE, Direction::NE});
        worm.step_timer = 100;
        EXPECT_TRUE(worm.drop(map));
        EXPECT_EQ(worm.segments.front().position, c.to) << c.from.q << "," << c.from.r;
    }
    // The other way when the preferred tile is taken by the body.
    lay_worm(worm, {0, 4}, {Direction::NW, Direction::E});  // head (1, 3), odd; (0, 4) taken
    worm.step_timer = 100;
    EXPECT_TRUE(worm.drop(map));
    EXPECT_EQ(worm.segments.front().position, (GridPoint{1, 4}));
    lay_worm(worm, {1, 5}, {Direction::NE, Direction::W});  // head (1, 4), even; (1, 5) taken
    worm.step_timer = 100;
    EXPECT_TRUE(worm.drop(map));
    EXPECT_EQ(worm.segments.front().position, (GridPoint{0, 5}));
}

// A spot underground where the worm can neither fall nor tunnel sideways unnoticed: the tile
// ahead (east) has the given kind and both tiles below are closed.
GridPoint find_ledge(const Map& map, Map::TileType ahead) {
    for (int64_t r = 30; r < 300; ++r) {
        for (int64_t q = -50; q < 50; ++q) {
            const GridPoint p{q, r};
            if (map.get_tile(p.apply(Direction::E)) == ahead && !map.open(p.apply(Direction::SW)) &&
                !map.open(p.apply(Direction::SE))) {
                return p;
            }
        }
    }
    ADD_FAILURE() << "no ledge found";
    return {};
}

TEST_F(PlayerWorld, DigsIntoSoilOnlyAfterMoreThanItsStrength) {
    for (auto [kind, strength] :
         {std::pair{Map::TileType::Dirt, 300}, std::pair{Map::TileType::HardDirt, 500}}) {
        SCOPED_TRACE(strength);
        const GridPoint p = find_ledge(map, kind);
        const GridPoint ahead = p.apply(Direction::E);
        worm.segments.assign(1, Player::Segment{p, Direction::E, Direction::W});
        worm.step_timer = 0;
        worm.update(events, map, strength);
        EXPECT_EQ(worm.segments.front().position, p);
        EXPECT_EQ(worm.step_timer, strength);
        EXPECT_EQ(map.get_tile(ahead), kind);

        worm.step_timer = 0;
        worm.update(events, map, strength + 100);
        EXPECT_EQ(worm.segments.front().position, ahead);
        EXPECT_EQ(worm.step_timer, 0);
        EXPECT_EQ(map.get_tile(ahead), Map::TileType::Tunnel);
    }
    EXPECT_TRUE(events.empty());  // soil is dug in silence
}

TEST_F(PlayerWorld, DiggingRockIsReported) {
    // Rock with nothing open below the tile west of it, where the worm will stand.
    GridPoint rock;
    for (int64_t r = 13; r < 2000 && map.get_tile(rock) != Map::TileType::Rock; ++r) {
        for (int64_t q = -r / 2; q < 60 - r / 2; ++q) {
            const GridPoint p = GridPoint{q, r}.apply(Direction::W);
            if (map.get_tile({q, r}) == Map::TileType::Rock && !map.open(p.apply(Direction::SW)) &&
                !map.open(p.apply(Direction::SE))) {
                rock = {q, r};
                break;
            }
        }
    }
    ASSERT_EQ(map.get_tile(rock), Map::TileType::Rock);
    worm.segments.assign(1, Player::Segment{rock.apply(Direction::W), Direction::E, Direction::W});
    // Out of reach in play, where the timer is cut back every second.
    worm.step_timer = 10500;
    worm.update(events, map, 0);
    ASSERT_EQ(worm.segments.front().position, rock);
    EXPECT_EQ(map.get_tile(rock), Map::TileType::Tunnel);
    EXPECT_EQ(events, GameEvents{GameEvent::RockDug});
}

TEST_F(PlayerWorld, FallingKeepsTheExtraSegmentsUntilLanding) {
    lay_worm(worm, {0, 2}, {Direction::E, Direction::E, Direction::E, Direction::E});
    worm.length = 2.0;
    worm.step_timer = 0;
    size_t last = worm.segments.size();
    bool landed = false;
    for (int frame = 0; frame < 200 && !landed; ++frame) {
        worm.update(events, map, 60);  // over the sky's 50: every frame can fall
        if (worm.segments.size() == last + 1) {
            last = worm.segments.size();
            EXPECT_TRUE(links_hold(worm));
        } else {
            landed = true;
        }
    }
    ASSERT_TRUE(landed);
    EXPECT_GT(last, 10u);
    EXPECT_EQ(worm.segments.size(), 2u);
}

TEST_F(PlayerWorld, StarvesOneSegmentForEachSecondWithoutAStep) {
    // A ring: the head faces its own tail, so it cannot step; underground, it cannot fall.
    lay_ring(worm, find_ledge(map, Map::TileType::Dirt).apply(Direction::E));
    ASSERT_EQ(worm.segments.front().position.apply(Direction::SE), worm.segments.back().position);
    worm.length = 10.0;
    worm.step_timer = 0;

    worm.update(events, map, 1000);
    EXPECT_EQ(worm.step_timer, 1000);
    EXPECT_DOUBLE_EQ(worm.length, 10.0 - 1000 / 30000.0);
    worm.update(events, map, 1);
    EXPECT_EQ(worm.step_timer, 1);
    EXPECT_DOUBLE_EQ(worm.length, 10.0 - 1000 / 30000.0 - 1 / 30000.0 - 1.0);
    EXPECT_EQ(worm.segments.size(), 6u);
}

TEST_F(PlayerWorld, EatingValue4AddsOneAndReportsIt) {
    worm.length = 2.5;
    worm.eat(events, 4);
    EXPECT_EQ(worm.length, 3.5);
    EXPECT_EQ(events, GameEvents{GameEvent::FoodEaten});
}

TEST_F(PlayerWorld, InjuryCutsFromTheFirstBittenSegmentToTheTail) {
    // Five segments in row 4, head at (4, 4). A west-facing centipede one row down touches
    // (2, 4) with its upper flank and nothing else of the worm.
    lay_worm(worm, {0, 4}, {Direction::E, Direction::E, Direction::E, Direction::E});
    const Centipede pede({1, 5}, 1, Direction::W);
    ASSERT_TRUE(pede.touching({2, 4}));
    ASSERT_FALSE(pede.touching({3, 4}) || pede.touching({4, 4}));
    worm.length = 5.0;
    worm.injure(events, pede);
    EXPECT_EQ(worm.length, 2.0);
    EXPECT_EQ(events, GameEvents{GameEvent::Bitten});

    worm.step_timer = 0;
    worm.update(events, map, 0);  // nothing moves at 0 ms; the cut takes effect
    ASSERT_EQ(worm.segments.size(), 2u);
    EXPECT_EQ(worm.segments.front().position, (GridPoint{4, 4}));
    EXPECT_EQ(worm.segments.back().position, (GridPoint{3, 4}));
}

TEST_F(PlayerWorld, InjuryWithoutContactOnlyRoundsUp) {
    lay_worm(worm, {0, 4}, {Direction::E, Direction::E});
    worm.length = 4.3;
    worm.injure(events, Centipede({40, 40}, 6, Direction::W));
    EXPECT_EQ(worm.length, 5.0);
    EXPECT_TRUE(events.empty());
}

TEST_F(PlayerWorld, LengthDroppingToZeroLeavesOnlyTheHead) {
    lay_worm(worm, {0, 4}, {Direction::E, Direction::E, Direction::E, Direction::E});
    const GridPoint head = worm.segments.front().position;
    worm.length = 1.001;
    worm.step_timer = 980;
    worm.update(events, map, 30);
    EXPECT_NEAR(worm.length, 0.0, 1e-12);
    ASSERT_EQ(worm.segments.size(), 1u);
    EXPECT_EQ(worm.segments.front().position, head);
}

TEST_F(PlayerWorld, AbsurdlyLongFrameSaturatesTheTimerInsteadOfOverflowing) {
    lay_worm(worm, {0, 4}, {Direction::E, Direction::E});
    worm.step_timer = 900;
    worm.update(events, map, 4'000'000'000u);
    EXPECT_GE(worm.step_timer, 0);
    EXPECT_FALSE(worm.segments.empty());
}

TEST_F(PlayerWorld, DrawsTheHeadThenTheBodyWithBodyFrames) {
    lay_worm(worm, {0, 4}, {Direction::E, Direction::SE});  // (1, 5), (1, 4), (0, 4)
    worm.segments.back().back = Direction::E;               // a pair without a frame
    auto graphics = test::make_graphics();
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;
    graphics->blit_log_only = true;
    WormView().draw(*graphics, worm, 100, -50);
    ASSERT_EQ(log.size(), 3u);
    auto frame = [](const Graphics::BlitRecord& b) {
        return b.source.y / 32 * 8 + b.source.x / 32;
    };
    auto it = worm.segments.begin();
    for (size_t i = 0; i < 3; ++i, ++it) {
        const Point p = it->position.draw_point();
        EXPECT_EQ(log[i].image, "worm.png");
        EXPECT_EQ(log[i].destination.x, p.x - 100);
        EXPECT_EQ(log[i].destination.y, p.y + 50);
    }
    EXPECT_EQ(frame(log[0]), 11);      // head: front SE, back NW
    EXPECT_EQ(frame(log[1]), 3 + 24);  // body: front SE, back W
    EXPECT_EQ(frame(log[2]), 123);     // the tail, with a pair without a frame
}

TEST_F(PlayerWorld, LastSegmentIsDrawnWithItsTailFrame) {
    lay_worm(worm, {0, 4}, {Direction::E, Direction::E, Direction::E});  // straight, east
    auto graphics = test::make_graphics();
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;
    graphics->blit_log_only = true;
    WormView().draw(*graphics, worm, 0, 0);
    ASSERT_EQ(log.size(), 4u);
    std::vector<int> frames;
    for (const auto& b : log) frames.push_back(b.source.y / 32 * 8 + b.source.x / 32);
    EXPECT_EQ(frames, (std::vector<int>{10, 10 + 24, 10 + 24, 10 + 48}));

    worm.segments.resize(1);  // a head alone is a head
    log.clear();
    WormView().draw(*graphics, worm, 0, 0);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].source.y / 32 * 8 + log[0].source.x / 32, 10);
}

TEST_F(PlayerWorld, BodyNeverOverlapsOverALongRandomRun) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> choice(0, 9);
    std::uniform_int_distribution<unsigned int> frame_ms(1, 60);
    worm.update(events, map, 16);
    std::unordered_set<GridPoint> visited;
    unsigned int still_ms = 0;
    for (int frame = 0; frame < 20000; ++frame) {
        const int c = choice(rng);
        if (c == 0) worm.turn_left();
        if (c == 1) worm.turn_right();
        // Long worms can coil round their own head; hunger then frees them, as in play.
        if (worm.length < 25.0 && still_ms < 3000) worm.eat(events, 4);
        const GridPoint before = worm.segments.front().position;
        const unsigned int ms = frame_ms(rng);
        worm.update(events, map, ms);
        still_ms = worm.segments.front().position == before ? still_ms + ms : 0;
        ASSERT_TRUE(no_overlap(worm)) << "frame " << frame;
        ASSERT_TRUE(links_hold(worm)) << "frame " << frame;
        const auto& head = worm.segments.front();
        ASSERT_GE(head.front.angle(head.back.value), 120) << "frame " << frame;
        visited.insert(head.position);
    }
    EXPECT_GT(visited.size(), 200u);  // it did get around
}

}  // namespace
