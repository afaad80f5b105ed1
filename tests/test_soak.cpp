// The simulator's invariant checks must catch a broken game, and a simulated run must replay.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "game/screens/game_screen.h"
#include "tests/support/support.h"
#include "tools/simulation.h"

namespace {

using State = World::State;

class Invariants : public ::testing::Test {
protected:
    // One 16 ms frame of play; `before` is what the checks compare against.
    void play_frame() {
        before = sim::take_snapshot(world);
        ASSERT_TRUE(world.step(Replay::Step{16, 0, 0}));
    }
    std::string check() const { return sim::check_invariants(world, before, 16); }
    GridPoint head() const { return world.player.segments.front().position; }

    World world{4242};
    sim::Snapshot before;
};

TEST_F(Invariants, HoldForAGameLeftToItself) {
    for (int frame = 0; frame < 2000; ++frame) {
        play_frame();
        ASSERT_EQ(check(), "") << "frame " << frame;
    }
}

TEST_F(Invariants, BrokenBodyIsCaught) {
    for (int frame = 0; frame < 600; ++frame) play_frame();  // down in the soil by now
    ASSERT_GE(world.player.segments.size(), 3u);
    Player::Segment& second = *std::next(world.player.segments.begin());

    const GridPoint kept = second.position;
    second.position = kept.apply(Direction::E).apply(Direction::E);
    EXPECT_NE(check().find("not joined"), std::string::npos) << check();
    second.position = head();
    EXPECT_NE(check().find("shares tile"), std::string::npos) << check();
    second.position = kept;
    ASSERT_EQ(check(), "");

    // A segment in soil: forget the tunnel that the worm dug for it.
    for (const Player::Segment& segment : world.player.segments) {
        if (world.map.get_tile_direct(segment.position) == Map::TileType::Sky) continue;
        if (world.map.tile_overrides.erase(segment.position) == 0) continue;
        if (!world.map.open(segment.position)) break;
    }
    EXPECT_NE(check().find("closed tile"), std::string::npos) << check();
}

TEST_F(Invariants, HeadOutsideTheViewIsCaught) {
    play_frame();
    world.camera.x += Camera::kViewWidth + 1;
    EXPECT_NE(check().find("outside the view"), std::string::npos) << check();
    world.camera.x -= Camera::kViewWidth + 1;
    world.camera.y -= Camera::kViewHeight + 1;
    EXPECT_NE(check().find("outside the view"), std::string::npos) << check();
}

TEST_F(Invariants, CentipedeLeftAtTheRemovalDistanceIsCaught) {
    play_frame();
    world.centipedes.emplace_back(GridPoint{head().q + 69, head().r}, 6, Direction::W);
    before.centipedes = 1;
    EXPECT_EQ(check(), "");
    world.centipedes.emplace_back(GridPoint{head().q + 70, head().r}, 6, Direction::W);
    EXPECT_NE(check().find("not removed"), std::string::npos) << check();
    world.centipedes.pop_back();
    world.centipedes.back().length = 7;  // the play screen only makes even lengths
    EXPECT_NE(check().find("length 7"), std::string::npos) << check();
}

TEST_F(Invariants, NonFiniteDoublesAreCaught) {
    play_frame();
    world.player.length = std::numeric_limits<double>::quiet_NaN();
    EXPECT_NE(check().find("player.length is nan"), std::string::npos) << check();
    world.player.length = 4.0;
    world.camera.y = std::numeric_limits<double>::infinity();
    EXPECT_NE(check().find("camera.y is inf"), std::string::npos) << check();
}

TEST_F(Invariants, TimersOutsideTheirRangesAreCaught) {
    play_frame();
    world.food_timer = World::kFoodIntervalMax + 1;
    EXPECT_NE(check().find("food_timer"), std::string::npos) << check();
    // Negative is fine only when the frame was longer than the interval drawn.
    world.food_timer = -1;
    EXPECT_NE(check().find("food_timer"), std::string::npos) << check();
    EXPECT_EQ(sim::check_invariants(world, before, 20000).find("food_timer"), std::string::npos);
    world.food_timer = 1000;

    world.player.step_timer = 1001;
    EXPECT_NE(check().find("step_timer"), std::string::npos) << check();
    world.player.step_timer = 0;

    world.spawn_timer = World::kSpawnIntervalMax + 1;
    EXPECT_NE(check().find("spawn_timer"), std::string::npos) << check();
}

TEST_F(Invariants, BodyLongerThanItsLengthIsCaughtUnlessFallingOrBitten) {
    // Wait for a frame in which the worm stepped sideways or not at all.
    for (int frame = 0; frame < 500; ++frame) {
        play_frame();
        const GridPoint h = head();
        if (h != sim::below_left(before.head) && h != sim::below_right(before.head)) break;
    }
    ASSERT_EQ(check(), "");
    ASSERT_GE(world.player.segments.size(), 4u);
    world.player.length = static_cast<double>(world.player.segments.size()) - 1.5;
    before.length = world.player.length;
    EXPECT_NE(check().find("without a fall or a bite"), std::string::npos) << check();

    // A centipede over the tail explains the extra segments: they go at the next update.
    const GridPoint tail = world.player.segments.back().position;
    world.centipedes.emplace_back(tail, 6, Direction::W);
    before.centipedes = 1;
    EXPECT_EQ(check(), "");
}

TEST_F(Invariants, PausedFrameThatMovesTheWorldIsCaught) {
    play_frame();
    before = sim::take_snapshot(world);
    before.state = State::Paused;
    EXPECT_EQ(check(), "");
    world.food_timer -= 1;
    EXPECT_NE(check().find("began paused"), std::string::npos) << check();
}

class Simulation : public ::testing::Test {
protected:
    // The rules alone, as tools/simulate plays them.
    sim::Summary run(const sim::Options& options) { return sim::Simulation<World>(options).run(); }
    // The play screen, drawn now and then, as tools/simulate_drawn plays it.
    sim::Summary run_drawn(const sim::Options& options, Graphics& graphics) {
        return sim::Simulation<GameScreen>(options, &graphics).run();
    }

    test::TempContentDir content;
};

TEST_F(Simulation, SameOptionsReplayTheSameSummary) {
    sim::Options options;
    options.seed = 99;
    options.minutes = 4;
    options.frame_ms_min = 0;
    options.frame_ms_max = 60;
    options.policy = sim::Policy::StartPresses;
    const sim::Summary first = run(options);
    const sim::Summary second = run(options);
    EXPECT_EQ(first.violation, "");
    EXPECT_EQ(first.replayable(options), second.replayable(options));
    EXPECT_GT(first.frames, 0);

    options.seed = 100;
    EXPECT_NE(run(options).digest, first.digest);
}

TEST_F(Simulation, DrawingChangesNothingOfThePlay) {
    sim::Options options;
    options.seed = 5;
    options.minutes = 1;
    options.policy = sim::Policy::RandomTurns;
    const sim::Summary blind = run(options);
    auto graphics = test::make_graphics();
    options.draw_every = 25;
    const sim::Summary drawn = run_drawn(options, *graphics);
    EXPECT_EQ(drawn.violation, "");
    EXPECT_GT(drawn.draw.count, 0);
    EXPECT_EQ(blind.replayable(options), drawn.replayable(options));
}

TEST_F(Simulation, EveryPolicyPlaysGamesToTheEndWithoutAViolation) {
    for (sim::Policy policy : {sim::Policy::None, sim::Policy::RandomTurns, sim::Policy::Autopilot,
                               sim::Policy::StartPresses}) {
        sim::Options options;
        options.seed = 17;
        options.minutes = 12;
        options.frame_ms_min = 10;
        options.frame_ms_max = 50;
        options.policy = policy;
        const sim::Summary summary = run(options);
        EXPECT_EQ(summary.violation, "") << sim::policy_name(policy);
        EXPECT_GE(summary.games, 1) << sim::policy_name(policy);
        EXPECT_GT(summary.tiles_dug, 0) << sim::policy_name(policy);
    }
}

TEST_F(Simulation, AutopilotFindsFoodAndDepth) {
    sim::Options options;
    options.seed = 3;
    options.minutes = 10;
    const sim::Summary summary = run(options);
    EXPECT_EQ(summary.violation, "");
    EXPECT_GT(summary.food_eaten, 20);
    EXPECT_GE(summary.deepest, 1.0);  // deep enough for centipedes
    EXPECT_GT(summary.centipedes, 0);
}

}  // namespace
