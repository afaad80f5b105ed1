#include "engine/text.h"

#include "engine/graphics.h"

Text::Text(const std::string& image_, int glyph_width_, int glyph_height_)
    : image(image_), glyph_width(glyph_width_), glyph_height(glyph_height_) {}

std::string Text::picture(int cell) {
    return {kPictureMark, static_cast<char>(kPictureBase + cell)};
}

SDL_Rect Text::glyph_rect(unsigned char c) const {
    if (c < 32 || c > 126) c = ' ';  // control bytes, DEL and every byte of UTF-8 sequences
    return {(c % 16) * glyph_width, ((c - 32) / 16) * glyph_height, glyph_width, glyph_height};
}

void Text::draw(Graphics& graphics, const std::string& text, int x, int y,
                Alignment alignment) const {
    const int n = static_cast<int>(text.size());
    int cx = x;
    if (alignment == Alignment::Center) cx = x - (glyph_width / 2) * n;
    if (alignment == Alignment::Right) cx = x - glyph_width * n;
    int cy = y;
    for (int i = 0; i < n; ++i) {
        const char byte = text[static_cast<std::size_t>(i)];
        const int cell =
            i + 1 < n && byte == kPictureMark
                ? static_cast<unsigned char>(text[static_cast<std::size_t>(i) + 1]) - kPictureBase
                : -1;
        if (cell >= 0 && cell < kPictureCount) {
            const SDL_Rect source{(cell % kPictureColumns) * kPictureCell,
                                  (cell / kPictureColumns) * kPictureCell, kPictureCell,
                                  kPictureCell};
            const SDL_Rect destination{cx, cy, 2 * glyph_width, glyph_height};
            graphics.blit(pictures, &source, &destination);
            cx += 2 * glyph_width;
            ++i;
            continue;
        }
        const SDL_Rect source = glyph_rect(static_cast<unsigned char>(byte));
        const SDL_Rect destination{cx, cy, glyph_width, glyph_height};
        graphics.blit(image, &source, &destination);
        // Only left-aligned text knows where a line starts; the others treat '\n' as a blank.
        if (alignment == Alignment::Left && byte == '\n') {
            cy += glyph_height;
            cx = x;
        } else {
            cx += glyph_width;
        }
    }
}
