#include "engine/rect.h"

#include <algorithm>
#include <cmath>

#include "engine/graphics.h"

namespace {

// A canvas is a few thousand pixels wide, so an edge this far out is off it whichever way it is
// clamped. The bound keeps the width and height that draw_rect forms within an int, and exact in
// the floats that SDL's renderer turns them into.
constexpr double kFarEdge = 1 << 22;

int canvas_coordinate(double v) { return static_cast<int>(std::clamp(v, -kFarEdge, kFarEdge)); }

}  // namespace

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
    const double x0 = left - offset_x, y0 = top - offset_y;
    const double x1 = right - offset_x, y1 = bottom - offset_y;
    if (std::isnan(x0) || std::isnan(y0) || std::isnan(x1) || std::isnan(y1)) return;
    graphics.draw_rect({canvas_coordinate(x0), canvas_coordinate(y0)},
                       {canvas_coordinate(x1), canvas_coordinate(y1)}, color, filled);
}
