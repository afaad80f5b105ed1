#include "game/map.h"

#include <cmath>
#include <numbers>

#include "game/world/draws.h"
#include "game/world/trig.h"

namespace {

constexpr int kOpenBelow = 200;
// Only the most valuable food lies in hard soil.
constexpr int kHardSoilFood = TileSheet::kFoodKinds - 1;

static_assert(TileSheet::kKinds == static_cast<int>(Map::TileType::Rock) + 1,
              "the tile sheet has a column for every kind of tile");

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

Map::Map(unsigned int seed)
    : sprites(TileSheet::kImage, TileSheet::kColumns, TileSheet::kFrameSize, TileSheet::kFrameSize),
      rng(seed) {
    noise_z = uniform() * 256.0;
}

double Map::uniform() { return Draws::unit(rng); }

Map::TileType Map::with_override(const GridPoint& p, TileType generated) const {
    const auto found = tile_overrides.find(p);
    return found == tile_overrides.end() ? generated : found->second;
}

Map::TileType Map::get_tile(const GridPoint& p) const {
    return with_override(p, terrain.tile(p, noise_z).kind);
}

int Map::get_sprite(const GridPoint& p) const {
    const Terrain::Tile tile = terrain.tile(p, noise_z);
    return TileSheet::tile_frame(static_cast<int>(with_override(p, tile.kind)), tile.variant);
}

Map::TileType Map::get_tile_direct(const GridPoint& p) const {
    return with_override(p, Terrain::generate_kind(p, noise_z));
}

int Map::get_sprite_direct(const GridPoint& p) const {
    return TileSheet::tile_frame(static_cast<int>(get_tile_direct(p)),
                                 Terrain::generate_variant(p, noise_z));
}

int Map::food_frame(const GridPoint& p) const {
    const auto item = food.find(p);
    return item == food.end() ? kNoFood : TileSheet::food_frame(item->second);
}

int Map::strength(const GridPoint& p) const { return strength_of(get_tile(p)); }

bool Map::open(const GridPoint& p) const { return strength(p) < kOpenBelow; }

void Map::plan_draw(int width, int height, int64_t x_offset, int64_t y_offset,
                    std::vector<TileDraw>& out) const {
    plan.make(*this, width, height, x_offset, y_offset, false);
    out.insert(out.end(), plan.draws.begin(), plan.draws.end());
}

void Map::plan_draw_direct(int width, int height, int64_t x_offset, int64_t y_offset,
                           std::vector<TileDraw>& out) const {
    plan.make(*this, width, height, x_offset, y_offset, true);
    out.insert(out.end(), plan.draws.begin(), plan.draws.end());
}

void Map::draw(Graphics& graphics, int64_t x_offset, int64_t y_offset) const {
    if (sprites.columns <= 0) return;  // a sheet without frames draws nothing
    if (chunked && chunks.draw(graphics, *this, x_offset, y_offset)) return;
    draw_direct(graphics, x_offset, y_offset);
}

void Map::draw_direct(Graphics& graphics, int64_t x_offset, int64_t y_offset) const {
    if (sprites.columns <= 0) return;
    plan.make(*this, graphics.config.width, graphics.config.height, x_offset, y_offset, false);
    // The source rectangles of the frames a view uses (a row per variant), worked out once
    // rather than per copy.
    constexpr int kKnownFrames = TileSheet::kColumns * TileSheet::kVariants;
    Graphics::PixelRect frames[kKnownFrames];
    for (int f = 0; f < kKnownFrames; ++f) frames[f] = sprites.frame_rect(f);
    copy_scratch.clear();
    for (const TileDraw& d : plan.draws) {
        const bool known = d.frame >= 0 && d.frame < kKnownFrames;
        copy_scratch.push_back({known ? frames[d.frame] : sprites.frame_rect(d.frame),
                                {d.x, d.y, sprites.frame_width, sprites.frame_height}});
    }
    graphics.blit_all(sprites.image, copy_scratch);
}

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
    const int kind = static_cast<int>(std::floor(TileSheet::kFoodKinds * u3 * u3 * u3));

    const TileType tile = get_tile(g);
    if (tile == TileType::Dirt || (tile == TileType::HardDirt && kind == kHardSoilFood)) {
        food.try_emplace(g, kind);
    }
}
