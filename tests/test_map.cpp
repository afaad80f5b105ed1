#include <SDL_image.h>
#include <gtest/gtest.h>

#include <stb/stb_perlin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <set>
#include <vector>

#include "engine/graphics.h"
#include "game/view/map_view.h"
#include "game/world/map.h"
#include "tests/support/support.h"

namespace {

using test::find_tile;

using TileType = Map::TileType;

constexpr unsigned kSeed = 20240611;

float quotient(int64_t value, double divisor) {
    return static_cast<float>(static_cast<double>(value) / divisor);
}

// The generated kind and variant of a tile, straight from the noise library.
TileType reference_tile(const Map& map, GridPoint p) {
    const float z = static_cast<float>(map.noise_z);
    const float height = stb_perlin_turbulence_noise3(quotient(p.q, 60), 0, z, 2, 0.5f, 6);
    if (12 + static_cast<int>(12.0 * height) >= p.r) return TileType::Sky;
    const double depth = static_cast<double>(24 * p.r - 16);
    const float s = quotient(-p.q - p.r, 60);
    const float t = quotient(p.r, 60);
    const double ridge = stb_perlin_ridge_noise3(t, s, z, 4, 0.5f, 1, 4);
    if (std::min(0.65, depth / 25600 + 0.05) > ridge) return TileType::Rock;
    if (std::max(0.05, 0.25 - depth / 51200) > stb_perlin_turbulence_noise3(s, t, z, 4, 0.5f, 4)) {
        return TileType::Tunnel;
    }
    return std::min(0.8, 0.1 + depth / 10240) > ridge ? TileType::HardDirt : TileType::Dirt;
}

int reference_variant(const Map& map, GridPoint p) {
    const float n = stb_perlin_noise3(static_cast<float>(static_cast<double>(-p.q - p.r) * 37 / 11),
                                      static_cast<float>(static_cast<double>(p.r) * 41 / 7),
                                      static_cast<float>(map.noise_z), 0, 0, 0);
    return static_cast<int>(std::fabs(static_cast<double>(n) * 1000)) % 6;
}

}  // namespace

TEST(Map, NoiseSliceIsTheStandardUniformRealDraw) {
    for (unsigned seed : {0u, 1u, 5489u, kSeed, 0xffffffffu}) {
        std::mt19937 engine(seed);
        std::uniform_real_distribution<double> slice(0.0, 256.0);
        const Map map(seed);
        EXPECT_EQ(map.noise_z, slice(engine)) << "seed " << seed;
        EXPECT_GE(map.noise_z, 0.0);
        EXPECT_LT(map.noise_z, 256.0);
    }
}

TEST(Map, SkyFillsEveryColumnDownToItsSurface) {
    const Map map(kSeed);
    for (int64_t q = -400; q <= 400; q += 3) {
        int64_t r = -20;
        for (; r <= 12; ++r) ASSERT_EQ(map.get_tile({q, r}), TileType::Sky) << q << ", " << r;
        while (map.get_tile({q, r}) == TileType::Sky) ++r;
        // Turbulence stays below 2, so the surface never drops below row 12 + 24.
        EXPECT_LE(r, 37) << "column " << q;
        // Below the surface no tile is sky again.
        for (int64_t below = r; below < r + 40; ++below) {
            ASSERT_NE(map.get_tile({q, below}), TileType::Sky) << q << ", " << below;
        }
    }
}

TEST(Map, SameSeedGivesTheSameWorld) {
    const Map a(kSeed);
    const Map b(kSeed);
    const Map other(kSeed + 1);
    EXPECT_EQ(a.noise_z, b.noise_z);
    EXPECT_NE(a.noise_z, other.noise_z);
    int differences = 0;
    for (int64_t r = -10; r < 300; r += 2) {
        for (int64_t q = -300; q < 300; q += 3) {
            ASSERT_EQ(a.get_tile({q, r}), b.get_tile({q, r}));
            ASSERT_EQ(MapPlan::tile_frame(a, {q, r}), MapPlan::tile_frame(b, {q, r}));
            if (MapPlan::tile_frame(a, {q, r}) != MapPlan::tile_frame(other, {q, r})) ++differences;
        }
    }
    EXPECT_GT(differences, 1000);
}

TEST(Map, StrengthsAndOpennessPerKind) {
    EXPECT_EQ(Map::strength_of(TileType::Sky), 50);
    EXPECT_EQ(Map::strength_of(TileType::HardDirt), 500);
    EXPECT_EQ(Map::strength_of(TileType::Dirt), 300);
    EXPECT_EQ(Map::strength_of(TileType::Tunnel), 150);
    EXPECT_EQ(Map::strength_of(TileType::Rock), 9000);
    EXPECT_EQ(Map::strength_of(static_cast<TileType>(5)), 9000);
    EXPECT_EQ(Map::strength_of(static_cast<TileType>(-1)), 9000);

    const Map map(kSeed);
    const std::array<std::pair<TileType, bool>, 5> kinds{{{TileType::Sky, true},
                                                          {TileType::HardDirt, false},
                                                          {TileType::Dirt, false},
                                                          {TileType::Tunnel, true},
                                                          {TileType::Rock, false}}};
    for (auto [kind, open] : kinds) {
        const GridPoint p = kind == TileType::Sky ? GridPoint{0, 0} : find_tile(map, kind);
        EXPECT_EQ(map.strength(p), Map::strength_of(kind));
        EXPECT_EQ(map.open(p), open) << "kind " << static_cast<int>(kind);
    }
}

TEST(Map, OverrideReportsAnOpenTunnelWithTheSameLook) {
    Map map(kSeed);
    const GridPoint rock = find_tile(map, TileType::Rock);
    const int variant = MapPlan::tile_frame(map, rock) / 8;
    EXPECT_EQ(MapPlan::tile_frame(map, rock) % 8, static_cast<int>(TileType::Rock));

    map.tile_overrides[rock] = TileType::Tunnel;
    EXPECT_EQ(map.get_tile(rock), TileType::Tunnel);
    EXPECT_EQ(map.strength(rock), 150);
    EXPECT_TRUE(map.open(rock));
    EXPECT_EQ(MapPlan::tile_frame(map, rock), 3 + 8 * variant);
    // Even a sky tile listed as dug reports a tunnel.
    map.tile_overrides[{0, 0}] = TileType::Tunnel;
    EXPECT_EQ(map.get_tile({0, 0}), TileType::Tunnel);
}

TEST(Map, VariantDependsOnlyOnTheTile) {
    Map map(kSeed);
    map.noise_z = 17.25;
    const Map fixed = map;
    std::set<int> variants;
    for (int64_t r = 0; r < 120; r += 7) {
        for (int64_t q = -60; q < 60; q += 5) {
            const GridPoint p{q, r};
            const int sprite = MapPlan::tile_frame(map, p);
            EXPECT_EQ(sprite % 8, static_cast<int>(map.get_tile(p)));
            variants.insert(sprite / 8);
            map.tile_overrides[p] = TileType::Tunnel;
            EXPECT_EQ(MapPlan::tile_frame(map, p) / 8, sprite / 8);
            EXPECT_EQ(MapPlan::tile_frame(fixed, p) / 8, sprite / 8);
        }
    }
    EXPECT_EQ(variants, (std::set<int>{0, 1, 2, 3, 4, 5}));
}

TEST(Map, TilesFollowTheNoiseNearAndFar) {
    Map map(kSeed);
    // Near the start, and far enough out that the noise coordinates no longer hold fractions
    // (the variant from about 5 million tiles, the kinds from about a billion).
    const std::array<GridPoint, 4> corners{
        {{-40, 0}, {6'000'000, 20}, {-9'000'000, 40}, {1'200'000'000, 10}}};
    for (const GridPoint corner : corners) {
        for (int64_t r = corner.r; r < corner.r + 60; r += 3) {
            for (int64_t q = corner.q; q < corner.q + 60; q += 2) {
                const GridPoint p{q, r};
                const TileType kind = reference_tile(map, p);
                ASSERT_EQ(map.get_tile_direct(p), kind) << q << ", " << r;
                ASSERT_EQ(map.get_tile(p), kind) << q << ", " << r;
                if (corner.q > 100'000'000) continue;  // too far out for the library's variant
                const int sprite = static_cast<int>(kind) + 8 * reference_variant(map, p);
                ASSERT_EQ(MapPlan::tile_frame_direct(map, p), sprite) << q << ", " << r;
                ASSERT_EQ(MapPlan::tile_frame(map, p), sprite) << q << ", " << r;
            }
        }
    }
}

TEST(Map, FarAwayTilesKeepTheirVariety) {
    // Where the noise library would overflow its lattice, the world still varies instead of
    // turning into one kind and one look.
    const Map map(kSeed);
    for (const int64_t q0 : {int64_t{3'000'000'000}, int64_t{-700'000'000'000},
                             std::numeric_limits<int64_t>::max() - 500}) {
        std::set<int> kinds;
        std::set<int> variants;
        for (int64_t r = 13; r < 400; r += 5) {
            for (int64_t q = q0; q < q0 + 400; q += 7) {
                const int sprite = MapPlan::tile_frame(map, {q, r});
                kinds.insert(sprite % 8);
                variants.insert(sprite / 8);
            }
        }
        EXPECT_GE(kinds.size(), 2u) << "near column " << q0;
        EXPECT_EQ(variants.size(), 6u) << "near column " << q0;
    }
}

TEST(Map, KindsOccurInPlausibleProportions) {
    // Counts per band of depth: rock grows with depth, caves shrink, hard soil takes over.
    const Map map(kSeed);
    struct Band {
        int64_t top;
        int64_t bottom;
        std::array<int, 5> count{};
        int total = 0;
        double share(TileType kind) const {
            return static_cast<double>(count[static_cast<int>(kind)]) / total;
        }
    };
    std::array<Band, 3> bands{{{40, 90}, {300, 350}, {700, 750}}};
    for (Band& band : bands) {
        for (int64_t r = band.top; r < band.bottom; ++r) {
            for (int64_t q = -r / 2 - 200; q < -r / 2 + 200; q += 2) {
                ++band.count[static_cast<int>(map.get_tile({q, r}))];
                ++band.total;
            }
        }
        EXPECT_EQ(band.count[static_cast<int>(TileType::Sky)], 0);
    }
    const Band& shallow = bands[0];
    const Band& middle = bands[1];
    const Band& deep = bands[2];
    EXPECT_LT(shallow.share(TileType::Rock), middle.share(TileType::Rock));
    EXPECT_LT(middle.share(TileType::Rock), deep.share(TileType::Rock));
    EXPECT_GT(shallow.share(TileType::Tunnel), deep.share(TileType::Tunnel));
    EXPECT_GT(shallow.share(TileType::Dirt), deep.share(TileType::Dirt));
    EXPECT_GT(deep.share(TileType::HardDirt), deep.share(TileType::Dirt));
    EXPECT_GT(shallow.share(TileType::Dirt), 0.2);
    EXPECT_GT(deep.share(TileType::Rock), 0.05);
    EXPECT_LT(deep.share(TileType::Rock), 0.95);
}

TEST(MapDraw, SamplesTheCanvasEvery16Pixels) {
    const Map map(kSeed);
    MapView view;
    std::vector<MapPlan::TileDraw> draws;
    view.plan_draw(map, 1280, 720, 0, 0, draws);
    // From one step before the canvas to one step past it: x = -16 to 1296, y = -16 to 736.
    ASSERT_EQ(draws.size(), 83u * 48u);  // no food yet
    const GridPoint first = Point{-16, -16}.to_grid();
    const Point first_at = first.draw_point();
    EXPECT_EQ(draws.front(),
              (MapPlan::TileDraw{MapPlan::tile_frame(map, first), static_cast<int>(first_at.x),
                                 static_cast<int>(first_at.y)}));
    const GridPoint last = Point{1296, 736}.to_grid();
    const Point last_at = last.draw_point();
    EXPECT_EQ(draws.back(),
              (MapPlan::TileDraw{MapPlan::tile_frame(map, last), static_cast<int>(last_at.x),
                                 static_cast<int>(last_at.y)}));
    // The sample (16, 0), second of the canvas's own first row, falls in tile (1, 0).
    EXPECT_EQ(draws[83 + 2], (MapPlan::TileDraw{MapPlan::tile_frame(map, {1, 0}), 16, -16}));
}

TEST(MapDraw, FoodFollowsEachDrawOfItsTile) {
    Map map(kSeed);
    MapView view;
    const long x0 = -1000;
    const long y0 = 500;
    const GridPoint fed = Point{x0 + 100, y0 + 100}.to_grid();
    map.food[fed] = 2;
    std::vector<MapPlan::TileDraw> draws;
    view.plan_draw(map, 1280, 720, x0, y0, draws);
    const Point at = fed.draw_point();
    const MapPlan::TileDraw tile{MapPlan::tile_frame(map, fed), static_cast<int>(at.x - x0),
                                 static_cast<int>(at.y - y0)};
    int tile_draws = 0;
    for (size_t i = 0; i < draws.size(); ++i) {
        if (draws[i].frame == 21) {
            ASSERT_GT(i, 0u);
            EXPECT_EQ(draws[i - 1], tile);
            EXPECT_EQ(draws[i].x, tile.x);
            EXPECT_EQ(draws[i].y, tile.y);
        }
        if (draws[i] == tile) ++tile_draws;
    }
    EXPECT_GE(tile_draws, 2);
    EXPECT_LE(tile_draws, 4);
    EXPECT_EQ(draws.size(), 83u * 48u + tile_draws);
}

TEST(MapDraw, BlitsThePlannedFramesOnTheGraphicsCanvas) {
    auto graphics = test::make_graphics(64, 32);
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;
    graphics->blit_log_only = true;
    Map map(kSeed);
    MapView view;
    map.food[Point{176, 486}.to_grid()] = 3;
    view.draw(*graphics, map, 160, 470);

    std::vector<MapPlan::TileDraw> planned;
    view.plan_draw(map, 64, 32, 160, 470, planned);
    ASSERT_EQ(planned.size(), log.size());
    EXPECT_GE(log.size(), 5u * 3u + 1u);
    for (size_t i = 0; i < log.size(); ++i) {
        const SDL_Rect source = view.sprites.frame_rect(planned[i].frame);
        EXPECT_EQ(log[i].image, "tiles.png");
        EXPECT_EQ(log[i].source.x, source.x);
        EXPECT_EQ(log[i].source.y, source.y);
        EXPECT_EQ(log[i].destination.x, planned[i].x);
        EXPECT_EQ(log[i].destination.y, planned[i].y);
        EXPECT_EQ(log[i].destination.w, 32);
        EXPECT_EQ(log[i].destination.h, 32);
    }
    const SDL_Rect food_frame = view.sprites.frame_rect(3 * 8 + 5);
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const Graphics::BlitRecord& b) {
        return b.source.x == food_frame.x && b.source.y == food_frame.y;
    }));
}

TEST(MapDraw, PaintsTheSameCanvasAsItsPlanDrawnOneSpriteAtATime) {
    auto graphics = test::make_graphics(200, 120);
    Map map(kSeed);
    MapView view;
    const long x_offset = 150;
    const long y_offset = 380;  // across the surface: sky, soil and a dug tile
    map.food[Point{190, 420}.to_grid()] = 2;
    map.tile_overrides[Point{250, 450}.to_grid()] = TileType::Tunnel;

    graphics->clear();
    view.draw(*graphics, map, x_offset, y_offset);
    const std::vector<uint32_t> drawn = test::read_canvas(*graphics);

    graphics->clear();
    std::vector<MapPlan::TileDraw> planned;
    view.plan_draw(map, 200, 120, x_offset, y_offset, planned);
    for (const MapPlan::TileDraw& d : planned) view.sprites.draw(*graphics, d.frame, d.x, d.y);
    const std::vector<uint32_t> expected = test::read_canvas(*graphics);

    ASSERT_NE(graphics->load_image("tiles.png"), nullptr) << "run from the repository root";
    EXPECT_EQ(drawn, expected);
    EXPECT_GT(std::count(drawn.begin(), drawn.end(), drawn.front()), 0);
    EXPECT_NE(std::count(drawn.begin(), drawn.end(), drawn.front()),
              static_cast<long>(drawn.size()))
        << "nothing was drawn";
}

TEST(MapDraw, ASheetWithoutColumnsDrawsNothing) {
    auto graphics = test::make_graphics(64, 32);
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;
    Map map(kSeed);
    MapView view;
    view.sprites.columns = 0;
    view.draw(*graphics, map, 160, 470);
    EXPECT_TRUE(log.empty());
}

TEST(MapCache, AgreesWithTheNoiseOverALargeRegion) {
    Map map(kSeed);
    const Map reference(kSeed);
    // The second sweep runs the columns the other way round, so slots are refilled over again.
    for (int sweep = 0; sweep < 2; ++sweep) {
        for (int64_t r = -40; r < 300; r += 1 + sweep) {
            for (int64_t q = -r / 2 - 150; q < -r / 2 + 150; q += 1 + sweep) {
                const GridPoint p{sweep == 0 ? q : -q, r};
                const int expected = MapPlan::tile_frame_direct(reference, p);
                ASSERT_EQ(map.get_tile(p), static_cast<TileType>(expected % 8)) << q << ", " << r;
                ASSERT_EQ(MapPlan::tile_frame(map, p), expected) << q << ", " << r;
            }
        }
    }
}

TEST(MapCache, DrawsMatchTheDirectEvaluationAlongACameraPath) {
    Map map(kSeed);
    MapView view;
    std::mt19937 path(3);
    long x = -3000;
    long y = -200;
    std::vector<MapPlan::TileDraw> cached;
    std::vector<MapPlan::TileDraw> direct;
    for (int frame = 0; frame < 40; ++frame) {
        // Mostly small steps, sometimes a jump; digging and food change under the camera.
        x += static_cast<long>(path() % 15) - 5;
        y += static_cast<long>(path() % 9) - 2;
        if (frame % 20 == 19) x += 5000, y += 700;
        const GridPoint near = Point{x + 640, y + 360}.to_grid();
        map.tile_overrides.try_emplace(near, Map::TileType::Tunnel);
        map.food[near.apply(Direction::E)] = frame % 4;
        if (frame % 3 == 0) map.eat_food(near.apply(Direction::E));
        if (frame % 7 == 0) map.get_tile({near.q + 64, near.r + 32});  // evicts a visible slot

        cached.clear();
        direct.clear();
        view.plan_draw(map, 1280, 720, x, y, cached);
        view.plan_draw_direct(map, 1280, 720, x, y, direct);
        ASSERT_EQ(cached, direct) << "frame " << frame << " at " << x << ", " << y;
    }
}

TEST(MapCache, DrawsMatchTheDirectEvaluationWithMoreDugTilesAndFoodThanTheViewHolds) {
    Map map(kSeed);
    MapView view;
    // A dug and stocked block wider than the view, so that drawing looks tiles up one by one
    // instead of sweeping over the maps.
    for (int64_t r = -10; r < 60; ++r) {
        for (int64_t q = -60; q < 60; ++q) {
            if ((q + r) % 3 != 0) map.tile_overrides.try_emplace(GridPoint{q, r}, TileType::Tunnel);
            if ((q * 7 + r) % 2 == 0) map.food[GridPoint{q, r}] = static_cast<int>((q + 99) % 4);
        }
    }
    ASSERT_GT(map.tile_overrides.size(), 2000u);
    ASSERT_GT(map.food.size(), 2000u);
    std::vector<MapPlan::TileDraw> cached;
    std::vector<MapPlan::TileDraw> direct;
    for (const auto& [x, y] : {std::pair<long, long>{-700, -100}, {-690, -95}, {-200, 300}}) {
        cached.clear();
        direct.clear();
        view.plan_draw(map, 1280, 720, x, y, cached);
        view.plan_draw_direct(map, 1280, 720, x, y, direct);
        ASSERT_EQ(cached, direct) << x << ", " << y;
    }
}

TEST(MapCache, DrawsACanvasWiderThanTheCacheLikeTheNoise) {
    Map map(kSeed);
    MapView view;
    map.tile_overrides.try_emplace(GridPoint{10, 5}, TileType::Tunnel);
    map.food[GridPoint{11, 5}] = 2;
    std::vector<MapPlan::TileDraw> cached;
    std::vector<MapPlan::TileDraw> direct;
    view.plan_draw(map, 5000, 2400, -100, -100, cached);
    view.plan_draw_direct(map, 5000, 2400, -100, -100, direct);
    EXPECT_EQ(cached, direct);
    // And the game's own canvas right after, from a cache the wide one has overwritten.
    cached.clear();
    direct.clear();
    view.plan_draw(map, 1280, 720, 0, 0, cached);
    view.plan_draw_direct(map, 1280, 720, 0, 0, direct);
    EXPECT_EQ(cached, direct);
}

TEST(MapCache, FollowsANewNoiseSlice) {
    Map map(kSeed);
    const Map other(kSeed + 9);
    MapPlan::tile_frame(map, {5, 30});
    map.noise_z = other.noise_z;
    for (int64_t r = 0; r < 60; ++r) {
        EXPECT_EQ(MapPlan::tile_frame(map, {5, r}), MapPlan::tile_frame_direct(other, {5, r})) << r;
    }
}

TEST(MapCache, AgreesWithTheNoiseAtTheEndsOfTheGrid) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    Map map(kSeed);
    MapView view;
    for (const GridPoint corner : {GridPoint{kMax, kMax}, GridPoint{kMin, kMin},
                                   GridPoint{kMax, kMin}, GridPoint{kMin, kMax}}) {
        // A patch around the corner, wrapping round the ends as the grid does.
        GridPoint row_start = corner.apply(Direction::NW).apply(Direction::W);
        for (int j = 0; j < 4; ++j, row_start = row_start.apply(Direction::SE)) {
            GridPoint p = row_start;
            for (int i = 0; i < 4; ++i, p = p.apply(Direction::E)) {
                ASSERT_EQ(MapPlan::tile_frame(map, p), MapPlan::tile_frame_direct(map, p))
                    << p.q << ", " << p.r;
                map.tile_overrides.try_emplace(p, TileType::Tunnel);
                map.food[p] = i % 4;
                ASSERT_EQ(MapPlan::tile_frame(map, p), MapPlan::tile_frame_direct(map, p))
                    << p.q << ", " << p.r;
            }
        }
    }
    for (const auto& [x, y] : {std::pair<long, long>{kMax - 100, kMax - 100},
                               {kMin + 50, kMin},
                               {kMax, kMin},
                               {kMin, kMax}}) {
        std::vector<MapPlan::TileDraw> cached;
        std::vector<MapPlan::TileDraw> direct;
        view.plan_draw(map, 1280, 720, x, y, cached);
        view.plan_draw_direct(map, 1280, 720, x, y, direct);
        ASSERT_EQ(cached, direct) << x << ", " << y;
        EXPECT_GE(cached.size(), 83u * 48u);
    }
}

// Clears a canvas to a colour no tile uses, draws the map, and returns how many pixels are still
// that colour.
int uncovered_pixels(Graphics& graphics, const MapView& view, const Map& map, long x, long y,
                     uint32_t background) {
    graphics.clear(background);
    view.draw(graphics, map, x, y);
    const std::vector<uint32_t> pixels = test::read_canvas(graphics);
    return static_cast<int>(std::count(pixels.begin(), pixels.end(), background));
}

TEST(MapDraw, EveryCanvasPixelIsCoveredWhereverTheCameraIs) {
    constexpr uint32_t kMagenta = 0xFF00FFFF;
    // The tile lattice repeats every 32 pixels across and 48 down, the samples every 16, so a
    // canvas whose size matches the game's modulo those draws the same edges as the game's.
    static_assert(1280 % 32 == 0 && 720 % 48 == 0);
    auto small = test::make_graphics(96, 48);
    ASSERT_NE(small->load_image("tiles.png"), nullptr) << "run from the repository root";
    {
        SDL_Surface* sheet = IMG_Load("content/tiles.png");
        ASSERT_NE(sheet, nullptr);
        SDL_Surface* rgba = SDL_ConvertSurfaceFormat(sheet, SDL_PIXELFORMAT_RGBA8888, 0);
        const auto* texels = static_cast<const uint32_t*>(rgba->pixels);
        for (int i = 0; i < rgba->w * rgba->h; ++i) {
            ASSERT_NE(texels[i] | 0xFF, kMagenta) << "the sheet uses the background colour";
        }
        SDL_FreeSurface(rgba);
        SDL_FreeSurface(sheet);
    }
    Map map(kSeed);
    MapView view;
    std::mt19937 rng(11);
    std::uniform_int_distribution<long> offset(-5000, 5000);
    int failures = 0;
    // Sprite by sprite; then through chunks, which start from the tiles that touch each chunk.
    for (const bool chunked : {false, true}) {
        view.chunked = chunked;
        for (int i = 0; i < (chunked ? 300 : 10'000) && failures < 5; ++i) {
            const long x = offset(rng);
            const long y = offset(rng);
            const int left = uncovered_pixels(*small, view, map, x, y, kMagenta);
            if (left != 0) ++failures;
            EXPECT_EQ(left, 0) << "camera at " << x << ", " << y << (chunked ? ", chunked" : "");
        }
    }
    view.chunked = false;
    auto full = test::make_graphics(1280, 720);
    for (const auto& [x, y] : {std::pair<long, long>{0, 0}, {-9, 23}, {517, 1202}}) {
        EXPECT_EQ(uncovered_pixels(*full, view, map, x, y, kMagenta), 0)
            << "camera at " << x << ", " << y;
    }
}
