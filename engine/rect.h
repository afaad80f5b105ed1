// An axis-aligned rectangle in doubles. Constructed from left, top, right, bottom.
#pragma once

class Graphics;

class Rect {
public:
    Rect() = default;
    Rect(double left, double top, double right, double bottom);
    // Strict: rectangles that only share an edge or a corner do not intersect.
    bool intersect(const Rect& other) const;
    // Inclusive: the edges belong to the rectangle.
    bool contains(double x, double y) const;
    void draw(Graphics& graphics, int offset_x, int offset_y, unsigned int color,
              bool filled) const;

    double top = 0;
    double left = 0;
    double right = 0;
    double bottom = 0;
};
