// The world's state: the generated tiles, the tunnels dug into them and the food; digging and
// feeding change it. Generation lives in Terrain, drawing in MapPlan (straight onto the canvas)
// and MapChunks (through textures kept between frames).
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <unordered_map>
#include <vector>

#include "engine/graphics.h"
#include "engine/spritemap.h"
#include "game/view/map_chunks.h"
#include "game/view/map_plan.h"
#include "game/view/sheets.h"
#include "game/world/geometry.h"
#include "game/world/terrain.h"

class Map {
public:
    using TileType = Terrain::TileType;
    using TileDraw = MapPlan::TileDraw;

    static constexpr int kNoFood = -1;  // food_frame of a tile without food

    // The latest digs, for whoever keeps pictures of the map: dig number n (counted from the
    // map's start) sits at recent[n % kSize] until kSize more digs have happened.
    struct DigLog {
        static constexpr uint64_t kSize = 64;
        uint64_t count = 0;
        std::array<GridPoint, kSize> recent{};
    };

    static int strength_of(TileType type);  // ms a digger must wait; 9000 for unknown kinds

    explicit Map(unsigned int seed);

    TileType get_tile(const GridPoint& p) const;
    int strength(const GridPoint& p) const;
    bool open(const GridPoint& p) const;       // sky and tunnels
    int get_sprite(const GridPoint& p) const;  // TileSheet::tile_frame(kind, variant)
    int food_frame(const GridPoint& p) const;  // the sheet frame of p's food, or kNoFood

    // Every tile and food item visible with world pixel (x_offset, y_offset) at the canvas's
    // top-left corner: from chunks when `chunked` and the art and renderer allow, else directly.
    // Changes nothing but the chunks' pictures.
    void draw(Graphics& graphics, int64_t x_offset, int64_t y_offset) const;
    // The same, always sprite by sprite as plan_draw lists them.
    void draw_direct(Graphics& graphics, int64_t x_offset, int64_t y_offset) const;

    // The copies draw_direct makes for a canvas of width by height, in order, appended to `out`.
    void plan_draw(int width, int height, int64_t x_offset, int64_t y_offset,
                   std::vector<TileDraw>& out) const;

    // The same answers straight from the noise, bypassing every cache: the reference that tests
    // and the benchmark hold the cached answers against.
    TileType get_tile_direct(const GridPoint& p) const;
    int get_sprite_direct(const GridPoint& p) const;
    void plan_draw_direct(int width, int height, int64_t x_offset, int64_t y_offset,
                          std::vector<TileDraw>& out) const;

    // Turns soil and rock into tunnel for good. Returns the kind the tile had, so that the
    // digger can report rock, which a player hears.
    TileType dig(const GridPoint& p);
    // The value (kind + 1) of the food removed from p, or 0.
    int eat_food(const GridPoint& p);
    // One attempt to place food below origin; always six engine draws.
    void spawn_food(const GridPoint& origin);

    const DigLog& digs() const { return dig_log; }
    const MapChunks& chunk_cache() const { return chunks; }
    MapChunks& chunk_cache() { return chunks; }

    SpriteMap sprites;
    std::mt19937 rng;
    double noise_z;
    std::unordered_map<GridPoint, TileType> tile_overrides;  // only tunnels, for dug tiles
    std::unordered_map<GridPoint, int> food;                 // kind 0 to TileSheet::kFoodKinds - 1
    bool chunked = true;                                     // false: always draw sprite by sprite

private:
    TileType with_override(const GridPoint& p, TileType generated) const;
    double uniform();  // [0, 1) from two outputs of rng

    Terrain terrain;
    DigLog dig_log;
    // Drawing state, changed by the const draw: a Map is used from the game's one thread only.
    mutable MapChunks chunks;
    mutable MapPlan plan;
    mutable std::vector<Graphics::Copy> copy_scratch;
};
