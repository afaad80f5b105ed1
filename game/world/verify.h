// Plays a recording back headless, without sound or drawing, and checks it against the results
// it recorded: what `--verify` does, and what the golden replays under tests/ are held to.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "game/world/replay.h"

class GameScreen;

struct ReplayOutcome {
    long frames = 0;         // steps taken, up to and including the one that ended the game
    bool game_over = false;  // whether the game ended at all
    double max_depth = 0.0;
    double max_length = 0.0;

    // True when the game ended exactly at the recording's last step with its results.
    bool matches(const Replay& replay) const;
};

// Feeds the recorded steps into a new play screen of the recorded seed until they run out or
// the game ends; `after_step`, when given, sees the screen after every step.
ReplayOutcome run_replay(const Replay& replay,
                         const std::function<void(const GameScreen&)>& after_step = {});

// Exit statuses of the verify command.
constexpr int kVerifyMatch = 0;
constexpr int kVerifyBadFile = 2;
constexpr int kVerifyDiffers = 3;

// The verify command: loads `path`, replays it and prints what it reached beside what was
// recorded on `out`, or one line naming the file and its problem on `err`.
int verify_replay_file(const std::string& path, std::FILE* out, std::FILE* err);
