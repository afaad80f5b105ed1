// One fixed rectangle of an image.
#pragma once

#include <string>

#include "engine/graphics.h"

class Sprite {
public:
    Sprite(const std::string& image, int x, int y, int w, int h);
    virtual ~Sprite() = default;
    virtual void draw(Graphics& graphics, int x, int y) const;
    // Rotated by angle (radians) about (cx, cy), relative to the top-left corner.
    virtual void draw_ex(Graphics& graphics, int x, int y, bool flip, float angle, int cx,
                         int cy) const;

    Graphics::PixelRect source;
    std::string image;
};
