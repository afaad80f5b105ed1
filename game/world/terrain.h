// The world as the noise makes it: each tile's kind and look for a slice of the noise, before
// anything is dug, and a small cache that spares the noise for the tiles near the view.
#pragma once

#include <cstdint>
#include <vector>

#include "game/world/geometry.h"

class Terrain {
public:
    enum class TileType : int32_t { Sky = 0, HardDirt = 1, Dirt = 2, Tunnel = 3, Rock = 4 };
    static constexpr int kKinds = static_cast<int>(TileType::Rock) + 1;
    // Looks of each kind: the noise picks one for every tile, the tile sheet draws them.
    static constexpr int kVariants = 6;

    struct Tile {
        TileType kind;
        int variant;  // 0 to kVariants - 1, whatever the kind
    };

    // Straight from the noise, for the slice at noise_z.
    static TileType generate_kind(const GridPoint& p, double noise_z);
    static int generate_variant(const GridPoint& p, double noise_z);

    // The same answers, remembered while the tile stays near the view. The cache follows
    // noise_z: a query for another slice empties it first.
    Tile tile(const GridPoint& p, double noise_z) const;

private:
    struct Slot {
        int64_t q = 0;
        int64_t r = 0;
        int8_t kind = kEmptySlot;
        int8_t variant = 0;
    };
    static constexpr int8_t kEmptySlot = -1;
    // Direct-mapped on the low bits of q and r: no two tiles of a 1280 by 720 view (58 values of
    // q, 33 of r) share a slot, and the table never grows.
    static constexpr int kColumnBits = 7;
    static constexpr int kRowBits = 6;

    static std::size_t slot_index(const GridPoint& p);
    void fill(Slot& slot, const GridPoint& p, double noise_z) const;

    // Filled by the const queries: a map is used from the game's one thread only.
    mutable std::vector<Slot> slots;
    mutable double slots_z = 0.0;  // the noise_z that slots were filled for
};
