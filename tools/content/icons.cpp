// The application icon: a worm coming out of its hole in a tile of soil, in the game's own
// pixels.
#include <cmath>
#include <string>

#include "images.h"

namespace images {
namespace {

Canvas make_icon_base(const Sheets& sheets) {
    Canvas c = sprite(sheets.tiles, kDirt);
    const Vec hole{12.5f, 22.0f};
    const Vec along = raster::normalised(kEdgeMiddle[1] - kEdgeMiddle[4]);
    const Vec across = raster::perpendicular(along);
    const auto in_hole = [&](Vec p, float grow) {
        const Vec d = p - hole;
        const float u = raster::dot(d, across) / (9.5f + grow),
                    v = raster::dot(d, along) / (4.5f + grow);
        return std::sqrt(u * u + v * v) - 1;
    };
    raster::paint(
        c, 0, 0, 31, 31, [&](Vec p) { return in_hole(p, 1); },
        [](int, int) { return rgb(0x3b2113); });
    raster::paint(
        c, 0, 0, 31, 31, [&](Vec p) { return in_hole(p, 0); },
        [](int, int) { return rgb(0x120a06); });
    Canvas worm = sprite(sheets.worm, WormSheet::head_frame(Direction::NE, Direction::SW));
    for (int y = 0; y < kFrame; ++y)
        for (int x = 0; x < kFrame; ++x)
            if (raster::dot(Vec{x + 0.5f, y + 0.5f} - hole, along) < 0) worm.at(x, y).a = 0;
    c.draw(worm, 0, 0);
    return hex_clip(c);
}

}  // namespace

bool save_icons(const Sheets& sheets, const std::string& dir) {
    bool ok = true;
    // Icon sizes of the desktop's hicolor theme.
    const Canvas icon = make_icon_base(sheets);
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const Canvas scaled = size % kFrame == 0 ? raster::upscale(icon, size / kFrame)
                                                 : raster::resample(icon, size, size);
        ok &= raster::save_png(scaled, dir + "/icons/burrowgale-" + std::to_string(size) + ".png");
    }
    return ok;
}

}  // namespace images
