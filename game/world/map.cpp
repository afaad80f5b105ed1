#include "game/world/map.h"

#include <cmath>
#include <numbers>

#include "game/world/draws.h"
#include "game/world/trig.h"

namespace {

constexpr int kOpenBelow = 200;
// Only the most valuable food lies in hard soil.
constexpr int kHardSoilFood = Map::kFoodKinds - 1;

// Pixel sums wrap round at the ends of the 64-bit range, as the grid does.
int64_t wrapping_add(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}

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

Map::Map(unsigned int seed) : rng(seed) { noise_z = uniform() * 256.0; }

double Map::uniform() { return Draws::unit(rng); }

Map::TileType Map::with_override(const GridPoint& p, TileType generated) const {
    const auto found = tile_overrides.find(p);
    return found == tile_overrides.end() ? generated : found->second;
}

Map::TileType Map::get_tile(const GridPoint& p) const {
    return with_override(p, terrain.tile(p, noise_z).kind);
}

Map::Tile Map::tile(const GridPoint& p) const {
    const Terrain::Tile generated = terrain.tile(p, noise_z);
    return {with_override(p, generated.kind), generated.variant};
}

Map::TileType Map::get_tile_direct(const GridPoint& p) const {
    return with_override(p, Terrain::generate_kind(p, noise_z));
}

Map::Tile Map::tile_direct(const GridPoint& p) const {
    return {get_tile_direct(p), Terrain::generate_variant(p, noise_z)};
}

int Map::food_kind(const GridPoint& p) const {
    const auto item = food.find(p);
    return item == food.end() ? kNoFood : item->second;
}

int Map::strength(const GridPoint& p) const { return strength_of(get_tile(p)); }

bool Map::open(const GridPoint& p) const { return strength(p) < kOpenBelow; }

Map::TileType Map::dig(const GridPoint& p) {
    const TileType kind = get_tile(p);
    if (kind == TileType::Sky || kind == TileType::Tunnel) return kind;
    if (tile_overrides.try_emplace(p, TileType::Tunnel).second) {
        dig_log.recent[dig_log.count % DigLog::kSize] = p;
        ++dig_log.count;
    }
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
    const Point target{wrapping_add(c.x, static_cast<int64_t>(Trig::cos(angle) * distance)),
                       wrapping_add(c.y, static_cast<int64_t>(distance * Trig::sin(angle)))};
    const GridPoint g = target.to_grid();
    const int kind = static_cast<int>(std::floor(kFoodKinds * u3 * u3 * u3));

    const TileType tile = get_tile(g);
    if (tile == TileType::Dirt || (tile == TileType::HardDirt && kind == kHardSoilFood)) {
        food.try_emplace(g, kind);
    }
}
