// Bitmap font text: 16 glyph cells per row, starting at the space character.
#pragma once

#include <string>

#include "engine/graphics.h"

class Text {
public:
    enum class Alignment : int { Left = 0, Center = 1, Right = 2 };

    Text(const std::string& image, int glyph_width, int glyph_height);
    // Cell of a byte; anything outside 32..126 uses the space cell.
    Graphics::PixelRect glyph_rect(unsigned char c) const;
    // Only left-aligned text breaks lines on '\n'.
    void draw(Graphics& graphics, const std::string& text, int x, int y, Alignment alignment) const;

    std::string image;
    int glyph_width;
    int glyph_height;
};
