#include "game/world/centipede.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "engine/graphics.h"
#include "game/view/sheets.h"
#include "game/world/map.h"

namespace {

using Pede = PedeSheet;

constexpr int kCell = 32;  // the distance between cells of a row

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
    : sprites(Pede::kImage, Pede::kColumns, Pede::kFrameSize, Pede::kFrameSize),
      head(head_),
      facing(facing_),
      length(length_) {}

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

void Centipede::draw_legs(Graphics& graphics, long x, long y, int k) const {
    // Formed wide: q + r of a far cell does not fit in 64 bits, and the frame needs it exactly.
    const __int128 sum = static_cast<__int128>(head.q) + head.r;
    const __int128 phase = 11 * (sum < 0 ? -sum : sum);
    const int frame = Pede::leg_frame(k, static_cast<int>((phase + k) % Pede::kWalkFrames));
    sprites.draw_ex(graphics, frame, static_cast<int>(x), static_cast<int>(y),
                    facing != Direction::W, 0.0f, 0, 0);
}

void Centipede::draw(Graphics& graphics, int64_t cam_x, int64_t cam_y) const {
    const int b = tail_side(facing);
    const bool flip = facing != Direction::W;
    const Point corner = head.draw_point();
    const long x0 = static_cast<long>(corner.x - cam_x);
    const long y = static_cast<long>(corner.y - cam_y);
    const long step = static_cast<long>(kCell) * b;

    auto piece = [&](int frame, long x, long py) {
        sprites.draw_ex(graphics, frame, static_cast<int>(x), static_cast<int>(py), flip, 0.0f, 0,
                        0);
    };
    const auto legs = [&](long x, const auto& table) {
        for (const Pede::Leg& leg : table) draw_legs(graphics, x + leg.dx * b, y + leg.dy, leg.k);
    };
    const auto flanks = [&](long x, const Pede::Pieces& pieces) {
        piece(pieces.upper, x + Pede::kFlankX * b, y - Pede::kFlankY);
        piece(pieces.lower, x + Pede::kFlankX * b, y + Pede::kFlankY);
    };
    // Legs go under their segment, the flank pieces over it; later segments cover earlier ones.
    legs(x0, Pede::kHeadLegs);
    piece(Pede::kHead.middle, x0, y);
    flanks(x0, Pede::kHead);

    for (int i = 1; i <= length - 2; ++i) {
        const long xi = x0 + i * step;
        legs(xi, Pede::body_legs(i));
        piece(Pede::kBody.middle, xi, y);
        flanks(xi, Pede::kBody);
    }

    const long xt = x0 + static_cast<long>(length - 1) * step;
    legs(xt, Pede::kTailLegs);
    piece(Pede::kTail.middle, xt, y);
    piece(Pede::kTailTip, x0 + static_cast<long>(length) * step, y);
    flanks(xt, Pede::kTail);
}
