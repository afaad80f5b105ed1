// What the picture families of the image generator share: the hexagonal outline of a tile,
// colour ramps, and putting frames into and cutting them out of a sheet. The sheets' layouts
// are the game's own (game/view/sheets.h). Each family is drawn in a file of its own: tiles.cpp
// (tiles and food), worm.cpp, centipede.cpp, fonts.cpp, pictures.cpp (title and results),
// buttons.cpp (controller buttons) and icons.cpp.
#pragma once

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "game/view/sheets.h"
#include "game/world/terrain.h"
#include "psf_font.h"
#include "raster.h"

namespace images {

using raster::Canvas;
using raster::Colour;
using raster::rgb;
using raster::Vec;

inline constexpr int kFrame = Sheet::kFrameSize;
inline constexpr int kColumns = Sheet::kColumns;
inline constexpr float kPi = 3.14159265358979f;

using Ramp = std::vector<Colour>;

inline Ramp ramp(std::initializer_list<uint32_t> colours) {
    Ramp r;
    for (uint32_t c : colours) r.push_back(rgb(c));
    return r;
}

// ---- The hexagon -------------------------------------------------------------------------

// Corners of the pointy-top tile in its 32 by 32 frame, clockwise from the top.
inline constexpr Vec kHex[6] = {{16, 0}, {32, 8}, {32, 24}, {16, 32}, {0, 24}, {0, 8}};

// A pixel belongs to the tile when its centre lies inside the hexagon. No pixel centre ever
// lies on an edge, and neighbouring tiles (32 px apart, rows 24 px apart shifted by 16) then
// share out every pixel exactly once: no gaps, no double cover.
inline bool in_hex(int x, int y) {
    const float px = x + 0.5f, py = y + 0.5f;
    return py > 8 - px / 2 && py > (px - 16) / 2 && py < 40 - px / 2 && py < 24 + px / 2;
}

// Distance from p to the hexagon's outline: positive inside.
inline float hex_inset(Vec p) {
    float d = 1e9f;
    for (int i = 0; i < 6; ++i)
        d = std::min(d, raster::segment_distance(p, kHex[i], kHex[(i + 1) % 6]));
    const int x = static_cast<int>(std::floor(p.x)), y = static_cast<int>(std::floor(p.y));
    return in_hex(x, y) ? d : -d;
}

// Outward normal of the hexagon edge nearest to p.
inline Vec hex_normal(Vec p) {
    float best = 1e9f;
    Vec n{};
    for (int i = 0; i < 6; ++i) {
        const Vec a = kHex[i], b = kHex[(i + 1) % 6];
        const float d = raster::segment_distance(p, a, b);
        if (d < best) {
            best = d;
            const Vec e = raster::normalised(b - a);
            n = {e.y, -e.x};  // clockwise corners: the outside is on the left of each edge
        }
    }
    return n;
}

// The frame with everything outside the hexagon cleared.
inline Canvas hex_clip(const Canvas& c) {
    Canvas out = c;
    for (int y = 0; y < kFrame; ++y)
        for (int x = 0; x < kFrame; ++x)
            if (!in_hex(x, y)) out.at(x, y) = {0, 0, 0, 0};
    return out;
}

// ---- Sheets ------------------------------------------------------------------------------

// Tile kinds by their column of the tile sheet, which is their value in the game.
enum Kind : int {
    kSky = static_cast<int>(Terrain::TileType::Sky),
    kHardDirt = static_cast<int>(Terrain::TileType::HardDirt),
    kDirt = static_cast<int>(Terrain::TileType::Dirt),
    kTunnel = static_cast<int>(Terrain::TileType::Tunnel),
    kRock = static_cast<int>(Terrain::TileType::Rock),
};

// Middle of the tile edge towards each direction, from the tile centre (NW, NE, E, SE, SW, W).
inline constexpr Vec kEdgeMiddle[6] = {{-8, -12}, {8, -12}, {16, 0}, {8, 12}, {-8, 12}, {-16, 0}};

struct Sheets {
    Canvas tiles, worm, pedes;
};

// A sheet of `rows` rows of frames.
inline Canvas sheet_canvas(int rows) { return Canvas(kColumns * kFrame, rows * kFrame); }

inline void put(Canvas& sheet, const Canvas& picture, int frame) {
    sheet.draw(picture, Sheet::column(frame) * kFrame, Sheet::row(frame) * kFrame);
}

inline Canvas sprite(const Canvas& sheet, int frame, bool mirrored = false) {
    Canvas c =
        sheet.crop(Sheet::column(frame) * kFrame, Sheet::row(frame) * kFrame, kFrame, kFrame);
    if (mirrored)
        for (int y = 0; y < kFrame; ++y)
            for (int x = 0; x < kFrame / 2; ++x) std::swap(c.at(x, y), c.at(kFrame - 1 - x, y));
    return c;
}

// ---- The families ------------------------------------------------------------------------

Canvas make_tiles();  // tiles.cpp: five kinds of tile in six looks each, and the food
Canvas make_worm();   // worm.cpp
Canvas make_pedes();  // centipede.cpp
// fonts.cpp: the small and the large bitmap font.
Canvas make_text(const PsfFont& font);
Canvas make_bigtext(const PsfFont& font);
// pictures.cpp: the title and results screens' pictures, built from the sheets.
Canvas make_title(const Sheets& sheets, const PsfFont& logo_font);
Canvas make_gameover(const Sheets& sheets, const PsfFont& logo_font, const PsfFont& label_font);
// buttons.cpp: the controller buttons prompts show, in the layout of ButtonSheet.
Canvas make_buttons(const PsfFont& bold_font);
// icons.cpp: the application icon in every size of the desktop's icon theme, into dir/icons.
bool save_icons(const Sheets& sheets, const std::string& dir);

}  // namespace images
