#include "game/world/world.h"

#include <algorithm>
#include <limits>

#include "game/world/draws.h"

namespace {

constexpr uint32_t kPauseColor = 0x000000CC;
constexpr uint32_t kPauseFade = 500;  // ms
constexpr uint32_t kGameOverColor = 0x000000FF;
constexpr uint32_t kGameOverFade = 3000;  // ms

constexpr int kSpawnDistanceMin = 15;  // cells east or west of the worm
constexpr int kSpawnDistanceMax = 35;
constexpr int kSpawnRowsBelowMax = 2;
constexpr double kSpawnDepth = 1.0;  // metres

constexpr int64_t kShakeCentre = 5;     // cells: the distance that shakes the most
constexpr double kShakeSpread = 625.0;  // 25 cells squared: no shake from 30 cells on

using Button = Replay::Button;

// Elapsed times are unsigned; a timer stops at the lowest value instead of wrapping round to
// a huge positive one after an absurdly long frame.
int32_t count_down(int32_t timer, unsigned int ms) {
    const int64_t left = static_cast<int64_t>(timer) - static_cast<int64_t>(ms);
    return static_cast<int32_t>(std::max<int64_t>(left, std::numeric_limits<int32_t>::min()));
}

int uniform(std::mt19937& rng, int low, int high) { return Draws::integer(rng, low, high); }

// A centipede 15 to 37 cells east or west of the worm and up to two rows lower, crawling
// towards the worm's column. The draws keep a fixed order so that a seed replays a game.
Centipede new_centipede(std::mt19937& rng, const GridPoint& worm) {
    const int distance = uniform(rng, kSpawnDistanceMin, kSpawnDistanceMax);
    const int rows_below = uniform(rng, 0, kSpawnRowsBelowMax);
    const int length = 2 * uniform(rng, World::kSpawnHalfLengthMin, World::kSpawnHalfLengthMax);
    const double side = Draws::unit(rng);
    const int64_t r = worm.r + rows_below;
    if (side < 0.5) {
        return Centipede(GridPoint{worm.q + distance, r}, length, Direction::W);
    }
    // Each row down shifts a cell half a tile east: subtracting the rows keeps the west side
    // exactly as far away as the east side.
    return Centipede(GridPoint{worm.q - distance - rows_below, r}, length, Direction::E);
}

bool pressed(const Replay::Step& step, Button b) { return (step.pressed & Replay::bit(b)) != 0; }

}  // namespace

void World::Fader::reset(unsigned int color_, unsigned int duration_) {
    color = color_;
    duration = duration_;
    elapsed = 0;
}

void World::Fader::update(unsigned int ms) {
    if (elapsed < duration) {
        elapsed = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{elapsed} + ms, duration));
    }
}

// The member order makes rng's first output the map's seed and its second the jitter's.
World::World(unsigned int seed, Assists assists_)
    : rng(seed),
      map(static_cast<unsigned int>(rng())),
      player(map),
      shake_seed(static_cast<unsigned int>(rng())),
      camera(player.segments.front().position.center()),
      assists{Assists::held_speed(assists_.speed), assists_.one_switch} {
    recording.seed = seed;
    recording.game_version = Replay::current_game_version();
    recording.assists = assists;
}

void World::end_game() {
    // A pause ended this way never gets its resume, which alone would bring the music back up.
    if (state == State::Paused) events.push_back(GameEvent::Resumed);
    state = State::GameOver;
    fader.reset(kGameOverColor, kGameOverFade);
    events.push_back(GameEvent::GameOver);
    recording.max_depth = max_depth;
    recording.max_length = max_length;
}

void World::record(const Replay::Step& step) {
    if (recording_on) recording.steps.push_back(step);
}

bool World::step(const Replay::Step& step) {
    events.clear();
    if (state == State::Paused) return step_paused(step);
    if (state == State::GameOver) return step_over(step);

    record(step);
    play_ms += step.ms;
    const unsigned int elapsed = game_ms(step.ms);
    steer(step);
    move_creatures(elapsed);
    // The worm moves only in its own update: this is its head for the rest of the frame.
    const GridPoint head = player.segments.front().position;
    spawn(head, elapsed);
    const int eaten = map.eat_food(head);
    if (eaten > 0) player.eat(events, eaten);
    keep_score(head);
    return true;
}

unsigned int World::game_ms(uint32_t ms) {
    // Integers, with the remainder carried to the next step: a slowed game loses no time to
    // rounding, and replays exactly. At full speed this is `ms` itself.
    const uint64_t scaled = uint64_t{ms} * static_cast<uint64_t>(assists.speed) + speed_carry;
    speed_carry = static_cast<uint32_t>(scaled % Assists::kNormal);
    return static_cast<unsigned int>(scaled / Assists::kNormal);
}

bool World::step_paused(const Replay::Step& step) {
    const bool resume = pressed(step, Button::Start);
    const bool give_up = pressed(step, Button::Escape) || pressed(step, Button::Select);
    if (!resume && !give_up) return true;
    record(step);
    if (resume) {
        state = State::Playing;
        events.push_back(GameEvent::Resumed);
    } else {
        // Giving up ends the game as if the worm had starved this moment.
        end_game();
    }
    return true;
}

bool World::step_over(const Replay::Step& step) {
    // Only once the results are on screen: a Start meant for the pause, pressed as the worm
    // died, must not skip them.
    if (pressed(step, Button::Start) && results_shown()) return false;
    // Real time at any speed, as the pause's fade in the play screen: the fades pace the
    // screens, not the game, and a slowed game should not keep its results waiting longer.
    fader.update(step.ms);
    return true;
}

void World::steer(const Replay::Step& step) {
    if (pressed(step, Button::Left)) player.turn_left();
    if (pressed(step, Button::Right)) player.turn_right();
    // The pause starts after this frame's step, so the press frame still moves the world. A
    // player taken away from the window or whose controller came unplugged is paused too.
    if (pressed(step, Button::Start) || pressed(step, Button::Escape) ||
        (step.pressed & Replay::kFocusLost) != 0) {
        state = State::Paused;
        fader.reset(kPauseColor, kPauseFade);
        events.push_back(GameEvent::Paused);
    }
}

void World::move_creatures(unsigned int elapsed) {
    player.update(events, map, elapsed);
    camera.update(player.segments.front().position.center(),
                  elapsed);  // clears the shake; the centipedes raise it again below
    const GridPoint head = player.segments.front().position;
    for (Centipede& centipede : centipedes) {
        centipede.update(events, map, elapsed);
        player.injure(events, centipede);
        const int64_t off = head.dist(centipede.head) - kShakeCentre;
        camera.shake(shake_scale * (1.0 - static_cast<double>(off * off) / kShakeSpread));
    }
    std::erase_if(centipedes,
                  [&](const Centipede& c) { return head.dist(c.head) >= kFarDistance; });
}

void World::spawn(const GridPoint& head, unsigned int elapsed) {
    food_timer = count_down(food_timer, elapsed);
    if (food_timer < 0) {
        map.spawn_food(head);
        food_timer += uniform(rng, kFoodIntervalMin, kFoodIntervalMax);
    }
    // max_depth still holds the previous frames' value here: a new depth record counts from
    // the next frame on.
    if (max_depth >= kSpawnDepth) spawn_timer = count_down(spawn_timer, elapsed);
    if (spawn_timer < 0) {
        spawn_timer += uniform(rng, kSpawnIntervalMin, kSpawnIntervalMax);
        centipedes.push_back(new_centipede(rng, head));
        events.push_back(GameEvent::Spawned);
    }
}

void World::keep_score(const GridPoint& head) {
    const double depth = static_cast<double>(head.center().y) * kMetresPerPixel;
    if (depth > max_depth) max_depth = depth;
    if (kCentimetresPerLength * player.length > max_length) {
        max_length = kCentimetresPerLength * player.length;
    }
    // Ended after the results above, which still count the frame the worm starved in. A pause
    // pressed in this very frame is over before it began.
    if (player.length <= kDeathLength) end_game();
}
