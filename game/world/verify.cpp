#include "game/world/verify.h"

#include "game/world/world.h"

bool ReplayOutcome::matches(const Replay& replay) const {
    // Exact comparisons: a replay that is right reproduces every bit.
    return game_over && frames == static_cast<long>(replay.steps.size()) &&
           max_depth == replay.max_depth && max_length == replay.max_length;
}

ReplayOutcome run_replay(const Replay& replay,
                         const std::function<void(const World&)>& after_step) {
    World world(replay.seed, replay.assists);
    world.recording_on = false;
    ReplayOutcome outcome;
    for (const Replay::Step& step : replay.steps) {
        world.step(step);
        ++outcome.frames;
        if (after_step) after_step(world);
        if (world.state == World::State::GameOver) break;
    }
    outcome.game_over = world.state == World::State::GameOver;
    outcome.max_depth = world.max_depth;
    outcome.max_length = world.max_length;
    return outcome;
}
