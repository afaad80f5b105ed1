#include "game/view/map_view.h"

#include "game/view/sheets.h"
#include "game/world/map.h"

MapView::MapView()
    : sprites(TileSheet::kImage, TileSheet::kColumns, TileSheet::kFrameSize,
              TileSheet::kFrameSize) {}

void MapView::plan_draw(const Map& map, int width, int height, int64_t x_offset, int64_t y_offset,
                        std::vector<TileDraw>& out) const {
    plan.make(map, width, height, x_offset, y_offset, false);
    out.insert(out.end(), plan.draws.begin(), plan.draws.end());
}

void MapView::plan_draw_direct(const Map& map, int width, int height, int64_t x_offset,
                               int64_t y_offset, std::vector<TileDraw>& out) const {
    plan.make(map, width, height, x_offset, y_offset, true);
    out.insert(out.end(), plan.draws.begin(), plan.draws.end());
}

void MapView::draw(Graphics& graphics, const Map& map, int64_t x_offset, int64_t y_offset) const {
    if (sprites.columns <= 0) return;  // a sheet without frames draws nothing
    if (chunked && chunks.draw(graphics, sprites, map, x_offset, y_offset)) return;
    draw_direct(graphics, map, x_offset, y_offset);
}

void MapView::draw_direct(Graphics& graphics, const Map& map, int64_t x_offset,
                          int64_t y_offset) const {
    if (sprites.columns <= 0) return;
    plan.make(map, graphics.config.width, graphics.config.height, x_offset, y_offset, false);
    // The source rectangles of the frames a view uses (a row per variant), worked out once
    // rather than per copy.
    constexpr int kKnownFrames = TileSheet::kColumns * TileSheet::kVariants;
    Graphics::PixelRect frames[kKnownFrames];
    for (int f = 0; f < kKnownFrames; ++f) frames[f] = sprites.frame_rect(f);
    copy_scratch.clear();
    for (const TileDraw& d : plan.draws) {
        const bool known = d.frame >= 0 && d.frame < kKnownFrames;
        copy_scratch.push_back({known ? frames[d.frame] : sprites.frame_rect(d.frame),
                                {d.x, d.y, sprites.frame_width, sprites.frame_height}});
    }
    graphics.blit_all(sprites.image, copy_scratch);
}
