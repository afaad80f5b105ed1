// Bitmap font text: 16 glyph cells per row, starting at the space character, drawn at a scale
// (the player's UI scale) that multiplies every glyph's size.
#pragma once

#include <string>
#include <vector>

#include "engine/graphics.h"

class Text {
public:
    enum class Alignment : int { Left = 0, Center = 1, Right = 2 };

    Text(const std::string& image, int glyph_width, int glyph_height);
    // Cell of a byte; anything outside 32..126 uses the space cell.
    Graphics::PixelRect glyph_rect(unsigned char c) const;
    // Only left-aligned text breaks lines on '\n'. With a text log set on `graphics`, the
    // string and the box it covers are added to it.
    void draw(Graphics& graphics, const std::string& text, int x, int y, Alignment alignment) const;

    // A glyph's size on the canvas, at the scale.
    int advance() const;
    int height() const;
    // The box the text covers when drawn at (0, 0) left-aligned: its widest line by its lines.
    int width(const std::string& text) const;
    int lines(const std::string& text) const;

    std::string image;
    int glyph_width;
    int glyph_height;
    double scale = 1.0;  // 1 to 2; glyph sizes times the scale are whole pixels at the UI's steps
};

// What a text log holds: the string and the canvas pixels it covers, for tests that check a
// screen's layout (nothing overlaps, nothing leaves the canvas).
struct DrawnText {
    std::string text;
    Graphics::PixelRect box;
};
