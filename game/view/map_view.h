// The map as the player sees it: its tiles and food from the tile sheet, through chunks kept
// between frames (MapChunks) or sprite by sprite as MapPlan lists them.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/graphics.h"
#include "engine/spritemap.h"
#include "game/view/map_chunks.h"
#include "game/view/map_plan.h"

class Map;

class MapView {
public:
    using TileDraw = MapPlan::TileDraw;

    MapView();

    // Every tile and food item of `map` visible with world pixel (x_offset, y_offset) at the
    // canvas's top-left corner: from chunks when `chunked` and the art and renderer allow, else
    // directly. Changes nothing but the chunks' pictures.
    void draw(Graphics& graphics, const Map& map, int64_t x_offset, int64_t y_offset) const;
    // The same, always sprite by sprite as plan_draw lists them.
    void draw_direct(Graphics& graphics, const Map& map, int64_t x_offset, int64_t y_offset) const;

    // The copies draw_direct makes for a canvas of width by height, in order, appended to `out`.
    void plan_draw(const Map& map, int width, int height, int64_t x_offset, int64_t y_offset,
                   std::vector<TileDraw>& out) const;
    // The same with every answer straight from the noise: the reference for the cached ones.
    void plan_draw_direct(const Map& map, int width, int height, int64_t x_offset, int64_t y_offset,
                          std::vector<TileDraw>& out) const;

    const MapChunks& chunk_cache() const { return chunks; }
    MapChunks& chunk_cache() { return chunks; }

    SpriteMap sprites;    // the tile sheet
    bool chunked = true;  // false: always draw sprite by sprite

private:
    // Drawing state, changed by the const draw: a view is used from the game's one thread only.
    mutable MapChunks chunks;
    mutable MapPlan plan;
    mutable std::vector<Graphics::Copy> copy_scratch;
};
