#include "game/verify.h"

#include "game/game_screen.h"

bool ReplayOutcome::matches(const Replay& replay) const {
    // Exact comparisons: a replay that is right reproduces every bit.
    return game_over && frames == static_cast<long>(replay.steps.size()) &&
           max_depth == replay.max_depth && max_length == replay.max_length;
}

ReplayOutcome run_replay(const Replay& replay,
                         const std::function<void(const GameScreen&)>& after_step) {
    GameScreen screen(replay.seed);
    screen.recording_on = false;
    ReplayOutcome outcome;
    for (const Replay::Step& step : replay.steps) {
        screen.advance(step);
        ++outcome.frames;
        if (after_step) after_step(screen);
        if (screen.state == GameScreen::State::GameOver) break;
    }
    outcome.game_over = screen.state == GameScreen::State::GameOver;
    outcome.max_depth = screen.max_depth;
    outcome.max_length = screen.max_length;
    return outcome;
}

int verify_replay_file(const std::string& path, std::FILE* out, std::FILE* err) {
    Replay replay;
    std::string error;
    if (!load_replay(path, replay, error)) {
        std::fprintf(err, "%s\n", error.c_str());
        return kVerifyBadFile;
    }
    const ReplayOutcome outcome = run_replay(replay);
    // Enough digits that two doubles that differ never print alike.
    std::fprintf(out, "replayed: depth %.17g m, length %.17g cm, %ld frames%s\n", outcome.max_depth,
                 outcome.max_length, outcome.frames,
                 outcome.game_over ? "" : " (the game did not end)");
    std::fprintf(out, "recorded: depth %.17g m, length %.17g cm, %zu frames\n", replay.max_depth,
                 replay.max_length, replay.steps.size());
    if (replay.game_version != Replay::current_game_version()) {
        std::fprintf(out, "recorded with version %s, replayed with %s\n",
                     replay.game_version.c_str(), Replay::current_game_version().c_str());
    }
    const bool same = outcome.matches(replay);
    std::fprintf(out, "%s: %s\n", path.c_str(),
                 same ? "replays as recorded" : "differs from the recording");
    return same ? kVerifyMatch : kVerifyDiffers;
}
