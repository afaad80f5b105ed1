#include "game/view/centipede_view.h"

#include "engine/graphics.h"
#include "game/view/sheets.h"

namespace {

using Pede = PedeSheet;

constexpr int kCell = 32;  // the distance between cells of a row

}  // namespace

CentipedeView::CentipedeView()
    : sprites(Pede::kImage, Pede::kColumns, Pede::kFrameSize, Pede::kFrameSize) {}

void CentipedeView::draw_legs(Graphics& graphics, const Centipede& centipede, long x, long y,
                              int k) const {
    // Formed wide: q + r of a far cell does not fit in 64 bits, and the frame needs it exactly.
    const __int128 sum = static_cast<__int128>(centipede.head.q) + centipede.head.r;
    const __int128 phase = 11 * (sum < 0 ? -sum : sum);
    const int frame = Pede::leg_frame(k, static_cast<int>((phase + k) % Pede::kWalkFrames));
    sprites.draw_ex(graphics, frame, static_cast<int>(x), static_cast<int>(y),
                    centipede.facing != Direction::W, 0.0f, 0, 0);
}

void CentipedeView::draw(Graphics& graphics, const Centipede& centipede, int64_t cam_x,
                         int64_t cam_y) const {
    const int b = centipede.facing == Direction::W ? 1 : -1;  // towards the tail
    const bool flip = centipede.facing != Direction::W;
    const Point corner = centipede.head.draw_point();
    const long x0 = static_cast<long>(corner.x - cam_x);
    const long y = static_cast<long>(corner.y - cam_y);
    const long step = static_cast<long>(kCell) * b;

    auto piece = [&](int frame, long x, long py) {
        sprites.draw_ex(graphics, frame, static_cast<int>(x), static_cast<int>(py), flip, 0.0f, 0,
                        0);
    };
    const auto legs = [&](long x, const auto& table) {
        for (const Pede::Leg& leg : table)
            draw_legs(graphics, centipede, x + leg.dx * b, y + leg.dy, leg.k);
    };
    const auto flanks = [&](long x, const Pede::Pieces& pieces) {
        piece(pieces.upper, x + Pede::kFlankX * b, y - Pede::kFlankY);
        piece(pieces.lower, x + Pede::kFlankX * b, y + Pede::kFlankY);
    };
    // Legs go under their segment, the flank pieces over it; later segments cover earlier ones.
    legs(x0, Pede::kHeadLegs);
    piece(Pede::kHead.middle, x0, y);
    flanks(x0, Pede::kHead);

    for (int i = 1; i <= centipede.length - 2; ++i) {
        const long xi = x0 + i * step;
        legs(xi, Pede::body_legs(i));
        piece(Pede::kBody.middle, xi, y);
        flanks(xi, Pede::kBody);
    }

    const long xt = x0 + static_cast<long>(centipede.length - 1) * step;
    legs(xt, Pede::kTailLegs);
    piece(Pede::kTail.middle, xt, y);
    piece(Pede::kTailTip, x0 + static_cast<long>(centipede.length) * step, y);
    flanks(xt, Pede::kTail);
}
