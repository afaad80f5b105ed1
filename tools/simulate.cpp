// Plays seeded games headless, game after game, for a number of simulated minutes, checking the
// game's invariants after every frame. Stops at the first violation (exit status 1).
//
//     simulate [--seed N] [--minutes M] [--frame-ms MS | MIN-MAX]
//              [--policy none|random|autopilot|start] [--draw | --draw-every N]
//              [--sample-minutes M]
//
// Run it from the repository root so that content/ is found. The lines up to "replay digest"
// depend only on the options: the same options print them identically on every run. The soak
// in hours, on an optimised build, with resident memory sampled every ten simulated minutes:
//
//     simulate --seed 2026 --minutes 240 --frame-ms 16-50 --draw-every 4 --sample-minutes 10
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/graphics.h"
#include "tools/simulation.h"
#include "tools/support/headless.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

void usage() {
    std::fprintf(
        stderr,
        "usage: simulate [--seed N] [--minutes M] [--frame-ms MS | MIN-MAX]\n"
        "                [--policy none|random|autopilot|start] [--draw | --draw-every N]\n"
        "                [--sample-minutes M]\n");
}

bool parse_unsigned(const char* text, unsigned long& out) {
    char* end = nullptr;
    out = std::strtoul(text, &end, 10);
    return end != text && *end == '\0' && text[0] != '-';
}

bool parse_frame_ms(const std::string& text, sim::Options& options) {
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

bool parse(int argc, char** argv, sim::Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--draw") {
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
        } else if (arg == "--draw-every" && parse_unsigned(value.c_str(), number)) {
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

void print_timing(const char* name, const sim::Timing& timing) {
    if (timing.count == 0) return;
    std::printf("  %-28s mean %9.1f us, worst %10.1f us, %ld frames\n", name, timing.mean_us(),
                timing.worst_us, timing.count);
}

}  // namespace

int main(int argc, char** argv) {
    sim::Options options;
    if (!parse(argc, argv, options)) {
        usage();
        return 2;
    }

    // Headless whatever the environment says: no window appears. The rules make no sound.
    if (!headless::start(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS)) return 1;

    std::unique_ptr<Graphics> graphics;
    if (options.draw_every > 0) {
        // The software renderer, as on a machine without a GPU.
        graphics = headless::make_graphics(kWidth, kHeight, "simulate");
        if (!graphics->ok()) {
            std::fprintf(stderr, "%s\n", graphics->error.c_str());
            return 1;
        }
    }
    int status = 0;
    {
        sim::Simulation simulation(options, graphics.get());
        const sim::Summary summary = simulation.run([](const sim::MemorySample& m) {
            std::printf("minute %8.1f: resident %7ld KiB, dug tiles %7zu, food %6zu, games %ld\n",
                        m.minute, m.rss_kib, m.dug, m.food, m.games);
            std::fflush(stdout);
        });

        std::fputs(summary.replayable(options).c_str(), stdout);
        std::printf("time per frame (this machine):\n");
        print_timing("GameScreen::update", summary.update);
        print_timing("clear + GameScreen::draw", summary.draw);
        print_timing("flip (rasterise, present)", summary.present);
        std::printf("real time: %.1f s for %ld frames\n", summary.real_seconds, summary.frames);
        std::printf("peak resident memory: %ld KiB\n", summary.peak_rss_kib);
        status = summary.violation.empty() ? 0 : 1;
    }
    graphics.reset();
    SDL_Quit();
    return status;
}
