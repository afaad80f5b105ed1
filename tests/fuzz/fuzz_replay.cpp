// libFuzzer target for the replay parser: any input must either fail with a reason or parse
// into a replay that encodes back to a file parsing to the same replay.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/world/replay.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Replay replay;
    std::string error;
    if (!parse_replay(data, size, replay, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    const std::vector<uint8_t> bytes = replay.encode();
    Replay again;
    if (!parse_replay(bytes.data(), bytes.size(), again, error)) std::abort();
    if (again.seed != replay.seed || again.game_version != replay.game_version ||
        again.steps != replay.steps || again.max_depth != replay.max_depth ||
        again.max_length != replay.max_length) {
        std::abort();
    }
    return 0;
}
