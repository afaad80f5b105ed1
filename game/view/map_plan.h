// The sprite copies that draw a map straight onto the canvas, in the order they are made.
#pragma once

#include <cstdint>
#include <vector>

#include "game/world/geometry.h"

class Map;

class MapPlan {
public:
    // One sprite copy: a frame of the tile sheet at a canvas position.
    struct TileDraw {
        int frame;
        int x;
        int y;
        bool operator==(const TileDraw&) const = default;
    };

    static constexpr int kNoFood = -1;  // food_frame of a tile without food

    // The tile sheet's frame of p as the map has it now (TileSheet::tile_frame of its kind and
    // look), the same straight from the noise, and the frame of p's food or kNoFood.
    static int tile_frame(const Map& map, const GridPoint& p);
    static int tile_frame_direct(const Map& map, const GridPoint& p);
    static int food_frame(const Map& map, const GridPoint& p);

    // Replaces `draws` with the copies for a width by height canvas whose top-left corner is at
    // world pixel (x_offset, y_offset). The canvas is sampled every 16 pixels, row by row from
    // the top, left to right; each sample draws the tile it falls in, then the tile's food. A
    // tile is drawn once per sample (where sprites overlap, the later one covers). With `direct`
    // every answer comes straight from the noise, bypassing the map's cache.
    void make(const Map& map, int width, int height, int64_t x_offset, int64_t y_offset,
              bool direct);

    std::vector<TileDraw> draws;
};
