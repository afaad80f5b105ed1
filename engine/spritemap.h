// A sheet of equal frames, numbered row by row from the top-left.
#pragma once

#include <string>

#include "engine/graphics.h"

class SpriteMap {
public:
    SpriteMap(const std::string& image, int columns, int frame_width, int frame_height);
    // Frame n lies in column n mod columns, row n div columns.
    Graphics::PixelRect frame_rect(int frame) const;
    void draw(Graphics& graphics, int frame, int x, int y) const;
    void draw_ex(Graphics& graphics, int frame, int x, int y, bool flip, float angle, int cx,
                 int cy) const;

    std::string image;
    int columns;
    int frame_width;
    int frame_height;
};
