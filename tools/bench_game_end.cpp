// Times the frame that ends a game against ordinary frames, with the player's files written to
// real folders (a scratch XDG data and config folder): GameScreen::update of every frame, and
// apart from it the writer's time per game, which is what the ending frame would cost if it
// wrote the records and replays itself. Games end after a fixed number of autopilot frames.
//
//     bench_game_end [games] [frames per game]      (run from the repository root)
#include <SDL.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/input.h"
#include "game/profile/profile.h"
#include "game/screens/game_screen.h"
#include "game/screens/screen_flow.h"
#include "tools/pilot.h"
#include "tools/support/headless.h"

namespace {

constexpr unsigned int kSeed = 2026;
constexpr unsigned int kPilotSeed = 7;

using Clock = std::chrono::steady_clock;

double us_since(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

double mean(const std::vector<double>& values) {
    double sum = 0.0;
    for (double v : values) sum += v;
    return values.empty() ? 0.0 : sum / static_cast<double>(values.size());
}

double worst(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

}  // namespace

int main(int argc, char** argv) {
    const long games = argc > 1 ? std::max(1L, std::atol(argv[1])) : 20;
    const long frames = argc > 2 ? std::max(2L, std::atol(argv[2])) : 600;
    if (!headless::start(SDL_INIT_AUDIO | SDL_INIT_TIMER | SDL_INIT_EVENTS)) return 1;

    char scratch[] = "/tmp/bench_game_end-XXXXXX";
    if (mkdtemp(scratch) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path root(scratch);
    std::vector<double> ordinary;
    std::vector<double> ending;
    std::vector<double> writing;
    {
        Profile profile(root / "data", root / "config");
        ScreenFlow flow(profile);
        Audio audio{Audio::Config{}};
        Input input;
        sim::Pilot pilot(sim::Policy::Autopilot, kPilotSeed);
        for (long game = 0; game < games; ++game) {
            GameScreen screen(kSeed + static_cast<unsigned int>(game), &flow);
            for (long frame = 0; screen.world.state != World::State::GameOver; ++frame) {
                // Starved on the set frame, so that every game ends on time.
                if (frame == frames - 1) screen.world.player.length = 0.5;
                input.pressed_buttons.clear();
                input.press(static_cast<Input::Button>(pilot.choose(screen.world)));
                const auto start = Clock::now();
                screen.update(input, audio, 16);
                const double us = us_since(start);
                (screen.world.state == World::State::GameOver ? ending : ordinary).push_back(us);
            }
            const auto start = Clock::now();
            flow.writer().flush();
            writing.push_back(us_since(start));
        }
    }
    std::filesystem::remove_all(root);
    SDL_Quit();

    std::printf("%ld games of %ld frames of 16 ms, files in a scratch folder under /tmp\n", games,
                frames);
    std::printf("%-44s %10s %10s %10s   (microseconds)\n", "", "median", "mean", "worst");
    const auto row = [](const char* name, const std::vector<double>& values) {
        std::printf("%-44s %10.1f %10.1f %10.1f\n", name, median(values), mean(values),
                    worst(values));
    };
    row("ordinary frame: GameScreen::update", ordinary);
    row("ending frame: GameScreen::update", ending);
    // What the ending frame cost when it wrote the files itself.
    row("writer: records and replays, off the frame", writing);
    return 0;
}
