// Who presses which button in a simulated frame: nobody, random turns, an autopilot, or random
// Start presses.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>

#include "game/world/replay.h"
#include "game/world/world.h"

namespace sim {

enum class Policy { None, RandomTurns, Autopilot, StartPresses };

inline const char* policy_name(Policy policy) {
    switch (policy) {
        case Policy::None:
            return "none";
        case Policy::RandomTurns:
            return "random";
        case Policy::Autopilot:
            return "autopilot";
        case Policy::StartPresses:
            return "start";
    }
    return "?";
}

inline bool parse_policy(const std::string& name, Policy& policy) {
    for (Policy p : {Policy::None, Policy::RandomTurns, Policy::Autopilot, Policy::StartPresses}) {
        if (name == policy_name(p)) {
            policy = p;
            return true;
        }
    }
    return false;
}

// Chooses the button pressed in a frame. Owns its engine, so a policy never disturbs the
// game's own randomness.
class Pilot {
public:
    using Button = Replay::Button;
    static constexpr int kTurnOneIn = 12;    // frames, random turns
    static constexpr int kStartOneIn = 150;  // frames, Start presses

    Pilot(Policy policy_, unsigned int seed) : policy(policy_), rng(seed) {}

    Button choose(const World& screen) {
        switch (policy) {
            case Policy::None:
                return Button::None;
            case Policy::RandomTurns:
                return random_turn();
            case Policy::StartPresses:
                if (one_in(kStartOneIn)) return Button::Start;
                return screen.state == World::State::Playing ? random_turn() : Button::None;
            case Policy::Autopilot:
                return steer(screen);
        }
        return Button::None;
    }

private:
    bool one_in(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng) == 0; }

    Button random_turn() {
        if (!one_in(kTurnOneIn)) return Button::None;
        return one_in(2) ? Button::Left : Button::Right;
    }

    // Downwards, towards the nearest food, away from the rows of near centipedes; never into
    // its own body or rock.
    static double score(const World& screen, const GridPoint& head, Direction d,
                        const GridPoint* food) {
        const GridPoint next = head.apply(d);
        if (screen.player.occupying(next)) return -1000.0;
        const Map::TileType tile = screen.map.get_tile(next);
        double score = 0.0;
        if (tile == Map::TileType::Rock) score -= 500.0;
        if (screen.map.get_tile(next.apply(d)) == Map::TileType::Rock) score -= 40.0;
        score -= screen.map.strength(next) / 100.0;
        score += 4.0 * static_cast<double>(next.r - head.r);
        if (food != nullptr)
            score += 8.0 * static_cast<double>(head.dist(*food) - next.dist(*food));
        for (const Centipede& c : screen.centipedes) {
            if (c.head.dist(next) > 12) continue;
            const int64_t rows = std::llabs(next.r - c.head.r);
            if (rows <= 1) score -= 30.0;
            score += 10.0 * static_cast<double>(rows - std::llabs(head.r - c.head.r));
        }
        return score;
    }

    Button steer(const World& screen) {
        if (screen.state != World::State::Playing) return Button::None;
        const Player::Segment& head = screen.player.segments.front();
        const GridPoint* food = nullptr;
        int64_t nearest = 15;  // cells; farther food is not worth a detour
        for (const auto& [p, kind] : screen.map.food) {
            const int64_t d = head.position.dist(p);
            if (d < nearest || (d == nearest && food != nullptr && p.r > food->r)) {
                nearest = d;
                food = &p;
            }
        }
        const Direction left(static_cast<Direction::Value>((head.front.value + 5) % 6));
        const Direction right(static_cast<Direction::Value>((head.front.value + 1) % 6));
        Button best = Button::None;
        double best_score = score(screen, head.position, head.front, food);
        for (const auto& [d, button] : {std::pair{left, Button::Left}, {right, Button::Right}}) {
            if (d.angle(head.back) <= 90) continue;  // the worm would refuse the turn
            const double s = score(screen, head.position, d, food);
            if (s > best_score) {
                best_score = s;
                best = button;
            }
        }
        return best;
    }

    Policy policy;
    std::mt19937 rng;
};

}  // namespace sim
