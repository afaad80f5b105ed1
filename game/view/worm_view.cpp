#include "game/view/worm_view.h"

#include "engine/graphics.h"
#include "game/view/sheets.h"

WormView::WormView()
    : sprites(WormSheet::kImage, WormSheet::kColumns, WormSheet::kFrameSize,
              WormSheet::kFrameSize) {}

int WormView::head_frame(const Player::Segment& segment) {
    return WormSheet::head_frame(segment.front.value, segment.back.value);
}

void WormView::draw(Graphics& graphics, const Player& player, int64_t x_offset,
                    int64_t y_offset) const {
    const Player::Segment* head = &player.segments.front();
    const Player::Segment* last = &player.segments.back();
    for (const Player::Segment& segment : player.segments) {
        const int front = segment.front.value, back = segment.back.value;
        const int frame = &segment == head   ? head_frame(segment)
                          : &segment == last ? WormSheet::tail_frame(front, back)
                                             : WormSheet::body_frame(front, back);
        const Point p = segment.position.draw_point();
        sprites.draw(graphics, frame, static_cast<int>(p.x - x_offset),
                     static_cast<int>(p.y - y_offset));
    }
}
