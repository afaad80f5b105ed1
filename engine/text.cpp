#include "engine/text.h"

#include "engine/graphics.h"

#include <algorithm>

Text::Text(const std::string& image_, int glyph_width_, int glyph_height_)
    : image(image_), glyph_width(glyph_width_), glyph_height(glyph_height_) {}

std::string Text::picture(int cell) {
    return {kPictureMark, static_cast<char>(kPictureBase + cell)};
}

SDL_Rect Text::glyph_rect(unsigned char c) const {
    if (c < 32 || c > 126) c = ' ';  // control bytes, DEL and every byte of UTF-8 sequences
    return {(c % 16) * glyph_width, ((c - 32) / 16) * glyph_height, glyph_width, glyph_height};
}

int Text::advance() const { return static_cast<int>(glyph_width * scale + 0.5); }

int Text::height() const { return static_cast<int>(glyph_height * scale + 0.5); }

int Text::width(const std::string& text) const {
    std::size_t widest = 0;
    std::size_t line = 0;
    for (const char byte : text) {
        line = byte == '\n' ? 0 : line + 1;
        widest = std::max(widest, line);
    }
    return advance() * static_cast<int>(widest);
}

int Text::lines(const std::string& text) const {
    return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

void Text::draw(Graphics& graphics, const std::string& text, int x, int y,
                Alignment alignment) const {
    const int n = static_cast<int>(text.size());
    const int w = advance();
    const int h = height();
    int cx = x;
    if (alignment == Alignment::Center) cx = x - (w / 2) * n;  // whole half glyphs, as before
    if (alignment == Alignment::Right) cx = x - w * n;
    if (graphics.text_log != nullptr && !text.empty()) {
        const bool broken = alignment == Alignment::Left;
        graphics.text_log->push_back(
            {text, {cx, y, broken ? width(text) : w * n, broken ? h * lines(text) : h}});
    }
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
            const SDL_Rect destination{cx, cy, 2 * w, h};
            graphics.blit(pictures, &source, &destination);
            cx += 2 * w;
            ++i;
            continue;
        }
        const SDL_Rect source = glyph_rect(static_cast<unsigned char>(byte));
        const SDL_Rect destination{cx, cy, w, h};
        graphics.blit(image, &source, &destination);
        // Only left-aligned text knows where a line starts; the others treat '\n' as a blank.
        if (alignment == Alignment::Left && byte == '\n') {
            cy += h;
            cx = x;
        } else {
            cx += w;
        }
    }
}
