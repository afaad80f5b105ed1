// The simulators' command line and report, shared by tools/simulate.cpp (the rules alone) and
// tools/simulate_drawn.cpp (the play screen, drawn now and then).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/simulation.h"

namespace sim {

inline void usage(const char* program, bool drawn) {
    std::fprintf(stderr,
                 "usage: %s [--seed N] [--minutes M] [--frame-ms MS | MIN-MAX]\n"
                 "       [--policy none|random|autopilot|start]%s [--sample-minutes M]\n",
                 program, drawn ? " [--draw | --draw-every N]" : "");
}

inline bool parse_unsigned(const char* text, unsigned long& out) {
    char* end = nullptr;
    out = std::strtoul(text, &end, 10);
    return end != text && *end == '\0' && text[0] != '-';
}

inline bool parse_frame_ms(const std::string& text, sim::Options& options) {
    const std::size_t dash = text.find('-');
    unsigned long low = 0;
    unsigned long high = 0;
    if (dash == std::string::npos) {
        if (!parse_unsigned(text.c_str(), low)) return false;
        high = low;
    } else if (!parse_unsigned(text.substr(0, dash).c_str(), low) ||
               !parse_unsigned(text.substr(dash + 1).c_str(), high) || high < low) {
        return false;
    }
    if (high > 60000) return false;
    options.frame_ms_min = static_cast<unsigned int>(low);
    options.frame_ms_max = static_cast<unsigned int>(high);
    return true;
}

// Drawing options only for a simulator that draws.
inline bool parse(int argc, char** argv, bool drawn, sim::Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (drawn && arg == "--draw") {
            options.draw_every = 1;
            continue;
        }
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        unsigned long number = 0;
        if (arg == "--seed" && parse_unsigned(value.c_str(), number) && number <= 0xFFFFFFFFul) {
            options.seed = static_cast<unsigned int>(number);
        } else if (arg == "--minutes") {
            options.minutes = std::atof(value.c_str());
            if (!(options.minutes > 0.0)) return false;
        } else if (arg == "--frame-ms") {
            if (!parse_frame_ms(value, options)) return false;
        } else if (arg == "--policy") {
            if (!sim::parse_policy(value, options.policy)) return false;
        } else if (drawn && arg == "--draw-every" && parse_unsigned(value.c_str(), number)) {
            options.draw_every = static_cast<int>(number);
        } else if (arg == "--sample-minutes") {
            options.sample_minutes = std::atof(value.c_str());
            if (options.sample_minutes < 0.0) return false;
        } else {
            return false;
        }
    }
    // Zero-millisecond frames alone would never reach the end.
    return options.frame_ms_max > 0;
}

inline void print_timing(const char* name, const sim::Timing& timing) {
    if (timing.count == 0) return;
    std::printf("  %-28s mean %9.1f us, worst %10.1f us, %ld frames\n", name, timing.mean_us(),
                timing.worst_us, timing.count);
}

// Plays the simulation, prints what it found and returns the exit status: 1 after a violation.
template <typename Game>
int run(const Options& options, Graphics* graphics, const char* update_name) {
    sim::Simulation<Game> simulation(options, graphics);
    const sim::Summary summary = simulation.run([](const sim::MemorySample& m) {
        std::printf("minute %8.1f: resident %7ld KiB, dug tiles %7zu, food %6zu, games %ld\n",
                    m.minute, m.rss_kib, m.dug, m.food, m.games);
        std::fflush(stdout);
    });

    std::fputs(summary.replayable(options).c_str(), stdout);
    std::printf("time per frame (this machine):\n");
    print_timing(update_name, summary.update);
    print_timing("clear + GameScreen::draw", summary.draw);
    print_timing("flip (rasterise, present)", summary.present);
    std::printf("real time: %.1f s for %ld frames\n", summary.real_seconds, summary.frames);
    std::printf("peak resident memory: %ld KiB\n", summary.peak_rss_kib);
    return summary.violation.empty() ? 0 : 1;
}

}  // namespace sim
