#include "game/profile/replay_io.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "game/world/verify.h"

bool load_replay(const std::string& path, Replay& out, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = path + ": cannot open: " + std::strerror(errno);
        return false;
    }
    // Read in pieces up to one byte past the limit: a file that grows while it is read, or a
    // pipe, is bounded all the same.
    std::vector<uint8_t> bytes;
    uint8_t chunk[16384];
    bool failed = false;
    int read_errno = 0;
    while (bytes.size() <= Replay::kMaxFileSize) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < sizeof chunk) {
            failed = std::ferror(file) != 0;
            read_errno = errno;
            break;
        }
    }
    std::fclose(file);
    if (failed) {
        error = path + ": cannot read: " + std::strerror(read_errno);
        return false;
    }
    if (bytes.size() > Replay::kMaxFileSize) {
        error = path + ": too large for a replay (more than " +
                std::to_string(Replay::kMaxFileSize >> 20) + " MiB)";
        return false;
    }
    std::string what;
    if (!parse_replay(bytes.data(), bytes.size(), out, what)) {
        error = path + ": " + what;
        return false;
    }
    return true;
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
    // An assisted game says so on its verdict line; an unassisted one's line is as it was.
    const std::string assisted =
        replay.assists.any() ? " (assisted: " + replay.assists.describe() + ")" : "";
    std::fprintf(out, "%s: %s%s\n", path.c_str(),
                 same ? "replays as recorded" : "differs from the recording", assisted.c_str());
    return same ? kVerifyMatch : kVerifyDiffers;
}
