// The bitmap fonts: every printable character of a Terminus console font in a grid of cells.
#include "images.h"

namespace images {
namespace {

constexpr int kFirstChar = 32;
constexpr int kLastChar = 126;
constexpr int kCellsPerRow = 16;
constexpr int kFontRows = 6;  // 32 to 127

// Draws every printable character of `font` into cells of cell_w by cell_h, each font pixel
// `zoom` by `zoom` screen pixels, placed at `offset` inside the cell. Glyphs are filled with a
// vertical gradient and ringed by a dark outline one font pixel wide, so they read on the sky,
// on soil and on the dark overlays alike.
Canvas make_font(const PsfFont& font, int cell_w, int cell_h, int zoom, Vec offset,
                 const Colour& top, const Colour& bottom) {
    Canvas sheet(kCellsPerRow * cell_w, kFontRows * cell_h);
    const Colour ink = rgb(0x140c0a);
    const int gw = cell_w / zoom, gh = cell_h / zoom;
    for (int ch = kFirstChar; ch <= kLastChar; ++ch) {
        Canvas glyph(gw, gh);
        for (int y = 0; y < gh; ++y)
            for (int x = 0; x < gw; ++x)
                if (font.pixel(static_cast<uint32_t>(ch), x - static_cast<int>(offset.x),
                               y - static_cast<int>(offset.y)))
                    glyph.set(x, y,
                              raster::mix(top, bottom,
                                          static_cast<float>(y) / static_cast<float>(gh - 1)));
        raster::outline(glyph, ink);
        const int col = ch % kCellsPerRow, row = (ch - kFirstChar) / kCellsPerRow;
        sheet.draw(raster::upscale(glyph, zoom), col * cell_w, row * cell_h);
    }
    return sheet;
}

}  // namespace

// Small text: Terminus 8x16 as it is.
Canvas make_text(const PsfFont& font) {
    return make_font(font, 8, 16, 1, {0, 0}, rgb(0xffffff), rgb(0xe2d6c0));
}

// Large text: Terminus Bold 12x24 doubled, to 24x48 cells.
Canvas make_bigtext(const PsfFont& font) {
    return make_font(font, 24, 48, 2, {0, 0}, rgb(0xfff4b0), rgb(0xf09838));
}

}  // namespace images
