// The world's state: the generated tiles, the tunnels dug into them and the food; digging and
// feeding change it. Generation lives in Terrain; drawing it is the view's (MapView).
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <unordered_map>

#include "game/world/geometry.h"
#include "game/world/terrain.h"

class Map {
public:
    using TileType = Terrain::TileType;
    using Tile = Terrain::Tile;

    static constexpr int kFoodKinds = 4;  // kind 0, the commonest, to the rarest
    static constexpr int kNoFood = -1;    // food_kind of a tile without food

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
    bool open(const GridPoint& p) const;      // sky and tunnels
    Tile tile(const GridPoint& p) const;      // its kind as dug, and its look
    int food_kind(const GridPoint& p) const;  // kind of p's food, or kNoFood

    // The same answers straight from the noise, bypassing every cache: the reference that tests
    // and the benchmark hold the cached answers against.
    TileType get_tile_direct(const GridPoint& p) const;
    Tile tile_direct(const GridPoint& p) const;

    // Turns soil and rock into tunnel for good. Returns the kind the tile had, so that the
    // digger can report rock, which a player hears.
    TileType dig(const GridPoint& p);
    // The value (kind + 1) of the food removed from p, or 0.
    int eat_food(const GridPoint& p);
    // One attempt to place food below origin; always six engine draws.
    void spawn_food(const GridPoint& origin);

    const DigLog& digs() const { return dig_log; }

    std::mt19937 rng;
    double noise_z;
    std::unordered_map<GridPoint, TileType> tile_overrides;  // only tunnels, for dug tiles
    std::unordered_map<GridPoint, int> food;                 // kind 0 to kFoodKinds - 1

private:
    TileType with_override(const GridPoint& p, TileType generated) const;
    double uniform();  // [0, 1) from two outputs of rng

    Terrain terrain;
    DigLog dig_log;
};
