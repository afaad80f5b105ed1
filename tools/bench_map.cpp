// Times the map's per-frame work along a fixed camera path: the tile queries of one frame
// evaluated straight from the noise and through the tile cache, side by side, and the whole
// MapView::draw on the software renderer.
//
//     bench_map [frames] [pixels per frame]      (run from the repository root)
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/graphics.h"
#include "game/view/map_view.h"
#include "game/world/map.h"
#include "tools/support/headless.h"

namespace {

constexpr unsigned kSeed = 12345;
constexpr int kWidth = 1280;
constexpr int kHeight = 720;

struct Timing {
    std::vector<double> ms;  // one entry per frame

    double mean() const {
        double sum = 0.0;
        for (double t : ms) sum += t;
        return ms.empty() ? 0.0 : sum / static_cast<double>(ms.size());
    }
    // Steady play: every frame after the first, which starts with nothing remembered.
    double worst_steady() const {
        return ms.size() < 2 ? 0.0 : *std::max_element(ms.begin() + 1, ms.end());
    }
    double first() const { return ms.empty() ? 0.0 : ms.front(); }
};

// Processor time of this thread: other programs on a shared machine then only blur the
// figures through the caches, instead of adding whole time slices to random frames.
double thread_ms() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

double time_ms(const std::function<void()>& work) {
    const double start = thread_ms();
    work();
    return thread_ms() - start;
}

// The camera of frame n: drifting down and sideways a few pixels a frame, as it does while the
// worm digs, with a slow sideways swing.
std::pair<long, long> camera_at(int frame, double speed) {
    const double x = speed * frame * 0.6 + 400.0 * std::sin(frame / 300.0);
    const double y = speed * frame * 0.8;
    return {std::lround(x) - kWidth / 2, std::lround(y) + 200 - kHeight / 2};
}

// What a game does to the map meanwhile: the worm digs a tile now and then, food appears.
void play(Map& map, int frame, long x, long y) {
    const GridPoint head = Point{x + kWidth / 2, y + kHeight / 2}.to_grid();
    if (frame % 20 == 0) map.tile_overrides.try_emplace(head, Map::TileType::Tunnel);
    if (frame % 120 == 0) map.spawn_food(head);
}

// A sheet of half-transparent frames, for when the real "tiles.png" is not there.
void provide_tile_sheet(Graphics& graphics) {
    const std::string path = "content/tiles.png";
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::fclose(file);
        return;
    }
    SDL_Surface* sheet = SDL_CreateRGBSurfaceWithFormat(0, 256, 192, 32, SDL_PIXELFORMAT_RGBA8888);
    for (int y = 0; y < sheet->h; ++y) {
        auto* row =
            reinterpret_cast<Uint32*>(static_cast<Uint8*>(sheet->pixels) + y * sheet->pitch);
        for (int x = 0; x < sheet->w; ++x) {
            row[x] = (static_cast<Uint32>(x) << 24) | (static_cast<Uint32>(y) << 16) | 0x4000u |
                     ((x + y) % 3 == 0 ? 0x00u : 0xFFu);
        }
    }
    graphics.textures[path] = SDL_CreateTextureFromSurface(graphics.renderer, sheet);
    SDL_FreeSurface(sheet);
    std::printf("(content/tiles.png not found: drawing a generated sheet of the same size)\n");
}

void report(const char* name, const Timing& timing) {
    std::printf("%-34s %9.4f %9.4f %9.4f\n", name, timing.mean(), timing.worst_steady(),
                timing.first());
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(2, std::atoi(argv[1])) : 3000;
    const double speed = argc > 2 ? std::atof(argv[2]) : 3.0;

    if (!headless::start(SDL_INIT_VIDEO)) return 1;
    Graphics graphics(headless::graphics_config(kWidth, kHeight, "bench_map"));
    if (!graphics.ok()) {
        std::fprintf(stderr, "%s\n", graphics.error.c_str());
        return 1;
    }
    provide_tile_sheet(graphics);

    // One map per measurement, so that no measurement warms the tile cache for another.
    Map direct_map(kSeed);
    Map cached_map(kSeed);
    Map drawn_map(kSeed);
    const MapView direct_view;
    const MapView cached_view;
    const MapView drawn_view;
    Timing direct;
    Timing cached;
    Timing drawn;
    Timing rasterised;
    std::vector<MapPlan::TileDraw> direct_plan;
    std::vector<MapPlan::TileDraw> cached_plan;
    long samples = 0;
    long tiles = 0;
    long mismatches = 0;

    for (int frame = 0; frame < frames; ++frame) {
        const auto [x, y] = camera_at(frame, speed);
        for (Map* map : {&direct_map, &cached_map, &drawn_map}) play(*map, frame, x, y);

        direct_plan.clear();
        cached_plan.clear();
        direct.ms.push_back(time_ms(
            [&] { direct_view.plan_draw_direct(direct_map, kWidth, kHeight, x, y, direct_plan); }));
        cached.ms.push_back(time_ms(
            [&] { cached_view.plan_draw(cached_map, kWidth, kHeight, x, y, cached_plan); }));
        if (cached_plan != direct_plan) ++mismatches;

        graphics.clear();
        drawn.ms.push_back(time_ms([&] { drawn_view.draw(graphics, drawn_map, x, y); }));
        // The software renderer batches copies; the flush is where the pixels are made.
        rasterised.ms.push_back(drawn.ms.back() +
                                time_ms([&] { SDL_RenderFlush(graphics.renderer); }));
        graphics.flip();

        std::set<std::pair<int, int>> distinct;
        for (const MapPlan::TileDraw& d : cached_plan) distinct.insert({d.x, d.y});
        tiles += static_cast<long>(distinct.size());
        samples += static_cast<long>((kHeight / 16 + 3) * (kWidth / 16 + 3));
    }

    std::printf("seed %u, %d frames of %dx%d, camera moving %.1f px a frame\n", kSeed, frames,
                kWidth, kHeight, speed);
    std::printf("tile queries per frame: %ld samples over %ld distinct tiles; food items %zu\n",
                samples / frames, tiles / frames, cached_map.food.size());
    std::printf("%-34s %9s %9s %9s   (ms of thread time per frame)\n", "", "mean", "worst",
                "first");
    report("queries, direct from the noise", direct);
    report("queries, through the tile cache", cached);
    report("MapView::draw, copies queued", drawn);
    report("MapView::draw + rasterising (software)", rasterised);
    std::printf("cache speed-up (mean): %.1fx; frames whose drawing differed: %ld\n",
                direct.mean() / cached.mean(), mismatches);

    return mismatches == 0 ? 0 : 1;
}
