// Times one frame of play on the software renderer along a fixed path (a fixed seed steered by
// the autopilot, 16 ms frames), side by side for the two ways of drawing the map: sprite by
// sprite, and from chunks kept in textures. Two copies of the same game run in lockstep, one
// per way; each frame is timed as GameScreen::update, GameScreen::draw with its calls queued,
// rasterising them and presenting, and as a whole. Also counts the drawing calls of each.
//
//     bench_frame [frames] [warm-up frames]      (run from the repository root)
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/graphics.h"
#include "engine/input.h"
#include "game/screens/game_screen.h"
#include "tools/pilot.h"
#include "tools/simulation.h"
#include "tools/support/headless.h"

namespace {

constexpr unsigned int kSeed = 2026;
constexpr unsigned int kPilotSeed = 7;
constexpr unsigned int kFrameMs = 16;
constexpr int kWidth = 1280;
constexpr int kHeight = 720;

using Clock = std::chrono::steady_clock;

double us_since(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

struct Series {
    explicit Series(std::string name_) : name(std::move(name_)) {}

    std::string name;
    sim::Timing steady;
    std::vector<double> samples;  // steady frames, for the median
    double first = 0.0;

    void add(long frame, long warm_up, double value) {
        if (frame == 0) first = value;
        if (frame < warm_up) return;
        steady.add(value);
        samples.push_back(value);
    }
    // Robust against the frames in which other processes had the CPU.
    double median() const {
        if (samples.empty()) return 0.0;
        std::vector<double> sorted = samples;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        return sorted[sorted.size() / 2];
    }
    void print() const {
        std::printf("%-46s %10.1f %10.1f %10.1f %10.1f\n", name.c_str(), steady.mean_us(), median(),
                    steady.worst_us, first);
    }
};

std::string machine() {
    char host[256] = "?";
    gethostname(host, sizeof host - 1);
    std::string cpu = "?";
    std::ifstream info("/proc/cpuinfo");
    for (std::string line; std::getline(info, line);) {
        if (line.rfind("model name", 0) == 0) {
            cpu = line.substr(line.find(':') + 2);
            break;
        }
    }
    double load[1] = {0.0};
    getloadavg(load, 1);
    char text[512];
    std::snprintf(text, sizeof text, "%s, %s, %ld cores, load average %.2f at the start", host,
                  cpu.c_str(), sysconf(_SC_NPROCESSORS_ONLN), load[0]);
    return text;
}

// One way of drawing: its own copy of the game and its figures.
struct Path {
    explicit Path(const char* name_, bool chunked_)
        : name(name_),
          chunked(chunked_),
          update(std::string(name_) + ": GameScreen::update"),
          draw(std::string(name_) + ": clear + GameScreen::draw (queued)"),
          rasterise(std::string(name_) + ": rasterising (SDL_RenderFlush)"),
          present(std::string(name_) + ": present (flip)"),
          whole(std::string(name_) + ": whole frame"),
          calls(std::string(name_) + ": drawing calls") {
        restart(kSeed);
    }

    void restart(unsigned int seed) {
        screen = std::make_unique<GameScreen>(seed);
        screen->map_view.chunked = chunked;
    }

    // One frame; false when the game asked to be replaced.
    bool frame(Graphics& graphics, Input& input, Audio& audio, long n, long warm_up) {
        const auto start = Clock::now();
        if (!screen->update(input, audio, kFrameMs)) return false;
        const double t_update = us_since(start);
        const uint64_t calls_before = graphics.copies_made + graphics.primitives_made;
        auto t = Clock::now();
        graphics.clear();
        screen->draw(graphics);
        const double t_draw = us_since(t);
        t = Clock::now();
        SDL_RenderFlush(graphics.renderer);
        const double t_rasterise = us_since(t);
        t = Clock::now();
        graphics.flip();
        const double t_present = us_since(t);
        const double t_whole = us_since(start);

        const MapChunks::Stats& chunks = screen->map_view.chunk_cache().last;
        // Copies (of images and of chunks), primitives, and the clears of chunks begun.
        const uint64_t made = graphics.copies_made + graphics.primitives_made - calls_before;
        const double call_count = static_cast<double>(made) + (chunks.used ? chunks.started : 0);
        update.add(n, warm_up, t_update);
        draw.add(n, warm_up, t_draw);
        rasterise.add(n, warm_up, t_rasterise);
        present.add(n, warm_up, t_present);
        whole.add(n, warm_up, t_whole);
        calls.add(n, warm_up, call_count);
        if (chunked && !chunks.used) ++unchunked_frames;
        return true;
    }

    void print() const {
        for (const Series* s : {&update, &draw, &rasterise, &present, &whole}) s->print();
    }

    const char* name;
    bool chunked;
    std::unique_ptr<GameScreen> screen;
    Series update, draw, rasterise, present, whole, calls;
    long unchunked_frames = 0;
};

// Plays `frames` frames along the fixed path, both ways of drawing in lockstep.
long play(Graphics& graphics, Path& direct, Path& chunked, long frames, long warm_up) {
    long games = 1;
    Audio audio{Audio::Config{}};
    Input input;
    sim::Pilot pilot(sim::Policy::Autopilot, kPilotSeed);
    for (long frame = 0; frame < frames; ++frame) {
        const GameScreen& leader = *direct.screen;
        input.pressed_buttons.clear();
        input.held_buttons.clear();
        input.press(leader.results_shown()
                        ? Input::Button::Start
                        : static_cast<Input::Button>(pilot.choose(leader.world)));
        // Both copies see the same inputs and times, so they play the same game.
        const bool on = direct.frame(graphics, input, audio, frame, warm_up);
        chunked.frame(graphics, input, audio, frame, warm_up);
        if (!on) {
            const auto seed = kSeed + static_cast<unsigned int>(games++);
            direct.restart(seed);
            chunked.restart(seed);
        }
    }
    return games;
}

void report(const std::string& where, const Path& direct, const Path& chunked, long frames,
            long warm_up, long games) {
    std::printf("machine: %s\n", where.c_str());
    std::printf(
        "seed %u steered by the autopilot, %ld frames of %u ms (%ld warm-up frames left out "
        "of mean, median and worst), %ld games, software renderer %dx%d\n",
        kSeed, frames, kFrameMs, warm_up, games, kWidth, kHeight);
    std::printf("%-46s %10s %10s %10s %10s   (microseconds)\n", "", "mean", "median", "worst",
                "first");
    direct.print();
    chunked.print();
    for (const Path* p : {&direct, &chunked}) {
        std::printf(
            "%s: drawing calls per frame %.1f mean, %.0f median, %.0f at most, plus one "
            "clear\n",
            p->name, p->calls.steady.mean_us(), p->calls.median(), p->calls.steady.worst_us);
    }
    std::printf("chunked frames drawn sprite by sprite instead: %ld\n", chunked.unchunked_frames);
    std::printf(
        "whole frame, direct over chunked: %.2fx by medians, %.2fx by means (target: at least "
        "3x)\n",
        direct.whole.median() / chunked.whole.median(),
        direct.whole.steady.mean_us() / chunked.whole.steady.mean_us());
}

}  // namespace

int main(int argc, char** argv) {
    const long frames = argc > 1 ? std::max(2L, std::atol(argv[1])) : 2000;
    const long warm_up = argc > 2 ? std::clamp(std::atol(argv[2]), 0L, frames - 1) : 60;

    if (!headless::start(SDL_INIT_VIDEO | SDL_INIT_AUDIO | SDL_INIT_TIMER | SDL_INIT_EVENTS)) {
        return 1;
    }
    auto graphics = headless::make_graphics(kWidth, kHeight, "bench_frame");
    if (!graphics->ok()) {
        std::fprintf(stderr, "%s\n", graphics->error.c_str());
        return 1;
    }
    const std::string where = machine();
    {
        Path direct("direct", false);
        Path chunked("chunked", true);
        const long games = play(*graphics, direct, chunked, frames, warm_up);
        report(where, direct, chunked, frames, warm_up, games);
    }
    graphics.reset();
    SDL_Quit();
    return 0;
}
