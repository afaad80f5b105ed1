// Plays a recording back through the rules alone, without sound, drawing or files, and checks
// it against the results it recorded: what `--verify` does, and what the golden replays under
// tests/ are held to.
#pragma once

#include <functional>

#include "game/world/replay.h"

class World;

struct ReplayOutcome {
    long frames = 0;         // steps taken, up to and including the one that ended the game
    bool game_over = false;  // whether the game ended at all
    double max_depth = 0.0;
    double max_length = 0.0;

    // True when the game ended exactly at the recording's last step with its results.
    bool matches(const Replay& replay) const;
};

// Feeds the recorded steps into a new world of the recorded seed until they run out or the game
// ends; `after_step`, when given, sees the world after every step.
ReplayOutcome run_replay(const Replay& replay,
                         const std::function<void(const World&)>& after_step = {});
