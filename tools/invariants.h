// The rules a frame of play must leave intact, checked after World::step returns (the camera
// has followed the head by then). Used by the simulator and the fault tests.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <unordered_set>
#include <vector>

#include "game/world/camera.h"
#include "game/world/world.h"

namespace sim {

constexpr double kMaxGainPerFrame = 2.0;  // rounding up after a bite (< 1) plus one meal (1.0)

// What the checks compare the next frame against.
struct Snapshot {
    World::State state = World::State::Playing;
    GridPoint head;
    size_t segments = 0;
    double length = 0.0;
    int step_timer = 0;
    int32_t food_timer = 0;
    int32_t spawn_timer = 0;
    double max_depth = 0.0;
    double max_length = 0.0;
    size_t centipedes = 0;
    int32_t centipede_timer_max = 0;
    size_t dug = 0;
    // Food on the head's tile and its six neighbours, one of which is the next head tile.
    std::vector<GridPoint> food_near_head;
};

inline Snapshot take_snapshot(const World& screen) {
    Snapshot s;
    s.state = screen.state;
    s.head = screen.player.segments.front().position;
    s.segments = screen.player.segments.size();
    s.length = screen.player.length;
    s.step_timer = screen.player.step_timer;
    s.food_timer = screen.food_timer;
    s.spawn_timer = screen.spawn_timer;
    s.max_depth = screen.max_depth;
    s.max_length = screen.max_length;
    s.centipedes = screen.centipedes.size();
    for (const Centipede& c : screen.centipedes) {
        s.centipede_timer_max = std::max(s.centipede_timer_max, c.step_timer);
    }
    s.dug = screen.map.tile_overrides.size();
    for (int d = -1; d < 6; ++d) {
        const GridPoint p =
            d < 0 ? s.head : s.head.apply(Direction(static_cast<Direction::Value>(d)));
        if (screen.map.food.count(p) != 0) s.food_near_head.push_back(p);
    }
    return s;
}

// A count-down timer after `ms`: it goes below zero only when the interval drawn on reaching
// zero was not enough to cover the frame.
inline int64_t timer_floor(int32_t before, unsigned int ms, int32_t interval_min) {
    const int64_t counted = static_cast<int64_t>(before) - static_cast<int64_t>(ms);
    return std::min<int64_t>(
        0, std::max<int64_t>(counted, std::numeric_limits<int32_t>::min()) + interval_min);
}

inline GridPoint below_left(const GridPoint& p) { return p.apply(Direction::SW); }
inline GridPoint below_right(const GridPoint& p) { return p.apply(Direction::SE); }

// Each check below is empty when its rules hold; otherwise it says what broke, with the figures.

// Numbers first: every later check assumes finite values and a known state.
inline std::string check_numbers(const World& screen) {
    std::ostringstream why;
    why.precision(17);
    const Camera& camera = screen.camera;
    const std::pair<const char*, double> doubles[] = {{"camera.x", camera.x},
                                                      {"camera.y", camera.y},
                                                      {"camera.shake_amount", camera.shake_amount},
                                                      {"player.length", screen.player.length},
                                                      {"max_depth", screen.max_depth},
                                                      {"max_length", screen.max_length},
                                                      {"map.noise_z", screen.map.noise_z}};
    for (const auto& [name, value] : doubles) {
        if (!std::isfinite(value)) {
            why << name << " is " << value;
            return why.str();
        }
    }
    const auto state = static_cast<int32_t>(screen.state);
    if (state < 0 || state > 2) {
        why << "state has the value " << state;
        return why.str();
    }
    return "";
}

// The body: a chain of neighbouring tiles, no tile twice, every tile open, the head facing away
// from its back.
inline std::string check_body(const World& screen) {
    std::ostringstream why;
    const Player& player = screen.player;
    std::unordered_set<GridPoint> seen;
    size_t index = 0;
    const Player::Segment* previous = nullptr;
    for (const Player::Segment& segment : player.segments) {
        if (!seen.insert(segment.position).second) {
            why << "segment " << index << " shares tile (" << segment.position.q << ", "
                << segment.position.r << ") with an earlier one";
            return why.str();
        }
        if (previous != nullptr) {
            if (previous->position.apply(previous->back) != segment.position ||
                segment.position.apply(segment.front) != previous->position) {
                why << "segments " << index - 1 << " and " << index << " are not joined: ("
                    << previous->position.q << ", " << previous->position.r << ") back "
                    << previous->back.value << ", (" << segment.position.q << ", "
                    << segment.position.r << ") front " << segment.front.value;
                return why.str();
            }
        }
        if (!screen.map.open(segment.position)) {
            why << "segment " << index << " lies in a closed tile (" << segment.position.q << ", "
                << segment.position.r << ")";
            return why.str();
        }
        previous = &segment;
        ++index;
    }
    const Player::Segment& front = player.segments.front();
    if (front.front.angle(front.back) < 120) {
        why << "the head faces " << front.front.value << ", only " << front.front.angle(front.back)
            << " degrees from its back " << front.back.value;
        return why.str();
    }
    return "";
}

// The head in the camera's view, and the shake within its range.
inline std::string check_camera(const World& screen) {
    std::ostringstream why;
    why.precision(17);
    const Camera& camera = screen.camera;
    const Point centre = screen.player.segments.front().position.center();
    const double hx = static_cast<double>(centre.x);
    const double hy = static_cast<double>(centre.y);
    if (hx < camera.x || hx > camera.x + Camera::kViewWidth || hy < camera.y ||
        hy > camera.y + Camera::kViewHeight) {
        why << "the head's centre (" << hx << ", " << hy << ") is outside the view at (" << camera.x
            << ", " << camera.y << ")";
        return why.str();
    }
    if (camera.shake_amount < 0.0 || camera.shake_amount > 1.0) {
        why << "shake_amount is " << camera.shake_amount;
        return why.str();
    }
    return "";
}

// Centipedes: near enough to be kept, and as the play screen makes them.
inline std::string check_centipedes(const World& screen, const Snapshot& before,
                                    unsigned int elapsed) {
    std::ostringstream why;
    const GridPoint head = screen.player.segments.front().position;
    constexpr int kShortest = 2 * World::kSpawnHalfLengthMin;
    constexpr int kLongest = 2 * World::kSpawnHalfLengthMax;
    constexpr int64_t kStepMs = Centipede::kStepMs;
    for (size_t i = 0; i < screen.centipedes.size(); ++i) {
        const Centipede& c = screen.centipedes[i];
        const int64_t d = head.dist(c.head);
        if (d >= World::kFarDistance) {
            why << "centipede " << i << " is " << d << " cells from the worm, not removed";
            return why.str();
        }
        if (c.facing != Direction::W && c.facing != Direction::E) {
            why << "centipede " << i << " faces " << c.facing.value;
            return why.str();
        }
        if (c.length < kShortest || c.length > kLongest || c.length % 2 != 0) {
            why << "centipede " << i << " has length " << c.length;
            return why.str();
        }
        const int64_t timer_max = std::max<int64_t>(
            kStepMs, static_cast<int64_t>(before.centipede_timer_max) + elapsed - kStepMs);
        if (c.step_timer < 0 || c.step_timer > timer_max) {
            why << "centipede " << i << " has step_timer " << c.step_timer << " (at most "
                << timer_max << " after " << elapsed << " ms)";
            return why.str();
        }
    }
    return "";
}

// The fader, the worm's step timer, and the food and spawn timers within their intervals.
inline std::string check_timers(const World& screen, const Snapshot& before, unsigned int elapsed) {
    std::ostringstream why;
    if (screen.fader.elapsed > screen.fader.duration) {
        why << "the fader has run " << screen.fader.elapsed << " of " << screen.fader.duration
            << " ms";
        return why.str();
    }
    const int64_t starve = Player::kStarveAfterMs;
    const int64_t step_max =
        std::max<int64_t>(starve, static_cast<int64_t>(before.step_timer) + elapsed - starve);
    if (screen.player.step_timer < 0 || screen.player.step_timer > step_max) {
        why << "the worm's step_timer is " << screen.player.step_timer << " (at most " << step_max
            << " after " << elapsed << " ms)";
        return why.str();
    }
    const int64_t food_min = timer_floor(before.food_timer, elapsed, World::kFoodIntervalMin);
    if (screen.food_timer > World::kFoodIntervalMax || screen.food_timer < food_min) {
        why << "food_timer is " << screen.food_timer << " (expected " << food_min << " to "
            << World::kFoodIntervalMax << ")";
        return why.str();
    }
    const int64_t spawn_min = timer_floor(before.spawn_timer, elapsed, World::kSpawnIntervalMin);
    if (screen.spawn_timer > World::kSpawnIntervalMax || screen.spawn_timer < spawn_min) {
        why << "spawn_timer is " << screen.spawn_timer << " (expected " << spawn_min << " to "
            << World::kSpawnIntervalMax << ")";
        return why.str();
    }
    return "";
}

// The depth and length reached, the end of the game, and how fast the worm can grow.
inline std::string check_results(const World& screen, const Snapshot& before) {
    std::ostringstream why;
    why.precision(17);
    const Player& player = screen.player;
    const Point centre = player.segments.front().position.center();
    const double depth = static_cast<double>(centre.y) * World::kMetresPerPixel;
    if (screen.max_depth < depth || screen.max_depth < before.max_depth) {
        why << "max_depth " << screen.max_depth << " is below the head's depth " << depth
            << " or the previous record " << before.max_depth;
        return why.str();
    }
    if (screen.max_length < World::kCentimetresPerLength * player.length ||
        screen.max_length < before.max_length) {
        why << "max_length " << screen.max_length << " is below " << World::kCentimetresPerLength
            << " times the length " << player.length << " or the previous record "
            << before.max_length;
        return why.str();
    }
    if (screen.state == World::State::Playing && player.length <= World::kDeathLength) {
        why << "still playing with length " << player.length;
        return why.str();
    }
    if (player.length > before.length + kMaxGainPerFrame) {
        why << "the length grew from " << before.length << " to " << player.length
            << " in one frame";
        return why.str();
    }
    return "";
}

// A frame that starts paused or over moves nothing of the world. One that starts playing moves
// the head one tile at most, and leaves the body no longer than the length except while it is
// falling or has just been bitten (the cut segments go at the next update).
inline std::string check_motion(const World& screen, const Snapshot& before) {
    std::ostringstream why;
    const Player& player = screen.player;
    const GridPoint head = player.segments.front().position;
    if (before.state != World::State::Playing) {
        if (head != before.head || player.segments.size() != before.segments ||
            player.length != before.length || screen.food_timer != before.food_timer ||
            screen.spawn_timer != before.spawn_timer ||
            screen.centipedes.size() != before.centipedes ||
            screen.map.tile_overrides.size() != before.dug) {
            return "the world moved in a frame that began paused or over";
        }
        return "";
    }
    if (head.dist(before.head) > 1) {
        why << "the head jumped from (" << before.head.q << ", " << before.head.r << ") to ("
            << head.q << ", " << head.r << ")";
        return why.str();
    }
    if (player.segments.size() > before.segments + 1) {
        why << "the body grew from " << before.segments << " to " << player.segments.size()
            << " segments in one frame";
        return why.str();
    }
    const double keep = std::max(1.0, std::ceil(player.length));
    if (static_cast<double>(player.segments.size()) > keep) {
        const bool fell = head == below_left(before.head) || head == below_right(before.head);
        bool bitten = screen.centipedes.size() < before.centipedes;  // a biter may have gone
        for (const Centipede& c : screen.centipedes) {
            for (const Player::Segment& segment : player.segments) {
                bitten = bitten || c.touching(segment.position);
            }
        }
        if (!fell && !bitten) {
            why << player.segments.size() << " segments for a length of " << player.length
                << " after a frame without a fall or a bite";
            return why.str();
        }
    }
    return "";
}

// Everything that must hold after World::update returned true (the camera has followed the
// head by then). Empty when all hold; otherwise the first thing that broke, with the figures.
inline std::string check_invariants(const World& screen, const Snapshot& before,
                                    unsigned int elapsed) {
    if (screen.player.segments.empty()) return "the worm has no segments";
    // In this order, each only once those before it hold.
    std::string broken = check_numbers(screen);
    if (broken.empty()) broken = check_body(screen);
    if (broken.empty()) broken = check_camera(screen);
    if (broken.empty()) broken = check_centipedes(screen, before, elapsed);
    if (broken.empty()) broken = check_timers(screen, before, elapsed);
    if (broken.empty()) broken = check_results(screen, before);
    if (broken.empty()) broken = check_motion(screen, before);
    return broken;
}

}  // namespace sim
