// Records one game played by the simulator's pilot and writes it as a replay: how the golden
// replays under tests/replays/ are made (see scripts/record_golden.sh).
//
//     record_replay --seed N --out FILE [--policy none|random|autopilot|start] [--pilot-seed N]
//                   [--frame-ms MS | MIN-MAX] [--pause-every SECONDS] [--max-minutes M]
//                   [--speed PERCENT] [--one-switch]
//
// `--daily YYYY-MM-DD` in place of --seed plays that date's daily dig. `--speed` plays an
// assisted game at 50 to 100 percent; `--one-switch` only marks the recording as played with
// one switch (the pilot still steers with both keys).
//
// The pilot's key goes down in one step and up in the next. With --pause-every, Start pauses
// the game every so many seconds of play and resumes it two seconds later. The game is played
// to its end; it prints what the recording covers.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "game/world/daily.h"
#include "game/world/replay.h"
#include "game/world/world.h"
#include "tools/pilot.h"

namespace {

constexpr unsigned int kPauseMs = 2000;

struct Options {
    unsigned int seed = 1;
    unsigned int pilot_seed = 1;
    sim::Policy policy = sim::Policy::Autopilot;
    unsigned int frame_ms_min = 16;
    unsigned int frame_ms_max = 17;
    unsigned int pause_every_ms = 0;
    double max_minutes = 30.0;
    Assists assists;
    std::string out;
};

void usage() {
    std::fprintf(stderr,
                 "usage: record_replay (--seed N | --daily YYYY-MM-DD) --out FILE\n"
                 "                     [--policy none|random|autopilot|start]\n"
                 "                     [--pilot-seed N] [--frame-ms MS | MIN-MAX]\n"
                 "                     [--pause-every SECONDS] [--max-minutes M]\n"
                 "                     [--speed PERCENT] [--one-switch]\n");
}

bool parse_unsigned(const std::string& text, unsigned int& out) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != '\0' || value > 0xFFFFFFFFul) return false;
    out = static_cast<unsigned int>(value);
    return true;
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; i += 2) {
        const std::string arg = argv[i];
        // The one option without a value.
        if (arg == "--one-switch") {
            options.assists.one_switch = true;
            --i;
            continue;
        }
        if (i + 1 == argc) return false;
        const std::string value = argv[i + 1];
        bool ok = true;
        if (arg == "--seed") {
            ok = parse_unsigned(value, options.seed);
        } else if (arg == "--daily") {
            const std::optional<daily::Date> date = daily::parse_date(value);
            ok = date.has_value();
            if (ok) options.seed = daily::seed_of(*date);
        } else if (arg == "--pilot-seed") {
            ok = parse_unsigned(value, options.pilot_seed);
        } else if (arg == "--policy") {
            ok = sim::parse_policy(value, options.policy);
        } else if (arg == "--frame-ms") {
            const std::size_t dash = value.find('-');
            ok = parse_unsigned(value.substr(0, dash), options.frame_ms_min) &&
                 parse_unsigned(dash == std::string::npos ? value : value.substr(dash + 1),
                                options.frame_ms_max) &&
                 options.frame_ms_min <= options.frame_ms_max && options.frame_ms_max > 0;
        } else if (arg == "--pause-every") {
            unsigned int seconds = 0;
            ok = parse_unsigned(value, seconds) && seconds < 100000;
            options.pause_every_ms = seconds * 1000;
        } else if (arg == "--max-minutes") {
            options.max_minutes = std::atof(value.c_str());
            ok = options.max_minutes > 0.0;
        } else if (arg == "--speed") {
            unsigned int percent = 0;
            ok = parse_unsigned(value, percent) && Assists::valid_speed(percent);
            options.assists.speed = static_cast<int>(percent);
        } else if (arg == "--out") {
            options.out = value;
        } else {
            ok = false;
        }
        if (!ok) return false;
    }
    return !options.out.empty();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        usage();
        return 2;
    }
    using Button = Replay::Button;
    World world(options.seed, options.assists);
    sim::Pilot pilot(options.policy, options.pilot_seed);
    std::mt19937 frame_rng(options.pilot_seed);
    std::uniform_int_distribution<unsigned int> frame_ms(options.frame_ms_min,
                                                         options.frame_ms_max);

    uint32_t held = 0;
    uint64_t played_ms = 0;  // time spent playing, pauses not counted
    uint64_t total_ms = 0;
    uint64_t next_pause = options.pause_every_ms;
    uint64_t resume_at = 0;
    long spawned = 0, bites = 0, rocks = 0, meals = 0, pauses = 0, shaken = 0;
    const auto limit = static_cast<uint64_t>(options.max_minutes * 60000.0);
    while (world.state != World::State::GameOver) {
        if (total_ms > limit) {
            std::fprintf(stderr, "the game lasted longer than %.1f minutes\n", options.max_minutes);
            return 1;
        }
        Button button = Button::None;
        if (world.state == World::State::Paused) {
            if (total_ms >= resume_at) button = Button::Start;
        } else if (options.pause_every_ms > 0 && played_ms >= next_pause) {
            button = Button::Start;
            next_pause += options.pause_every_ms;
            resume_at = total_ms + kPauseMs;
            ++pauses;
        } else {
            button = pilot.choose(world);
        }
        const Replay::Step step{frame_ms(frame_rng), Replay::bit(button), held};
        held = step.pressed;
        if (world.state == World::State::Playing) played_ms += step.ms;
        total_ms += step.ms;
        world.step(step);
        if (world.camera.shake_amount > 0.0) ++shaken;
        for (GameEvent event : world.events) {
            spawned += event == GameEvent::Spawned;
            bites += event == GameEvent::Bitten;
            rocks += event == GameEvent::RockDug;
            meals += event == GameEvent::FoodEaten;
        }
    }

    const std::vector<uint8_t> bytes = world.recording.encode();
    std::FILE* file = std::fopen(options.out.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
        std::fclose(file) != 0) {
        std::fprintf(stderr, "%s: cannot write: %s\n", options.out.c_str(), std::strerror(errno));
        return 1;
    }
    const double minutes = static_cast<double>(total_ms) / 60000.0;
    std::printf(
        "%s: seed %u, %zu frames, %.2f minutes; depth %.2f m, length %.2f cm; %ld centipedes, "
        "%ld bites, %ld shaken frames, %ld pauses, %ld meals, %ld rock tiles dug; %zu bytes, "
        "%.0f bytes a minute\n",
        options.out.c_str(), options.seed, world.recording.steps.size(), minutes, world.max_depth,
        world.max_length, spawned, bites, shaken, pauses, meals, rocks, bytes.size(),
        static_cast<double>(bytes.size()) / minutes);
    return 0;
}
