#include "engine/rect.h"

#include "engine/graphics.h"

Rect::Rect(double left_, double top_, double right_, double bottom_)
    : top(top_), left(left_), right(right_), bottom(bottom_) {}

bool Rect::intersect(const Rect& other) const {
    return other.right > left && right > other.left && other.bottom > top && bottom > other.top;
}

bool Rect::contains(double x, double y) const {
    return left <= x && x <= right && top <= y && y <= bottom;
}

void Rect::draw(Graphics& graphics, int offset_x, int offset_y, unsigned int color,
                bool filled) const {
    graphics.draw_rect({static_cast<int>(left - offset_x), static_cast<int>(top - offset_y)},
                       {static_cast<int>(right - offset_x), static_cast<int>(bottom - offset_y)},
                       color, filled);
}
