// The sprite copies that draw a map straight onto the canvas, in the order they are made.
#pragma once

#include <cstdint>
#include <vector>

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

    // Replaces `draws` with the copies for a width by height canvas whose top-left corner is at
    // world pixel (x_offset, y_offset). The canvas is sampled every 16 pixels, row by row from
    // the top, left to right; each sample draws the tile it falls in, then the tile's food. A
    // tile is drawn once per sample (where sprites overlap, the later one covers). With `direct`
    // every answer comes straight from the noise, bypassing the map's cache.
    void make(const Map& map, int width, int height, int64_t x_offset, int64_t y_offset,
              bool direct);

    std::vector<TileDraw> draws;
};
