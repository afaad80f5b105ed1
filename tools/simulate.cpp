// Plays seeded games headless through the rules alone, game after game, for a number of
// simulated minutes, checking the game's invariants after every step. Stops at the first
// violation (exit status 1). Links the world library and nothing else of ours: no SDL.
//
//     simulate [--seed N] [--minutes M] [--frame-ms MS | MIN-MAX]
//              [--policy none|random|autopilot|start] [--sample-minutes M]
//
// The lines up to "replay digest" depend only on the options: the same options print them
// identically on every run, and the same as simulate_drawn with the same options. The soak in
// hours, on an optimised build, with resident memory sampled every ten simulated minutes, is
// simulate_drawn's (it draws too); this one checks the rules faster:
//
//     simulate --seed 2026 --minutes 240 --frame-ms 16-50 --sample-minutes 10
#include "tools/simulate_cli.h"

int main(int argc, char** argv) {
    sim::Options options;
    if (!sim::parse(argc, argv, false, options)) {
        sim::usage("simulate", false);
        return 2;
    }
    return sim::run<World>(options, nullptr, "World::step");
}
