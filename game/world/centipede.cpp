#include "game/world/centipede.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "game/world/map.h"

namespace {

int tail_side(Direction facing) { return facing == Direction::W ? 1 : -1; }

GridPoint upper_flank(const GridPoint& head, Direction facing) {
    return head.apply(facing == Direction::W ? Direction::NE : Direction::NW);
}

GridPoint lower_flank(const GridPoint& head, Direction facing) {
    return head.apply(facing == Direction::W ? Direction::SE : Direction::SW);
}

// How far `cell` lies behind `start` towards the tail; meaningful only on start's row. Cells so
// far apart that their q difference overflows are out of any centipede's reach.
std::optional<int64_t> cells_behind(const GridPoint& start, const GridPoint& cell, int b) {
    int64_t d = 0;
    if (__builtin_sub_overflow(cell.q, start.q, &d) || d == std::numeric_limits<int64_t>::min())
        return std::nullopt;
    return d * b;
}

}  // namespace

Centipede::Centipede(GridPoint head_, int length_, Direction facing_)
    : head(head_), facing(facing_), length(length_) {}

void Centipede::update(GameEvents& events, Map& map, unsigned int elapsed_ms) {
    // Widened so that an absurdly long frame saturates instead of overflowing.
    const int64_t timer = static_cast<int64_t>(step_timer) + elapsed_ms;
    step_timer =
        static_cast<int32_t>(std::min<int64_t>(timer, std::numeric_limits<int32_t>::max()));
    if (step_timer <= kStepMs) return;

    head = head.apply(facing);
    // Whatever lies there, Map::dig decides what digging it means.
    for (const GridPoint& cell : {head, upper_flank(head, facing), lower_flank(head, facing)}) {
        if (map.dig(cell) == Map::TileType::Rock) events.push_back(GameEvent::RockDug);
        map.eat_food(cell);
    }
    // One step per update at most: a centipede that fell behind catches up a frame at a time.
    step_timer -= kStepMs;
}

bool Centipede::touching(const GridPoint& cell) const {
    const int b = tail_side(facing);
    // Three rows of `length` cells each, plus one lone cell beyond the tail tip.
    const GridPoint rows[] = {head, upper_flank(head, facing), lower_flank(head, facing)};
    for (const GridPoint& start : rows) {
        if (cell.r != start.r) continue;
        const std::optional<int64_t> k = cells_behind(start, cell, b);
        if (k && *k >= 0 && *k < length) return true;
    }
    return cell.r == head.r && cells_behind(head, cell, b) == static_cast<int64_t>(length) + 1;
}
