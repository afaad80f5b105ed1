#include "game/view/map_plan.h"

#include <cstdint>

#include "game/view/sheets.h"
#include "game/world/geometry.h"
#include "game/world/map.h"

namespace {

// Half a tile: every tile gets at least two samples. Samples run from one step before the
// canvas to one step past it, so a tile whose only visible part is a tip between two samples
// along an edge is still reached from outside.
constexpr int kSampleStep = 16;

// Pixel sums wrap round at the ends of the 64-bit range, as the grid does.
int64_t wrapping_add(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}

int64_t wrapping_sub(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}

static_assert(TileSheet::kKinds == static_cast<int>(Map::TileType::Rock) + 1 &&
                  TileSheet::kKinds == Terrain::kKinds,
              "the tile sheet has a column for every kind of tile");
static_assert(TileSheet::kVariants == Terrain::kVariants, "and a row for every look");
static_assert(TileSheet::kFoodKinds == Map::kFoodKinds, "and a row for every kind of food");

}  // namespace

int MapPlan::tile_frame(const Map& map, const GridPoint& p) {
    const Map::Tile tile = map.tile(p);
    return TileSheet::tile_frame(static_cast<int>(tile.kind), tile.variant);
}

int MapPlan::tile_frame_direct(const Map& map, const GridPoint& p) {
    const Map::Tile tile = map.tile_direct(p);
    return TileSheet::tile_frame(static_cast<int>(tile.kind), tile.variant);
}

int MapPlan::food_frame(const Map& map, const GridPoint& p) {
    const int kind = map.food_kind(p);
    return kind == Map::kNoFood ? kNoFood : TileSheet::food_frame(kind);
}

void MapPlan::make(const Map& map, int width, int height, int64_t x_offset, int64_t y_offset,
                   bool direct) {
    draws.clear();
    for (int sy = -kSampleStep; sy < height + 2 * kSampleStep; sy += kSampleStep) {
        const PixelRow row(wrapping_add(y_offset, sy));
        // Samples are half a tile apart, so most share the tile of the one before.
        bool have_tile = false;
        GridPoint tile{0, 0};
        TileDraw sprite{0, 0, 0};
        int frame_of_food = kNoFood;
        for (int sx = -kSampleStep; sx < width + 2 * kSampleStep; sx += kSampleStep) {
            const GridPoint p = row.to_grid(wrapping_add(x_offset, sx));
            if (!have_tile || p.q != tile.q || p.r != tile.r) {
                have_tile = true;
                tile = p;
                const Point at = p.draw_point();
                sprite = {direct ? tile_frame_direct(map, p) : tile_frame(map, p),
                          static_cast<int>(wrapping_sub(at.x, x_offset)),
                          static_cast<int>(wrapping_sub(at.y, y_offset))};
                frame_of_food = food_frame(map, p);
            }
            draws.push_back(sprite);
            if (frame_of_food != kNoFood) draws.push_back({frame_of_food, sprite.x, sprite.y});
        }
    }
}
