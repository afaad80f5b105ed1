// Pictures of the map kept in render targets: fixed 256 by 256 pixel regions of the world, each
// drawn once and then composed every frame, so that a frame copies a few dozen textures instead
// of thousands of tiles. They give the very pixels of drawing the tiles directly because of how
// the tile sheet is drawn (checked when it loads); where that cannot hold, the map draws directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/graphics.h"
#include "engine/spritemap.h"

class Map;

class MapChunks {
public:
    static constexpr int kChunkWidth = 256;
    static constexpr int kChunkHeight = 256;
    static constexpr std::size_t kChunkBytes = 4 * kChunkWidth * kChunkHeight;
    // The chunks' textures stay within this; the least recently used chunk goes first.
    static constexpr std::size_t kDefaultMemoryCap = std::size_t{16} << 20;  // 16 MB
    // Tile copies a frame may spend on chunks next to the view, so that scrolling finds them
    // ready instead of drawing a row of chunks in one frame.
    static constexpr int kPrefetchCopies = 24;

    // What the latest draw did, for tests and benchmarks.
    struct Stats {
        bool used = false;  // false: the map was drawn directly
        int composed = 0;   // chunk copies onto the canvas
        int tiles = 0;      // tile copies into chunks
        int started = 0;    // chunks cleared to be drawn from scratch
        int food = 0;       // food copies onto the canvas
    };

    MapChunks() = default;
    // A copy starts without chunks: textures belong to the map that drew them.
    MapChunks(const MapChunks& other) : memory_cap(other.memory_cap) {}
    MapChunks& operator=(const MapChunks& other);

    // Draws the map's tiles and food from `sheet` (the tile sheet) with world pixel (x, y) at
    // the canvas's top-left corner. False, having drawn nothing, when the sheet's art or the
    // renderer cannot give the pixels of drawing the tiles directly, or when a chunk cannot be
    // made.
    bool draw(Graphics& graphics, const SpriteMap& sheet, const Map& map, int64_t x, int64_t y);

    std::size_t chunk_count() const { return chunks.size(); }
    bool has_chunk(int64_t cx, int64_t cy) const;  // by chunk column and row

    std::size_t memory_cap = kDefaultMemoryCap;
    Stats last;

private:
    enum class Art { Unchecked, Good, Bad };

    struct Chunk {
        int64_t cx = 0;  // covers world x from cx * kChunkWidth, y from cy * kChunkHeight
        int64_t cy = 0;
        std::unique_ptr<Graphics::Target> target;
        int64_t next_row = 0;  // the first tile row not drawn into it yet
        uint64_t used = 0;     // the frame that last composed it or drew into it
    };

    // The chunk columns and rows a view covers, first to last.
    struct Span {
        int64_t cx0, cx1, cy0, cy1;
    };

    // The phases of draw. Whether chunks can stand in for the tiles here at all (the renderer,
    // the art, offsets within range); then the view's chunks brought up to date (false when one
    // cannot be made), a few tiles of the neighbours' drawn ahead, the view's chunks copied onto
    // the canvas (false when one went missing), and the food over them.
    bool usable(Graphics& graphics, const SpriteMap& sheet, int64_t x, int64_t y);
    bool fill_view(Graphics& graphics, const SpriteMap& sheet, const Map& map, const Span& view);
    void prefetch(Graphics& graphics, const SpriteMap& sheet, const Map& map, const Span& view);
    bool compose(Graphics& graphics, const Span& view, int64_t x, int64_t y);
    void draw_food(Graphics& graphics, const SpriteMap& sheet, const Map& map, int64_t x,
                   int64_t y);
    // Whether the sheet's art lets a chunk stand in for its tiles; sets art and opaque.
    bool check_art(const Graphics& graphics, const SpriteMap& sheet);
    // Brings the chunks up to date with the graphics and the map; false when they cannot be.
    void follow(Graphics& graphics, const SpriteMap& sheet, const Map& map);
    void follow_digs(Graphics& graphics, const SpriteMap& sheet, const Map& map);
    Chunk* find(int64_t cx, int64_t cy);
    // The chunk, made (evicting the least recently used past the cap) if need be; null when
    // that would evict a chunk of this frame or the renderer refused a texture.
    Chunk* acquire(Graphics& graphics, int64_t cx, int64_t cy);
    // Draws rows of tiles into the chunk, whole rows, until it is complete or at least `budget`
    // copies were made; returns the copies made.
    int draw_rows(Graphics& graphics, const SpriteMap& sheet, const Map& map, Chunk& chunk,
                  int budget);
    void restart_all();
    void forget();

    std::vector<Chunk> chunks;
    uint64_t frame = 0;
    Art art = Art::Unchecked;
    bool opaque = false;  // the tiles cover every pixel: chunks replace the canvas below
    std::string art_image;
    // What the chunks were drawn from.
    double seen_z = 0.0;
    uint64_t seen_lost = 0;
    uint64_t seen_digs = 0;
    std::size_t seen_overrides = 0;
    std::vector<Graphics::Copy> copies;  // kept to spare allocations
};
