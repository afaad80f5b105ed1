// The world: tiles generated from Perlin noise for a seed, the tunnels dug into it, the food.
#pragma once

#include <cstdint>
#include <random>
#include <unordered_map>

#include "engine/spritemap.h"
#include "game/geometry.h"

class Audio;
class Graphics;

class Map {
public:
    enum class TileType : int32_t { Sky = 0, HardDirt = 1, Dirt = 2, Tunnel = 3, Rock = 4 };

    static int strength_of(TileType type);  // ms a digger must wait; 9000 for unknown kinds

    explicit Map(unsigned int seed);

    TileType get_tile(const GridPoint& p) const;
    int strength(const GridPoint& p) const;
    bool open(const GridPoint& p) const;  // sky and tunnels
    int get_sprite(const GridPoint& p) const;  // kind + 8 * variant
    // Every tile and food item visible with world pixel (x_offset, y_offset) at the canvas's
    // top-left corner.
    void draw(Graphics& graphics, long x_offset, long y_offset) const;

    // Turns soil and rock into tunnel for good; rock makes a sound.
    void dig(Audio& audio, const GridPoint& p);
    // The value (kind + 1) of the food removed from p, or 0.
    int eat_food(const GridPoint& p);
    // One attempt to place food below origin; always six engine draws.
    void spawn_food(const GridPoint& origin);

    SpriteMap sprites;
    std::mt19937 rng;
    double noise_z;
    std::unordered_map<GridPoint, TileType> tile_overrides;  // only tunnels, for dug tiles
    std::unordered_map<GridPoint, int> food;                 // kind 0 to 3
};
