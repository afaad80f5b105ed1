// Times one frame of play on the software renderer along a fixed path (a fixed seed steered by
// the autopilot, 16 ms frames): GameScreen::update, GameScreen::draw with its copies queued,
// the same draw with the copies only counted, rasterising and presenting, and the whole frame.
// In the same run, the bare cost of queueing the very same copies and primitives with textures
// and rectangles worked out beforehand: the floor that no drawing code can go below.
//
//     bench_frame [frames] [warm-up frames]      (run from the repository root)
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/graphics.h"
#include "engine/input.h"
#include "game/game_screen.h"
#include "tools/pilot.h"
#include "tools/simulation.h"

namespace {

constexpr unsigned int kSeed = 2026;
constexpr unsigned int kPilotSeed = 7;
constexpr unsigned int kFrameMs = 16;
constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kBorderRects = 32;  // the starvation border's outlines

using Clock = std::chrono::steady_clock;

double us_since(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// One queued drawing call, with everything SDL needs already at hand.
struct BareCall {
    SDL_Texture* texture = nullptr;  // null: a primitive rectangle
    SDL_Rect source{};
    SDL_Rect destination{};
    bool whole_source = false;
    bool whole_destination = false;
    bool ex = false;
    double angle = 0.0;
    SDL_RendererFlip flip = SDL_FLIP_NONE;
    SDL_Color color{};
    bool filled = false;
};

// The primitives GameScreen::draw makes besides its copies, worked out from its state.
void add_primitives(const GameScreen& screen, std::vector<BareCall>& calls) {
    using State = GameScreen::State;
    if (screen.player.length < 2.0 && screen.state != State::GameOver) {
        for (int i = 0; i < kBorderRects; ++i) {
            BareCall call;
            call.destination = {i, i, kWidth - 2 * i, kHeight - 2 * i};
            call.color = {255, 0, 0, static_cast<Uint8>(255 - 8 * i)};
            calls.push_back(call);
        }
    }
    if (screen.state != State::Playing) {
        BareCall call;
        call.destination = {0, 0, kWidth, kHeight};
        call.color = {0, 0, 0, 128};
        call.filled = true;
        calls.push_back(call);
    }
}

void queue(SDL_Renderer* renderer, const std::vector<BareCall>& calls) {
    for (const BareCall& c : calls) {
        const SDL_Rect* source = c.whole_source ? nullptr : &c.source;
        const SDL_Rect* destination = c.whole_destination ? nullptr : &c.destination;
        if (c.texture == nullptr) {
            SDL_SetRenderDrawColor(renderer, c.color.r, c.color.g, c.color.b, c.color.a);
            if (c.filled) {
                SDL_RenderFillRect(renderer, destination);
            } else {
                SDL_RenderDrawRect(renderer, destination);
            }
        } else if (c.ex) {
            SDL_RenderCopyEx(renderer, c.texture, source, destination, c.angle, nullptr, c.flip);
        } else {
            SDL_RenderCopy(renderer, c.texture, source, destination);
        }
    }
}

struct Series {
    explicit Series(const char* name_) : name(name_) {}

    const char* name;
    sim::Timing steady;
    std::vector<double> samples;  // steady frames, for the median
    double first_us = 0.0;

    void add(long frame, long warm_up, double us) {
        if (frame == 0) first_us = us;
        if (frame < warm_up) return;
        steady.add(us);
        samples.push_back(us);
    }
    // Robust against the frames in which other processes had the CPU.
    double median() const {
        if (samples.empty()) return 0.0;
        std::vector<double> sorted = samples;
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        return sorted[sorted.size() / 2];
    }
    void print() const {
        std::printf("%-44s %10.1f %10.1f %10.1f %10.1f\n", name, steady.mean_us(), median(),
                    steady.worst_us, first_us);
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

}  // namespace

int main(int argc, char** argv) {
    const long frames = argc > 1 ? std::max(2L, std::atol(argv[1])) : 2000;
    const long warm_up = argc > 2 ? std::clamp(std::atol(argv[2]), 0L, frames - 1) : 60;

    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO | SDL_INIT_TIMER | SDL_INIT_EVENTS);
    Graphics::Config config;
    config.fullscreen = false;
    config.accelerated = false;
    config.vsync = false;
    config.title = "bench_frame";
    config.width = kWidth;
    config.height = kHeight;
    auto graphics = std::make_unique<Graphics>(config);
    if (!graphics->ok()) {
        std::fprintf(stderr, "%s\n", graphics->error.c_str());
        return 1;
    }
    const std::string where = machine();

    Series update{"GameScreen::update"};
    Series draw{"clear + GameScreen::draw (copies queued)"};
    Series cpu{"GameScreen::draw, copies counted only"};
    Series rasterise{"rasterising the queue (SDL_RenderFlush)"};
    Series present{"present (flip)"};
    Series whole{"whole frame (update, draw, rasterise, flip)"};
    Series bare{"bare queueing of the same calls"};
    // Where the drawing time goes, for whoever tunes it.
    Series plan{"  of which Map::plan_draw (tile lookups)"};
    sim::Timing copies;
    sim::Timing primitives;
    long games = 1;
    {
        Audio audio{Audio::Config{}};
        Input input;
        sim::Pilot pilot(sim::Policy::Autopilot, kPilotSeed);
        auto screen = std::make_unique<GameScreen>(kSeed);
        std::vector<Graphics::BlitRecord> log;
        std::vector<BareCall> calls;

        for (long frame = 0; frame < frames; ++frame) {
            input.pressed_buttons.clear();
            input.held_buttons.clear();
            const bool over = screen->state == GameScreen::State::GameOver &&
                              screen->fader.elapsed >= screen->fader.duration;
            input.press(over ? Input::Button::Start : pilot.choose(*screen));

            const auto start = Clock::now();
            if (!screen->update(input, audio, kFrameMs)) {
                screen = std::make_unique<GameScreen>(kSeed + static_cast<unsigned int>(games++));
                continue;
            }
            const double t_update = us_since(start);
            auto t = Clock::now();
            graphics->clear();
            screen->draw(*graphics);
            const double t_draw = us_since(t);
            t = Clock::now();
            SDL_RenderFlush(graphics->renderer);
            const double t_rasterise = us_since(t);
            t = Clock::now();
            graphics->flip();
            const double t_present = us_since(t);
            const double t_whole = us_since(start);

            // The same frame once more with every copy only logged, then those copies queued
            // bare. Neither is part of the frame above.
            log.clear();
            graphics->blit_log = &log;
            graphics->blit_log_only = true;
            t = Clock::now();
            screen->draw(*graphics);
            const double t_cpu = us_since(t);
            graphics->blit_log = nullptr;
            graphics->blit_log_only = false;

            calls.clear();
            for (const Graphics::BlitRecord& r : log) {
                BareCall call;
                call.texture = graphics->load_image(r.image);
                call.source = r.source;
                call.destination = r.destination;
                call.whole_source = r.whole_source;
                call.whole_destination = r.whole_destination;
                call.ex = r.flip != Graphics::FlipDirection::None || r.angle != 0.0;
                call.angle = r.angle;
                call.flip = static_cast<SDL_RendererFlip>(r.flip);
                calls.push_back(call);
            }
            const size_t copy_count = calls.size();
            add_primitives(*screen, calls);
            // Clipped to one pixel, so that these copies cost next to nothing to rasterise;
            // queueing does not look at the clip.
            const SDL_Rect pixel{0, 0, 1, 1};
            SDL_RenderSetClipRect(graphics->renderer, &pixel);
            t = Clock::now();
            queue(graphics->renderer, calls);
            const double t_bare = us_since(t);
            SDL_RenderFlush(graphics->renderer);
            SDL_RenderSetClipRect(graphics->renderer, nullptr);

            std::vector<Map::TileDraw> tiles;
            t = Clock::now();
            screen->map.plan_draw(kWidth, kHeight, std::lround(screen->camera.x),
                                  std::lround(screen->camera.y), tiles);
            const double t_plan = us_since(t);

            update.add(frame, warm_up, t_update);
            draw.add(frame, warm_up, t_draw);
            cpu.add(frame, warm_up, t_cpu);
            rasterise.add(frame, warm_up, t_rasterise);
            present.add(frame, warm_up, t_present);
            whole.add(frame, warm_up, t_whole);
            bare.add(frame, warm_up, t_bare);
            plan.add(frame, warm_up, t_plan);
            if (frame >= warm_up) {
                copies.add(static_cast<double>(copy_count));
                primitives.add(static_cast<double>(calls.size() - copy_count));
            }
        }

        std::printf("machine: %s\n", where.c_str());
        std::printf(
            "seed %u steered by the autopilot, %ld frames of %u ms (%ld warm-up frames "
            "left out of mean and worst), %d games, software renderer %dx%d\n",
            kSeed, frames, kFrameMs, warm_up, static_cast<int>(games), kWidth, kHeight);
        std::printf("%-44s %10s %10s %10s %10s   (microseconds)\n", "", "mean", "median", "worst",
                    "first");
        for (const Series* s : {&update, &draw, &cpu, &plan, &rasterise, &present, &whole, &bare}) {
            s->print();
        }
        std::printf(
            "SDL drawing calls per frame: %.1f copies (at most %.0f), %.1f primitives (at "
            "most %.0f), plus one clear\n",
            copies.mean_us(), copies.worst_us, primitives.mean_us(), primitives.worst_us);
        std::printf(
            "update + draw over bare queueing: %.2fx by means, %.2fx by medians (target: at "
            "most 1.5x)\n",
            (update.steady.mean_us() + draw.steady.mean_us()) / bare.steady.mean_us(),
            (update.median() + draw.median()) / bare.median());
    }
    graphics.reset();
    SDL_Quit();
    return 0;
}
