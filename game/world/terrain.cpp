#include "game/world/terrain.h"

#include <algorithm>
#include <cmath>

#define STB_PERLIN_IMPLEMENTATION
#include <stb_perlin.h>

namespace {

// A quotient of a grid coordinate, formed in double and handed to the noise in single precision.
float ratio(int64_t value, double divisor) {
    return static_cast<float>(static_cast<double>(value) / divisor);
}

// The noise lattice repeats every 256 units, and from 2^24 on a float holds no fraction, so
// there the noise depends only on the coordinate modulo 256 (octave frequencies are powers of
// two). Folding such coordinates gives the same noise wherever the library could compute it,
// and keeps its conversions to int within range for the tiles far beyond.
float noise_coordinate(float value) {
    constexpr float kWhole = 16777216.0f;  // 2^24
    if (std::fabs(value) < kWhole) return value;
    return std::isfinite(value) ? std::fmod(value, 256.0f) : 0.0f;
}

// -q - r, the diagonal coordinate of the noise lookups; wraps round at the ends of the grid.
int64_t diagonal(const GridPoint& p) {
    return static_cast<int64_t>(0 - static_cast<uint64_t>(p.q) - static_cast<uint64_t>(p.r));
}

}  // namespace

Terrain::TileType Terrain::generate_kind(const GridPoint& p, double noise_z) {
    const float z = noise_coordinate(static_cast<float>(noise_z));
    const int64_t q = p.q;
    const int64_t r = p.r;

    const float surface_noise =
        stb_perlin_turbulence_noise3(noise_coordinate(ratio(q, 60.0)), 0.0f, z, 2.0f, 0.5f, 6);
    const int surface = 12 + static_cast<int>(12.0 * static_cast<double>(surface_noise));
    if (surface >= r) return TileType::Sky;

    const double depth = static_cast<double>(p.draw_point().y);
    const float s = noise_coordinate(ratio(diagonal(p), 60.0));
    const float t = noise_coordinate(ratio(r, 60.0));

    const double ridge = static_cast<double>(stb_perlin_ridge_noise3(t, s, z, 4.0f, 0.5f, 1.0f, 4));
    if (std::min(0.65, depth / 25600.0 + 0.05) > ridge) return TileType::Rock;

    const double caves = static_cast<double>(stb_perlin_turbulence_noise3(s, t, z, 4.0f, 0.5f, 4));
    if (std::max(0.05, 0.25 - depth / 51200.0) > caves) return TileType::Tunnel;

    if (std::min(0.8, 0.1 + depth / 10240.0) > ridge) return TileType::HardDirt;
    return TileType::Dirt;
}

int Terrain::generate_variant(const GridPoint& p, double noise_z) {
    const float x = static_cast<float>(static_cast<double>(diagonal(p)) * 37.0 / 11.0);
    const float y = static_cast<float>(static_cast<double>(p.r) * 41.0 / 7.0);
    const float n = stb_perlin_noise3(noise_coordinate(x), noise_coordinate(y),
                                      noise_coordinate(static_cast<float>(noise_z)), 0, 0, 0);
    const int magnitude = static_cast<int>(std::fabs(static_cast<double>(n) * 1000.0));
    return static_cast<int>(static_cast<unsigned>(magnitude) % kVariants);
}

std::size_t Terrain::slot_index(const GridPoint& p) {
    constexpr uint64_t kColumnMask = (uint64_t{1} << kColumnBits) - 1;
    constexpr uint64_t kRowMask = (uint64_t{1} << kRowBits) - 1;
    const uint64_t column = static_cast<uint64_t>(p.q) & kColumnMask;
    const uint64_t row = static_cast<uint64_t>(p.r) & kRowMask;
    return static_cast<std::size_t>((row << kColumnBits) | column);
}

// Out of line, so that the hit path in tile() stays small enough to be inlined.
[[gnu::noinline]] void Terrain::fill(Slot& slot, const GridPoint& p, double noise_z) const {
    slot.q = p.q;
    slot.r = p.r;
    slot.kind = static_cast<int8_t>(generate_kind(p, noise_z));
    slot.variant = static_cast<int8_t>(generate_variant(p, noise_z));
}

Terrain::Tile Terrain::tile(const GridPoint& p, double noise_z) const {
    if (slots.empty() || slots_z != noise_z) {
        slots.assign(std::size_t{1} << (kColumnBits + kRowBits), Slot{});
        slots_z = noise_z;
    }
    Slot& slot = slots[slot_index(p)];
    // Compared field by field: GCC would otherwise reload p as one 16-byte value right after
    // it was stored as two halves, a stall that cost more than the rest of the lookup.
    if (slot.kind == kEmptySlot || slot.q != p.q || slot.r != p.r) fill(slot, p, noise_z);
    return {static_cast<TileType>(slot.kind), slot.variant};
}
