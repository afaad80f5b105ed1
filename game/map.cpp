#include "game/map.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#define STB_PERLIN_IMPLEMENTATION
#include <stb_perlin.h>

#include "engine/graphics.h"

namespace {

constexpr int kSheetColumns = 8;
constexpr int kTileSize = 32;
constexpr int kFoodColumn = 5;
constexpr int kVariants = 6;
// Half a tile: every tile gets at least two samples. Samples run from one step before the
// canvas to one step past it, so a tile whose only visible part is a tip between two samples
// along an edge is still reached from outside.
constexpr int kSampleStep = 16;
constexpr int kOpenBelow = 200;

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

// Grid and pixel sums wrap round at the ends of the 64-bit range, as the grid does.
int64_t wrapping_add(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}

int64_t wrapping_sub(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}

// -q - r, the diagonal coordinate of the noise lookups.
int64_t diagonal(const GridPoint& p) { return wrapping_sub(wrapping_sub(0, p.q), p.r); }

}  // namespace

int Map::strength_of(TileType type) {
    switch (type) {
        case TileType::Sky:
            return 50;
        case TileType::HardDirt:
            return 500;
        case TileType::Dirt:
            return 300;
        case TileType::Tunnel:
            return 150;
        default:
            return 9000;
    }
}

Map::Map(unsigned int seed) : sprites("tiles.png", kSheetColumns, kTileSize, kTileSize), rng(seed) {
    noise_z = uniform() * 256.0;
}

double Map::uniform() {
    // Spelled out rather than left to a std distribution so that the world and the food of a
    // seed do not depend on the standard library's choice of algorithm.
    const double a = static_cast<double>(rng());
    const double b = static_cast<double>(rng());
    const double u = (a + b * 4294967296.0) * 0x1p-64;
    return u < 1.0 ? u : std::nextafter(1.0, 0.0);
}

Map::TileType Map::generated_tile(const GridPoint& p) const {
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

int Map::variant(const GridPoint& p) const {
    const float x = static_cast<float>(static_cast<double>(diagonal(p)) * 37.0 / 11.0);
    const float y = static_cast<float>(static_cast<double>(p.r) * 41.0 / 7.0);
    const float n = stb_perlin_noise3(noise_coordinate(x), noise_coordinate(y),
                                      noise_coordinate(static_cast<float>(noise_z)), 0, 0, 0);
    const int magnitude = static_cast<int>(std::fabs(static_cast<double>(n) * 1000.0));
    return static_cast<int>(static_cast<unsigned>(magnitude) % kVariants);
}

Map::TileType Map::with_override(const GridPoint& p, TileType generated) const {
    const auto found = tile_overrides.find(p);
    return found == tile_overrides.end() ? generated : found->second;
}

Map::TileType Map::get_tile_direct(const GridPoint& p) const {
    return with_override(p, generated_tile(p));
}

int Map::get_sprite_direct(const GridPoint& p) const {
    return static_cast<int>(get_tile_direct(p)) + kSheetColumns * variant(p);
}

void Map::check_cache() const {
    if (tile_cache.empty() || cache_z != noise_z) {
        tile_cache.assign(std::size_t{1} << (kCacheColumnBits + kCacheRowBits), CachedTile{});
        cache_z = noise_z;
    }
}

// Out of line, so that the hit path in cached() stays small enough to be inlined.
[[gnu::noinline]] void Map::fill(CachedTile& slot, const GridPoint& p) const {
    slot = CachedTile{};
    slot.q = p.q;
    slot.r = p.r;
    slot.draw_at = p.draw_point();
    slot.kind = static_cast<int8_t>(generated_tile(p));
    slot.variant = static_cast<int8_t>(variant(p));
}

std::size_t Map::slot_index(const GridPoint& p) {
    constexpr uint64_t kColumnMask = (uint64_t{1} << kCacheColumnBits) - 1;
    constexpr uint64_t kRowMask = (uint64_t{1} << kCacheRowBits) - 1;
    const uint64_t column = static_cast<uint64_t>(p.q) & kColumnMask;
    const uint64_t row = static_cast<uint64_t>(p.r) & kRowMask;
    return static_cast<std::size_t>((row << kCacheColumnBits) | column);
}

Map::CachedTile& Map::cached(const GridPoint& p) const {
    CachedTile& slot = tile_cache[slot_index(p)];
    // Compared field by field: GCC would otherwise reload p as one 16-byte value right after
    // it was stored as two halves, a stall that cost more than the rest of the lookup.
    if (slot.kind == kEmptySlot || slot.q != p.q || slot.r != p.r) fill(slot, p);
    return slot;
}

Map::TileType Map::get_tile(const GridPoint& p) const {
    check_cache();
    return with_override(p, static_cast<TileType>(cached(p).kind));
}

int Map::get_sprite(const GridPoint& p) const {
    check_cache();
    const CachedTile& tile = cached(p);
    const TileType kind = with_override(p, static_cast<TileType>(tile.kind));
    return static_cast<int>(kind) + kSheetColumns * tile.variant;
}

int Map::strength(const GridPoint& p) const { return strength_of(get_tile(p)); }

bool Map::open(const GridPoint& p) const { return strength(p) < kOpenBelow; }

void Map::plan_draw_direct(int width, int height, long x_offset, long y_offset,
                           std::vector<TileDraw>& out) const {
    for (int sy = -kSampleStep; sy < height + 2 * kSampleStep; sy += kSampleStep) {
        const PixelRow row(wrapping_add(y_offset, sy));
        for (int sx = -kSampleStep; sx < width + 2 * kSampleStep; sx += kSampleStep) {
            const GridPoint p = row.to_grid(wrapping_add(x_offset, sx));
            const Point dp = p.draw_point();
            const int x = static_cast<int>(wrapping_sub(dp.x, x_offset));
            const int y = static_cast<int>(wrapping_sub(dp.y, y_offset));
            out.push_back({get_sprite_direct(p), x, y});
            if (auto item = food.find(p); item != food.end()) {
                out.push_back({item->second * kSheetColumns + kFoodColumn, x, y});
            }
        }
    }
}

void Map::plan_draw(int width, int height, long x_offset, long y_offset,
                    std::vector<TileDraw>& out) const {
    if (!plan_pass(width, height, x_offset, y_offset)) {
        plan_draw_direct(width, height, x_offset, y_offset, out);
        return;
    }
    for (const CachedTile* tile : draw_samples) {
        const int x = static_cast<int>(wrapping_sub(tile->draw_at.x, x_offset));
        const int y = static_cast<int>(wrapping_sub(tile->draw_at.y, y_offset));
        out.push_back({tile->frame, x, y});
        if (tile->food_frame != kNoFood) out.push_back({tile->food_frame, x, y});
    }
}

bool Map::plan_pass(int width, int height, long x_offset, long y_offset) const {
    check_cache();
    const uint64_t pass = ++draw_pass;
    draw_samples.clear();
    draw_tiles.clear();
    for (int sy = -kSampleStep; sy < height + 2 * kSampleStep; sy += kSampleStep) {
        // Samples are half a tile apart, so most share the tile of the one before.
        CachedTile* tile = nullptr;
        const PixelRow row(wrapping_add(y_offset, sy));
        for (int sx = -kSampleStep; sx < width + 2 * kSampleStep; sx += kSampleStep) {
            const GridPoint p = row.to_grid(wrapping_add(x_offset, sx));
            if (tile == nullptr || tile->q != p.q || tile->r != p.r) {
                const CachedTile& slot = tile_cache[slot_index(p)];
                // Another tile of this pass holds the slot: the samples kept so far would change.
                if (slot.pass == pass && (slot.q != p.q || slot.r != p.r)) return false;
                tile = &cached(p);
                if (tile->pass != pass) {
                    tile->pass = pass;
                    tile->frame = tile->kind + kSheetColumns * tile->variant;
                    tile->food_frame = kNoFood;
                    draw_tiles.push_back(tile);
                }
            }
            draw_samples.push_back(tile);
        }
    }
    apply_overrides_and_food(pass);
    return true;
}

void Map::apply_overrides_and_food(uint64_t pass) const {
    // The slot of p when this pass reached p, or null.
    const auto drawn = [this, pass](const GridPoint& p) -> CachedTile* {
        CachedTile& slot = tile_cache[slot_index(p)];
        return slot.pass == pass && slot.q == p.q && slot.r == p.r ? &slot : nullptr;
    };
    if (tile_overrides.size() < draw_tiles.size()) {
        for (const auto& [p, kind] : tile_overrides) {
            if (CachedTile* tile = drawn(p)) {
                tile->frame = static_cast<int>(kind) + kSheetColumns * tile->variant;
            }
        }
    } else {
        for (CachedTile* tile : draw_tiles) {
            const auto found = tile_overrides.find({tile->q, tile->r});
            if (found != tile_overrides.end()) {
                tile->frame = static_cast<int>(found->second) + kSheetColumns * tile->variant;
            }
        }
    }
    if (food.size() < draw_tiles.size()) {
        for (const auto& [p, kind] : food) {
            if (CachedTile* tile = drawn(p)) tile->food_frame = kind * kSheetColumns + kFoodColumn;
        }
    } else {
        for (CachedTile* tile : draw_tiles) {
            const auto item = food.find({tile->q, tile->r});
            if (item != food.end()) tile->food_frame = item->second * kSheetColumns + kFoodColumn;
        }
    }
}

void Map::draw(Graphics& graphics, long x_offset, long y_offset) const {
    if (sprites.columns <= 0) return;  // a sheet without frames draws nothing
    draw_scratch.clear();
    plan_draw(graphics.config.width, graphics.config.height, x_offset, y_offset, draw_scratch);
    // The source rectangles of the frames a view uses (a row per variant), worked out once
    // rather than per copy.
    constexpr int kKnownFrames = kSheetColumns * kVariants;
    SDL_Rect frames[kKnownFrames];
    for (int f = 0; f < kKnownFrames; ++f) frames[f] = sprites.frame_rect(f);
    copy_scratch.clear();
    for (const TileDraw& d : draw_scratch) {
        const bool known = d.frame >= 0 && d.frame < kKnownFrames;
        copy_scratch.push_back({known ? frames[d.frame] : sprites.frame_rect(d.frame),
                                {d.x, d.y, sprites.frame_width, sprites.frame_height}});
    }
    graphics.blit_all(sprites.image, copy_scratch);
}

Map::TileType Map::dig(const GridPoint& p) {
    const TileType kind = get_tile(p);
    if (kind == TileType::Sky || kind == TileType::Tunnel) return kind;
    tile_overrides.try_emplace(p, TileType::Tunnel);
    return kind;
}

int Map::eat_food(const GridPoint& p) {
    auto item = food.find(p);
    if (item == food.end()) return 0;
    const int value = item->second + 1;
    food.erase(item);
    return value;
}

void Map::spawn_food(const GridPoint& origin) {
    // All six engine outputs are drawn up front so the sequence never depends on the outcome.
    const double u1 = uniform();
    const double u2 = uniform();
    const double u3 = uniform();

    const double angle = (u1 * 4.0 + 1.0) * std::numbers::pi / 6.0;
    const double distance = (u2 * 10.0 + 15.0) * 16.0;
    const Point c = origin.center();
    const Point target{wrapping_add(c.x, static_cast<int64_t>(std::cos(angle) * distance)),
                       wrapping_add(c.y, static_cast<int64_t>(distance * std::sin(angle)))};
    const GridPoint g = target.to_grid();
    const int kind = static_cast<int>(std::floor(4.0 * u3 * u3 * u3));

    const TileType tile = get_tile(g);
    if (tile == TileType::Dirt || (tile == TileType::HardDirt && kind == 3)) {
        food.try_emplace(g, kind);
    }
}
