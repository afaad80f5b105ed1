#include "game/world/player.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "game/world/centipede.h"
#include "game/world/map.h"

namespace {

constexpr int kSettleTimer = 100;  // enough for sky, not for tunnels
constexpr double kMsPerSegment = 30000.0;
constexpr double kFoodToLength = 0.25;

Direction rotated(Direction d, int sixths) {
    return Direction(static_cast<Direction::Value>((d.value + sixths) % 6));
}

// Odd rows fall down-left first, even rows down-right, so a free fall zig-zags straight down.
// C++'s remainder keeps the sign: negative odd rows (-1) take the even order.
bool odd_row(const GridPoint& p) { return p.r % 2 == 1; }

}  // namespace

Player::Player(const Map& map) {
    segments.push_back(Segment{GridPoint{6, 6}, Direction::SE, Direction::W});
    // The body is left long here; the first update cuts it to the length.
    do {
        step_timer = kSettleTimer;
    } while (drop(map));
}

void Player::grow() {
    const Segment& head = segments.front();
    segments.push_front(
        Segment{head.position.apply(head.front), head.front, head.front.opposite()});
}

void Player::turn_left() {
    Segment& head = segments.front();
    const Direction candidate = rotated(head.front, 5);
    if (candidate.angle(head.back) > 90) head.front = candidate;
}

void Player::turn_right() {
    Segment& head = segments.front();
    const Direction candidate = rotated(head.front, 1);
    if (candidate.angle(head.back) > 90) head.front = candidate;
}

void Player::eat(GameEvents& events, int value) {
    length += value * kFoodToLength;
    events.push_back(GameEvent::FoodEaten);
}

void Player::injure(GameEvents& events, const Centipede& centipede) {
    // Everything from the first bitten segment to the tail is lost.
    long n = 0;
    long remaining = static_cast<long>(segments.size());
    for (const Segment& segment : segments) {
        if (centipede.touching(segment.position)) {
            n = remaining;
            break;
        }
        --remaining;
    }
    length = std::ceil(length - static_cast<double>(n));
    if (n > 0) events.push_back(GameEvent::Bitten);
}

bool Player::occupying(const GridPoint& p) const {
    return std::any_of(segments.begin(), segments.end(),
                       [&p](const Segment& segment) { return segment.position == p; });
}

bool Player::check_and_move(const Map& map, Direction dir) {
    Segment& head = segments.front();
    const GridPoint target = head.position.apply(dir);
    if (!map.open(target)) return false;
    if (occupying(target)) return false;
    if (head.back.angle(dir) > 90) {
        if (step_timer <= map.strength(target)) return false;
        step_timer = 0;
        head.front = dir;
        grow();
        return true;
    }
    // The way is back along the body: the head turns towards it instead of moving.
    if (dir == Direction::SW) {
        turn_left();
    } else {
        turn_right();
    }
    return false;
}

bool Player::drop(const Map& map) {
    const Direction first = odd_row(segments.front().position) ? Direction::SW : Direction::SE;
    const Direction second = first == Direction::SW ? Direction::SE : Direction::SW;
    return check_and_move(map, first) || check_and_move(map, second);
}

void Player::update(GameEvents& events, Map& map, unsigned int elapsed_ms) {
    // Widened so that an absurdly long frame saturates instead of overflowing.
    const long long timer = static_cast<long long>(step_timer) + elapsed_ms;
    step_timer = static_cast<int>(std::min<long long>(timer, std::numeric_limits<int>::max()));
    length -= elapsed_ms / kMsPerSegment;
    if (step_timer > kStarveAfterMs) {
        step_timer -= kStarveAfterMs;
        length -= 1.0;
    }

    // A falling worm keeps its extra segments until it lands.
    if (drop(map)) return;

    const Segment& head = segments.front();
    const GridPoint target = head.position.apply(head.front);
    if (!occupying(target) && step_timer > map.strength(target)) {
        step_timer = 0;
        grow();
        if (map.dig(target) == Map::TileType::Rock) events.push_back(GameEvent::RockDug);
    }

    const double keep = std::ceil(length);
    while (static_cast<double>(segments.size()) > keep && segments.size() > 1) segments.pop_back();
}
