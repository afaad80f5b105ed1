// Bitmap font text: 16 glyph cells per row, starting at the space character. A line may also
// hold small pictures (a controller's buttons) drawn inline from a second sheet.
#pragma once

#include <string>

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
    // blank.
    void draw(Graphics& graphics, const std::string& text, int x, int y, Alignment alignment) const;

    std::string image;
    int glyph_width;
    int glyph_height;
    std::string pictures = "buttons.png";  // the sheet of the inline pictures
};
