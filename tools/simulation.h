// Headless play of seeded games back to back: the options of a run, its summary and the loop
// that checks every frame. Shared by tools/simulate.cpp (the rules alone), tools/simulate_drawn.cpp
// and tools/bench_frame.cpp (the play screen, drawn) and the soak tests; header-only because
// every tools/*.cpp becomes a program of its own. Includes nothing of the engine: a simulation
// of bare worlds links the rules alone.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "game/world/replay.h"
#include "game/world/world.h"
#include "tools/invariants.h"
#include "tools/pilot.h"

class Graphics;

namespace sim {

// The world a simulated game is played in: a bare World, or a screen that holds one and draws it.
inline World& world_of(World& world) { return world; }
inline const World& world_of(const World& world) { return world; }
template <typename Game>
World& world_of(Game& game) {
    return game.world;
}
template <typename Game>
const World& world_of(const Game& game) {
    return game.world;
}

struct Options {
    unsigned int seed = 1;
    double minutes = 1.0;
    unsigned int frame_ms_min = 16;  // each frame's time is drawn from this range
    unsigned int frame_ms_max = 16;
    Policy policy = Policy::Autopilot;
    int draw_every = 0;         // 0: never draw; n: every n-th frame
    double sample_minutes = 0;  // memory samples every so many simulated minutes; 0: none
};

struct Timing {
    double total_us = 0.0;
    double worst_us = 0.0;
    long count = 0;

    void add(double us) {
        total_us += us;
        worst_us = std::max(worst_us, us);
        ++count;
    }
    double mean_us() const { return count == 0 ? 0.0 : total_us / static_cast<double>(count); }
};

// One memory sample: resident size beside what the current game's map must remember.
struct MemorySample {
    double minute;
    long rss_kib;
    size_t dug;
    size_t food;
    long games;
};

struct Summary {
    // Decided by the options alone: the same for every run with the same options.
    long games = 0;  // finished games; the one still running at the end is not counted
    long frames = 0;
    double deepest = 0.0;                      // metres
    double longest = 0.0;                      // centimetres
    long centipedes = 0;                       // spawned
    long tiles_dug = 0;                        // over all games, the running one included
    long food_eaten = 0;                       // by the worm
    uint64_t digest = 1469598103934665603ull;  // of every frame's world state
    std::string violation;                     // empty when every check held
    long violation_frame = -1;

    // Measured on this machine.
    Timing update;
    Timing draw;     // the screen's draw, copies queued
    Timing present;  // rasterising and presenting
    double real_seconds = 0.0;
    long peak_rss_kib = 0;
    std::vector<MemorySample> memory;

    // The part that must replay exactly.
    std::string replayable(const Options& options) const {
        std::ostringstream out;
        out << "seed " << options.seed << ", policy " << policy_name(options.policy) << ", frame "
            << options.frame_ms_min;
        if (options.frame_ms_max != options.frame_ms_min) out << "-" << options.frame_ms_max;
        out << " ms, " << options.minutes << " simulated minutes\n";
        char line[512];
        std::snprintf(line, sizeof line,
                      "games played: %ld\nframes: %ld\ndeepest depth: %.2f m\n"
                      "greatest length: %.2f cm\ncentipedes spawned: %ld\ntiles dug: %ld\n"
                      "food eaten: %ld\nreplay digest: %016llx\n",
                      games, frames, deepest, longest, centipedes, tiles_dug, food_eaten,
                      static_cast<unsigned long long>(digest));
        out << line;
        if (!violation.empty())
            out << "VIOLATION at frame " << violation_frame << ": " << violation << "\n";
        return out.str();
    }
};

inline long peak_rss_kib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;  // KiB on Linux
}

inline long current_rss_kib() {
    long pages_total = 0;
    long pages_resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages_total, &pages_resident) != 2) pages_resident = 0;
        std::fclose(statm);
    }
    return pages_resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Plays seeded games back to back for the simulated time of `options`, checking the invariants
// after every step, and stops at the first violation. Game is World, or a screen holding one
// (`world`) that can draw it; `graphics` may be null (no drawing).
template <typename Game = World>
class Simulation {
public:
    using Clock = std::chrono::steady_clock;
    using Button = Replay::Button;

    // No sound: the rules only report what a player would hear.
    explicit Simulation(const Options& options_, Graphics* graphics_ = nullptr)
        : options(options_),
          graphics(graphics_),
          rng(options_.seed),
          pilot(options_.policy, static_cast<unsigned int>(rng())),
          frame_rng(rng()) {}

    Summary run(const std::function<void(const MemorySample&)>& on_sample = {}) {
        const auto start = Clock::now();
        const uint64_t total_ms = static_cast<uint64_t>(options.minutes * 60000.0);
        const uint64_t sample_ms = static_cast<uint64_t>(options.sample_minutes * 60000.0);
        uint64_t next_sample = sample_ms;
        uint64_t simulated = 0;
        new_game();
        while (simulated < total_ms && summary.violation.empty()) {
            const unsigned int ms = frame_time();
            frame(ms);
            simulated += ms;
            if (sample_ms > 0 && simulated >= next_sample) {
                next_sample += sample_ms;
                const MemorySample m{static_cast<double>(simulated) / 60000.0, current_rss_kib(),
                                     world().map.tile_overrides.size(), world().map.food.size(),
                                     summary.games};
                summary.memory.push_back(m);
                if (on_sample) on_sample(m);
            }
        }
        if (screen) summary.tiles_dug += static_cast<long>(world().map.tile_overrides.size());
        summary.real_seconds = std::chrono::duration<double>(Clock::now() - start).count();
        summary.peak_rss_kib = peak_rss_kib();
        return summary;
    }

    const Game& current() const { return *screen; }

private:
    World& world() { return world_of(*screen); }
    unsigned int frame_time() {
        if (options.frame_ms_min >= options.frame_ms_max) return options.frame_ms_min;
        return std::uniform_int_distribution<unsigned int>(options.frame_ms_min,
                                                           options.frame_ms_max)(frame_rng);
    }

    void new_game() {
        if (screen) {
            summary.tiles_dug += static_cast<long>(world().map.tile_overrides.size());
            if constexpr (requires(Game & g) { g.next_screen(); }) {
                // The successor a player would see; built and dropped to exercise it.
                using Next = std::remove_pointer_t<decltype(screen->next_screen())>;
                std::unique_ptr<Next>(screen->next_screen()).reset();
            }
            screen.reset();
        }
        game_seed = static_cast<unsigned int>(rng());
        screen = std::make_unique<Game>(game_seed);
    }

    Button choose() {
        // The simulator itself leaves the results, so that every policy plays game after game.
        if (world().results_shown()) return Button::Start;
        return pilot.choose(world());
    }

    void mix(uint64_t value) {
        for (int i = 0; i < 8; ++i) {
            summary.digest ^= (value >> (8 * i)) & 0xFF;
            summary.digest *= 1099511628211ull;
        }
    }

    void frame(unsigned int ms) {
        const Replay::Step step{ms, Replay::bit(choose()), 0};

        const Snapshot before = take_snapshot(world());
        const auto t0 = Clock::now();
        bool keep = false;
        if constexpr (std::is_same_v<Game, World>) {
            keep = screen->step(step);
        } else {
            keep = screen->advance(step);
        }
        const auto t1 = Clock::now();
        summary.update.add(std::chrono::duration<double, std::micro>(t1 - t0).count());
        ++summary.frames;
        if (!keep) {
            summary.deepest = std::max(summary.deepest, world().max_depth);
            summary.longest = std::max(summary.longest, world().max_length);
            ++summary.games;
            new_game();
            return;
        }

        const World& w = world();
        const std::string broken = check_invariants(w, before, ms);
        if (!broken.empty()) {
            const GridPoint head = w.player.segments.front().position;
            std::ostringstream where;
            where << broken << "\n  in game " << summary.games + 1 << " (World seed " << game_seed
                  << "), a frame of " << ms << " ms, state " << static_cast<int>(w.state)
                  << ", head (" << head.q << ", " << head.r << "), length " << w.player.length
                  << ", " << w.player.segments.size() << " segments, " << w.centipedes.size()
                  << " centipedes";
            summary.violation = where.str();
            summary.violation_frame = summary.frames;
            return;
        }
        count(before);

        if (graphics != nullptr && options.draw_every > 0 &&
            summary.frames % options.draw_every == 0) {
            draw(*screen, *graphics);
        }
    }

    // Only a game that draws itself is drawn; Graphics is known wherever one is.
    template <typename Canvas>
    void draw(const Game& game, Canvas& canvas) {
        if constexpr (requires { game.draw(canvas); }) {
            const auto d0 = Clock::now();
            canvas.clear();
            game.draw(canvas);
            const auto d1 = Clock::now();
            canvas.flip();
            const auto d2 = Clock::now();
            summary.draw.add(std::chrono::duration<double, std::micro>(d1 - d0).count());
            summary.present.add(std::chrono::duration<double, std::micro>(d2 - d1).count());
        }
    }

    void count(const Snapshot& before) {
        const World& s = world();
        const GridPoint head = s.player.segments.front().position;
        summary.deepest = std::max(summary.deepest, s.max_depth);
        summary.longest = std::max(summary.longest, s.max_length);
        if (before.state == World::State::Playing && s.spawn_timer > before.spawn_timer) {
            ++summary.centipedes;
        }
        // Eaten by the worm: gone from its new head tile, and no centipede was there to take it
        // first (they step before the worm eats).
        const bool had_food = std::find(before.food_near_head.begin(), before.food_near_head.end(),
                                        head) != before.food_near_head.end();
        if (had_food && s.map.food.count(head) == 0 &&
            std::none_of(s.centipedes.begin(), s.centipedes.end(), [&](const Centipede& c) {
                return c.head == head || c.head.apply(Direction::NE) == head ||
                       c.head.apply(Direction::NW) == head || c.head.apply(Direction::SE) == head ||
                       c.head.apply(Direction::SW) == head;
            })) {
            ++summary.food_eaten;
        }
        mix(static_cast<uint64_t>(head.q));
        mix(static_cast<uint64_t>(head.r));
        uint64_t bits = 0;
        static_assert(sizeof bits == sizeof s.player.length);
        std::memcpy(&bits, &s.player.length, sizeof bits);
        mix(bits);
        mix(s.centipedes.size() * 4 + static_cast<uint64_t>(s.state));
    }

    Options options;
    Graphics* graphics;
    std::mt19937 rng;  // seeds of the games and of the pilot
    Pilot pilot;
    std::mt19937 frame_rng;
    std::unique_ptr<Game> screen;
    unsigned int game_seed = 0;
    Summary summary;
};

}  // namespace sim
