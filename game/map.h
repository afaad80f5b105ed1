// The world: tiles generated from Perlin noise for a seed, the tunnels dug into it, the food.
#pragma once

#include <cstdint>
#include <random>
#include <unordered_map>
#include <vector>

#include "engine/graphics.h"
#include "engine/spritemap.h"
#include "game/geometry.h"

class Map {
public:
    enum class TileType : int32_t { Sky = 0, HardDirt = 1, Dirt = 2, Tunnel = 3, Rock = 4 };

    // One sprite copy that draw makes: a frame of `sprites` at a canvas position.
    struct TileDraw {
        int frame;
        int x;
        int y;
        bool operator==(const TileDraw&) const = default;
    };

    static int strength_of(TileType type);  // ms a digger must wait; 9000 for unknown kinds

    explicit Map(unsigned int seed);

    TileType get_tile(const GridPoint& p) const;
    int strength(const GridPoint& p) const;
    bool open(const GridPoint& p) const;       // sky and tunnels
    int get_sprite(const GridPoint& p) const;  // kind + 8 * variant
    // Every tile and food item visible with world pixel (x_offset, y_offset) at the canvas's
    // top-left corner.
    void draw(Graphics& graphics, long x_offset, long y_offset) const;

    // The copies draw makes for a canvas of width by height, in order, appended to `out`.
    void plan_draw(int width, int height, long x_offset, long y_offset,
                   std::vector<TileDraw>& out) const;

    // The same answers straight from the noise, bypassing every cache: the reference that tests
    // and the benchmark hold the cached answers against.
    TileType get_tile_direct(const GridPoint& p) const;
    int get_sprite_direct(const GridPoint& p) const;
    void plan_draw_direct(int width, int height, long x_offset, long y_offset,
                          std::vector<TileDraw>& out) const;

    // Turns soil and rock into tunnel for good. Returns the kind the tile had, so that the
    // digger can report rock, which a player hears.
    TileType dig(const GridPoint& p);
    // The value (kind + 1) of the food removed from p, or 0.
    int eat_food(const GridPoint& p);
    // One attempt to place food below origin; always six engine draws.
    void spawn_food(const GridPoint& origin);

    SpriteMap sprites;
    std::mt19937 rng;
    double noise_z;
    std::unordered_map<GridPoint, TileType> tile_overrides;  // only tunnels, for dug tiles
    std::unordered_map<GridPoint, int> food;                 // kind 0 to 3

private:
    // What the noise says about one tile, remembered so that a tile is generated once while it
    // stays near the view. Overrides are never cached: they are looked up on every query, so
    // digging (or anyone writing `tile_overrides`) takes effect at once.
    struct CachedTile {
        int64_t q = 0;
        int64_t r = 0;
        Point draw_at;  // the tile's draw point
        // Within one plan_draw pass the overrides and the food cannot change, so the frames
        // found at a tile's first sample are reused by its other samples of that pass.
        uint64_t pass = 0;
        int32_t frame = 0;
        int32_t food_frame = 0;    // kNoFood when the tile holds none
        int8_t kind = kEmptySlot;  // the generated kind
        int8_t variant = 0;
    };
    static constexpr int8_t kEmptySlot = -1;
    static constexpr int32_t kNoFood = -1;
    // The table is direct-mapped on the low bits of q and r: no two tiles of a 1280 by 720 view
    // (58 values of q, 33 of r) share a slot, and its size never grows.
    static constexpr int kCacheColumnBits = 7;
    static constexpr int kCacheRowBits = 6;

    TileType generated_tile(const GridPoint& p) const;  // the noise alone, no overrides
    int variant(const GridPoint& p) const;              // 0 to 5, whatever the kind
    // Empties the cache when it was filled for another noise slice; every query starts here.
    void check_cache() const;
    // The slot of p, filled from the noise unless it already holds p.
    CachedTile& cached(const GridPoint& p) const;
    static std::size_t slot_index(const GridPoint& p);
    // Fills draw_samples with the slot of every sample, their frames complete. False when two
    // tiles of the view share a slot (a canvas far larger than the game's, or the ends of the
    // grid, where the pixel arithmetic loses precision): plan_draw then asks the noise directly.
    bool plan_pass(int width, int height, long x_offset, long y_offset) const;
    // Dug tiles and food for the tiles of this pass, from whichever is smaller, the maps or the
    // tiles: a hash lookup per tile was most of the cost of a frame's tiles.
    void apply_overrides_and_food(uint64_t pass) const;
    void fill(CachedTile& slot, const GridPoint& p) const;
    TileType with_override(const GridPoint& p, TileType generated) const;
    double uniform();  // [0, 1) from two outputs of rng

    // Filled by the const queries: a Map is used from the game's one thread only.
    mutable std::vector<CachedTile> tile_cache;
    mutable double cache_z = 0.0;  // the noise_z that tile_cache was filled for
    mutable uint64_t draw_pass = 0;
    // Kept to spare two allocations per frame.
    mutable std::vector<TileDraw> draw_scratch;
    mutable std::vector<Graphics::Copy> copy_scratch;
    // The slot of each sample of the last pass, and of each tile it reached first, in order.
    mutable std::vector<CachedTile*> draw_samples;
    mutable std::vector<CachedTile*> draw_tiles;
};
