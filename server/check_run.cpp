#include "server/check_run.h"

#include "game/world/replay.h"
#include "game/world/verify.h"

CheckedRun check_run(const daily::Date& date, const uint8_t* data, std::size_t size) {
    CheckedRun checked;
    Replay replay;
    std::string error;
    if (!parse_replay(data, size, replay, error)) {
        checked.verdict = CheckedRun::Verdict::NotAReplay;
        checked.detail = "not a replay: " + error;
        return checked;
    }
    if (replay.seed != daily::seed_of(date)) {
        checked.verdict = CheckedRun::Verdict::WrongSeed;
        checked.detail = "the replay's seed " + std::to_string(replay.seed) +
                         " is not the seed of " + daily::format_date(date);
        return checked;
    }
    // One version's rules only: the server replays with the rules it was built with, and an
    // older game's run may not replay the same under them.
    if (replay.game_version != Replay::current_game_version()) {
        checked.verdict = CheckedRun::Verdict::UnknownVersion;
        checked.detail = "recorded by game version " + replay.game_version.substr(0, 64) +
                         "; this server verifies version " + Replay::current_game_version();
        return checked;
    }
    const ReplayOutcome outcome = run_replay(replay);
    if (!outcome.matches(replay)) {
        checked.verdict = CheckedRun::Verdict::Differs;
        checked.detail = "the replay does not reach the result it records";
        return checked;
    }
    checked.verdict = CheckedRun::Verdict::Verified;
    checked.depth = outcome.max_depth;
    checked.length = outcome.max_length;
    checked.assisted = replay.assists.any();
    return checked;
}
