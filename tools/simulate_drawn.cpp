// Plays seeded games headless on the play screen, game after game, for a number of simulated
// minutes, checking the game's invariants after every step and drawing on the software renderer
// now and then. Stops at the first violation (exit status 1).
//
//     simulate_drawn [--seed N] [--minutes M] [--frame-ms MS | MIN-MAX]
//                    [--policy none|random|autopilot|start] [--draw | --draw-every N]
//                    [--sample-minutes M]
//
// Run it from the repository root so that content/ is found. The lines up to "replay digest"
// depend only on the options: the same options print them identically on every run. The soak in
// hours, on an optimised build, with resident memory sampled every ten simulated minutes:
//
//     simulate_drawn --seed 2026 --minutes 240 --frame-ms 16-50 --draw-every 4 --sample-minutes 10
#include <SDL.h>

#include <cstdio>
#include <memory>

#include "engine/graphics.h"
#include "game/screens/game_screen.h"
#include "tools/simulate_cli.h"
#include "tools/support/headless.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

}  // namespace

int main(int argc, char** argv) {
    sim::Options options;
    if (!sim::parse(argc, argv, true, options)) {
        sim::usage("simulate_drawn", true);
        return 2;
    }

    // Headless whatever the environment says: no window appears. The rules make no sound.
    if (!headless::start(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS)) return 1;

    std::unique_ptr<Graphics> graphics;
    if (options.draw_every > 0) {
        // The software renderer, as on a machine without a GPU.
        graphics = headless::make_graphics(kWidth, kHeight, "simulate_drawn");
        if (!graphics->ok()) {
            std::fprintf(stderr, "%s\n", graphics->error.c_str());
            return 1;
        }
    }
    const int status = sim::run<GameScreen>(options, graphics.get(), "GameScreen::advance");
    graphics.reset();
    SDL_Quit();
    return status;
}
