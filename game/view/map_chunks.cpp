#include "game/view/map_chunks.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "game/view/map_plan.h"
#include "game/view/sheets.h"
#include "game/world/geometry.h"
#include "game/world/map.h"

namespace {

// The tile lattice: sprites 32 pixels square, centres 32 apart in a row, rows 24 apart.
constexpr int kTile = 32;
constexpr int kRowPitch = 24;
constexpr int kHalfTile = kTile / 2;
// Offsets this far out leave the chunk arithmetic well inside 64 bits.
constexpr int64_t kFarthest = int64_t{1} << 40;

int64_t floor_div(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Tile rows whose sprites reach into world rows [top, top + height).
int64_t first_row(int64_t top) { return floor_div(top - kHalfTile, kRowPitch) + 1; }
int64_t last_row(int64_t top, int height) {
    return floor_div(top + height + kHalfTile - 1, kRowPitch);
}
// Tiles of row r whose sprites reach into world columns [left, left + width).
int64_t first_column(int64_t r, int64_t left) {
    return floor_div(left - kHalfTile * r - kHalfTile, kTile) + 1;
}
int64_t last_column(int64_t r, int64_t left, int width) {
    return floor_div(left + width + kHalfTile - 1 - kHalfTile * r, kTile);
}

bool alpha_whole(uint32_t rgba) {
    const uint32_t a = rgba & 0xFF;
    return a == 0 || a == 0xFF;
}

}  // namespace

MapChunks& MapChunks::operator=(const MapChunks& other) {
    if (this != &other) {
        forget();
        art = Art::Unchecked;
        memory_cap = other.memory_cap;
    }
    return *this;
}

bool MapChunks::has_chunk(int64_t cx, int64_t cy) const {
    return std::any_of(chunks.begin(), chunks.end(),
                       [&](const Chunk& c) { return c.cx == cx && c.cy == cy; });
}

// A chunk is a copy of its tiles with every pixel either a whole tile pixel or nothing, which
// is what copying it onto the canvas needs to match copying the tiles there:
// - tile pixels are opaque or clear, never in between (a blended pixel in a texture keeps an
//   alpha below 255 and would blend a second time onto the canvas);
// - every tile has the same hexagon, and hexagons of neighbouring tiles never share a pixel, so
//   which tile is drawn last never matters;
// - food lies within its tile's hexagon. Its soft edges cannot go into a texture unchanged, so
//   food is drawn over the chunks onto the canvas, where it blends over its own tile only.
bool MapChunks::check_art(const Graphics& graphics, const SpriteMap& sheet) {
    art_image = sheet.image;
    art = Art::Bad;
    if (sheet.columns != TileSheet::kColumns || sheet.frame_width != kTile ||
        sheet.frame_height != kTile) {
        return false;
    }
    Graphics::Pixels pixels;
    if (!graphics.read_image(sheet.image, pixels)) return false;
    const auto fits = [&](int n) {
        const Graphics::PixelRect r = sheet.frame_rect(n);
        return r.x + r.w <= pixels.width && r.y + r.h <= pixels.height;
    };
    const auto pixel = [&](int n, int x, int y) {
        const Graphics::PixelRect r = sheet.frame_rect(n);
        return pixels.at(r.x + x, r.y + y);
    };

    std::vector<bool> hexagon(kTile * kTile);
    int area = 0;
    for (int y = 0; y < kTile; ++y) {
        for (int x = 0; x < kTile; ++x) {
            hexagon[y * kTile + x] = fits(0) && (pixel(0, x, y) & 0xFF) != 0;
            area += hexagon[y * kTile + x] ? 1 : 0;
        }
    }
    for (int variant = 0; variant < TileSheet::kVariants; ++variant) {
        for (int kind = 0; kind < TileSheet::kKinds; ++kind) {
            const int tile = TileSheet::tile_frame(kind, variant);
            if (!fits(tile)) return false;
            for (int y = 0; y < kTile; ++y) {
                for (int x = 0; x < kTile; ++x) {
                    const uint32_t p = pixel(tile, x, y);
                    if (!alpha_whole(p) || ((p & 0xFF) != 0) != hexagon[y * kTile + x]) {
                        return false;
                    }
                }
            }
        }
    }
    // Within a 32-pixel square only the neighbours in the rows above and below can overlap.
    for (const int shift : {-kHalfTile, kHalfTile}) {
        for (int y = 0; y + kRowPitch < kTile; ++y) {
            for (int x = std::max(0, -shift); x < kTile && x + shift < kTile; ++x) {
                if (hexagon[y * kTile + x] && hexagon[(y + kRowPitch) * kTile + x + shift]) {
                    return false;
                }
            }
        }
    }
    for (int kind = 0; kind < TileSheet::kFoodKinds; ++kind) {
        const int food = TileSheet::food_frame(kind);
        if (!fits(food)) return false;
        for (int y = 0; y < kTile; ++y) {
            for (int x = 0; x < kTile; ++x) {
                if ((pixel(food, x, y) & 0xFF) != 0 && !hexagon[y * kTile + x]) return false;
            }
        }
    }
    // Without gaps the hexagons fill the plane, one lattice cell each.
    opaque = area == kTile * kRowPitch;
    art = Art::Good;
    return true;
}

void MapChunks::forget() {
    chunks.clear();
    seen_digs = 0;
    seen_overrides = 0;
}

void MapChunks::restart_all() {
    for (Chunk& chunk : chunks) chunk.next_row = first_row(chunk.cy * kChunkHeight);
}

MapChunks::Chunk* MapChunks::find(int64_t cx, int64_t cy) {
    for (Chunk& chunk : chunks) {
        if (chunk.cx == cx && chunk.cy == cy) return &chunk;
    }
    return nullptr;
}

MapChunks::Chunk* MapChunks::acquire(Graphics& graphics, int64_t cx, int64_t cy) {
    if (Chunk* found = find(cx, cy)) return found;
    const std::size_t most = memory_cap / kChunkBytes;
    if (chunks.size() >= most) {
        auto oldest =
            std::min_element(chunks.begin(), chunks.end(),
                             [](const Chunk& a, const Chunk& b) { return a.used < b.used; });
        if (oldest == chunks.end() || oldest->used == frame) return nullptr;
        // Its texture is as good as a new one: the chunk starts from scratch either way.
        oldest->cx = cx;
        oldest->cy = cy;
        oldest->next_row = first_row(cy * kChunkHeight);
        return &*oldest;
    }
    std::unique_ptr<Graphics::Target> target = graphics.create_target(kChunkWidth, kChunkHeight);
    if (target == nullptr) return nullptr;
    chunks.push_back({cx, cy, std::move(target), first_row(cy * kChunkHeight), 0});
    return &chunks.back();
}

int MapChunks::draw_rows(Graphics& graphics, const SpriteMap& sheet, const Map& map, Chunk& chunk,
                         int budget) {
    const int64_t left = chunk.cx * kChunkWidth;
    const int64_t top = chunk.cy * kChunkHeight;
    const int64_t end = last_row(top, kChunkHeight);
    if (chunk.next_row > end) return 0;
    graphics.draw_into(chunk.target.get());
    if (chunk.next_row == first_row(top)) {
        graphics.clear(0x00000000);
        ++last.started;
    }
    copies.clear();
    while (chunk.next_row <= end && static_cast<int>(copies.size()) < budget) {
        const int64_t r = chunk.next_row++;
        for (int64_t q = first_column(r, left); q <= last_column(r, left, kChunkWidth); ++q) {
            const GridPoint p{q, r};
            const Point at = p.draw_point();
            copies.push_back(
                {sheet.frame_rect(MapPlan::tile_frame(map, p)),
                 {static_cast<int>(at.x - left), static_cast<int>(at.y - top), kTile, kTile}});
        }
    }
    graphics.blit_all(sheet.image, copies);
    graphics.draw_into(nullptr);
    last.tiles += static_cast<int>(copies.size());
    return static_cast<int>(copies.size());
}

// Dug tiles are drawn over their old look in every chunk that already shows them: a tile's
// opaque hexagon covers exactly what the old tile (and any food) covered.
void MapChunks::follow_digs(Graphics& graphics, const SpriteMap& sheet, const Map& map) {
    const Map::DigLog& digs = map.digs();
    const uint64_t fresh = digs.count - seen_digs;
    const bool explained =
        fresh <= Map::DigLog::kSize && map.tile_overrides.size() == seen_overrides + fresh;
    seen_digs = digs.count;
    seen_overrides = map.tile_overrides.size();
    if (!explained) {
        // Tiles were changed behind dig's back, or too many to replay: start again.
        restart_all();
        return;
    }
    for (uint64_t n = digs.count - fresh; n < digs.count; ++n) {
        const GridPoint p = digs.recent[n % Map::DigLog::kSize];
        const Point at = p.draw_point();
        for (Chunk& chunk : chunks) {
            const int64_t left = chunk.cx * kChunkWidth;
            const int64_t top = chunk.cy * kChunkHeight;
            if (p.r >= chunk.next_row || p.r < first_row(top) || p.q < first_column(p.r, left) ||
                p.q > last_column(p.r, left, kChunkWidth)) {
                continue;
            }
            const Graphics::PixelRect source = sheet.frame_rect(MapPlan::tile_frame(map, p));
            const Graphics::PixelRect destination{static_cast<int>(at.x - left),
                                                  static_cast<int>(at.y - top), kTile, kTile};
            graphics.draw_into(chunk.target.get());
            graphics.blit(sheet.image, &source, &destination);
            ++last.tiles;
        }
    }
    graphics.draw_into(nullptr);
}

void MapChunks::follow(Graphics& graphics, const SpriteMap& sheet, const Map& map) {
    // Another renderer, or one that lost what was drawn into its targets: nothing is kept.
    if (graphics.targets_lost != seen_lost ||
        (!chunks.empty() && !graphics.owns(*chunks.front().target))) {
        forget();
        seen_lost = graphics.targets_lost;
    }
    if (map.noise_z != seen_z) {
        seen_z = map.noise_z;
        restart_all();
    }
    follow_digs(graphics, sheet, map);
}

bool MapChunks::usable(Graphics& graphics, const SpriteMap& sheet, int64_t x, int64_t y) {
    // When copies are only logged nothing reaches a texture, so nothing could be kept.
    if (graphics.blit_log_only || !graphics.targets_supported()) return false;
    if (x > kFarthest || x < -kFarthest || y > kFarthest || y < -kFarthest) return false;
    if (art == Art::Unchecked || art_image != sheet.image) {
        check_art(graphics, sheet);
        forget();
    }
    return art == Art::Good;
}

bool MapChunks::fill_view(Graphics& graphics, const SpriteMap& sheet, const Map& map,
                          const Span& view) {
    for (int64_t cy = view.cy0; cy <= view.cy1; ++cy) {
        for (int64_t cx = view.cx0; cx <= view.cx1; ++cx) {
            Chunk* chunk = acquire(graphics, cx, cy);
            if (chunk == nullptr) return false;
            chunk->used = frame;
            draw_rows(graphics, sheet, map, *chunk, std::numeric_limits<int>::max());
        }
    }
    return true;
}

// Neighbours of the view are drawn a little at a time: those begun first, then new ones.
void MapChunks::prefetch(Graphics& graphics, const SpriteMap& sheet, const Map& map,
                         const Span& view) {
    int budget = kPrefetchCopies;
    for (int64_t cy = view.cy0 - 1; cy <= view.cy1 + 1 && budget > 0; ++cy) {
        for (int64_t cx = view.cx0 - 1; cx <= view.cx1 + 1 && budget > 0; ++cx) {
            if (cx >= view.cx0 && cx <= view.cx1 && cy >= view.cy0 && cy <= view.cy1) continue;
            if (Chunk* near = find(cx, cy)) {
                near->used = frame;
                budget -= draw_rows(graphics, sheet, map, *near, budget);
            }
        }
    }
    for (int64_t cy = view.cy0 - 1; cy <= view.cy1 + 1 && budget > 0; ++cy) {
        for (int64_t cx = view.cx0 - 1; cx <= view.cx1 + 1 && budget > 0; ++cx) {
            if (find(cx, cy) != nullptr) continue;
            Chunk* near = acquire(graphics, cx, cy);
            if (near == nullptr) break;
            near->used = frame;
            budget -= draw_rows(graphics, sheet, map, *near, budget);
        }
    }
}

bool MapChunks::compose(Graphics& graphics, const Span& view, int64_t x, int64_t y) {
    for (int64_t cy = view.cy0; cy <= view.cy1; ++cy) {
        for (int64_t cx = view.cx0; cx <= view.cx1; ++cx) {
            const Chunk* chunk = find(cx, cy);
            if (chunk == nullptr) return false;
            const Graphics::PixelRect at{static_cast<int>(cx * kChunkWidth - x),
                                         static_cast<int>(cy * kChunkHeight - y), kChunkWidth,
                                         kChunkHeight};
            graphics.blit_target(*chunk->target, at, opaque);
            ++last.composed;
        }
    }
    return true;
}

void MapChunks::draw_food(Graphics& graphics, const SpriteMap& sheet, const Map& map, int64_t x,
                          int64_t y) {
    const int width = graphics.config.width;
    const int height = graphics.config.height;
    copies.clear();
    for (const auto& [p, kind] : map.food) {
        const Point at = p.draw_point();
        if (at.x >= x + width || at.x + kTile <= x || at.y >= y + height || at.y + kTile <= y) {
            continue;
        }
        copies.push_back({sheet.frame_rect(TileSheet::food_frame(kind)),
                          {static_cast<int>(at.x - x), static_cast<int>(at.y - y), kTile, kTile}});
    }
    graphics.blit_all(sheet.image, copies);
    last.food = static_cast<int>(copies.size());
}

bool MapChunks::draw(Graphics& graphics, const SpriteMap& sheet, const Map& map, int64_t x,
                     int64_t y) {
    last = Stats{};
    if (!usable(graphics, sheet, x, y)) return false;

    const int width = graphics.config.width;
    const int height = graphics.config.height;
    const Span view{floor_div(x, kChunkWidth), floor_div(x + width - 1, kChunkWidth),
                    floor_div(y, kChunkHeight), floor_div(y + height - 1, kChunkHeight)};
    const auto visible =
        static_cast<std::size_t>((view.cx1 - view.cx0 + 1) * (view.cy1 - view.cy0 + 1));
    if (width <= 0 || height <= 0 || visible > memory_cap / kChunkBytes) return false;

    follow(graphics, sheet, map);
    ++frame;
    if (!fill_view(graphics, sheet, map, view)) return false;
    prefetch(graphics, sheet, map, view);
    if (!compose(graphics, view, x, y)) return false;
    draw_food(graphics, sheet, map, x, y);
    last.used = true;
    return true;
}
