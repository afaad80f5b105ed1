// Bitmap font text: 16 glyph cells per row, starting at the space character, drawn at a scale
// (the player's UI scale) that multiplies every glyph's size. A line may also hold small
// pictures (a controller's buttons) drawn inline from a second sheet.
#pragma once

#include <string>
#include <vector>

#include "engine/graphics.h"

class Text {
public:
    enum class Alignment : int { Left = 0, Center = 1, Right = 2 };

    // A picture in a string: kPictureMark, then the byte kPictureBase + its cell number in
    // `pictures`. Cells are kPictureCell pixels square, kPictureColumns to a row; a picture is
    // drawn two characters wide and one high, so that its two bytes keep the alignment right.
    static constexpr char kPictureMark = '\x01';
    static constexpr int kPictureBase = 32;
    static constexpr int kPictureCount = 64;
    static constexpr int kPictureCell = 16;
    static constexpr int kPictureColumns = 8;
    // The two bytes of the picture in cell `cell` (0 to kPictureCount - 1).
    static std::string picture(int cell);

    Text(const std::string& image, int glyph_width, int glyph_height);
    // Cell of a byte; anything outside 32..126 uses the space cell.
    Graphics::PixelRect glyph_rect(unsigned char c) const;
    // Only left-aligned text breaks lines on '\n'. A mark without a valid cell after it is a
    // blank. With a text log set on `graphics`, the string and the box it covers are added to it.
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
    std::string pictures = "buttons.png";  // the sheet of the inline pictures
};

// What a text log holds: the string and the canvas pixels it covers, for tests that check a
// screen's layout (nothing overlaps, nothing leaves the canvas).
struct DrawnText {
    std::string text;
    Graphics::PixelRect box;
};
