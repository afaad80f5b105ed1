#include "game/view/map_chunks.h"

#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/graphics.h"
#include "engine/input.h"
#include "game/screens/game_screen.h"
#include "game/view/map_view.h"
#include "game/world/map.h"
#include "tests/support/support.h"
#include "tools/pilot.h"

namespace {

constexpr unsigned kSeed = 20240611;
constexpr int kChunk = MapChunks::kChunkWidth;

// The canvas after `draw`, on a canvas first cleared to black as every frame is.
std::vector<uint32_t> drawn(Graphics& graphics, const std::function<void()>& draw) {
    graphics.clear();
    draw();
    return test::read_canvas(graphics);
}

// Where two canvases first differ, for the failure message; empty when they agree.
std::string first_difference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
                             int width) {
    if (a.size() != b.size()) return "sizes differ";
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            char text[96];
            std::snprintf(text, sizeof text, "pixel (%d, %d): %08x directly, %08x from chunks",
                          static_cast<int>(i % width), static_cast<int>(i / width), a[i], b[i]);
            return text;
        }
    }
    return "";
}

void expect_same_as_direct(Graphics& graphics, const MapView& view, const Map& map, long x, long y,
                           const std::string& where) {
    const std::vector<uint32_t> direct =
        drawn(graphics, [&] { view.draw_direct(graphics, map, x, y); });
    const std::vector<uint32_t> chunked = drawn(graphics, [&] { view.draw(graphics, map, x, y); });
    EXPECT_TRUE(view.chunk_cache().last.used) << where;
    EXPECT_EQ(first_difference(direct, chunked, graphics.config.width), "") << where;
}

class MapChunksTest : public ::testing::Test {
protected:
    void SetUp() override {
        SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS);
        graphics = test::make_graphics(1280, 720);
        ASSERT_TRUE(graphics->ok()) << graphics->error;
        ASSERT_NE(graphics->load_image("tiles.png"), nullptr) << "run from the repository root";
    }

    std::unique_ptr<Graphics> graphics;
};

// Two copies of one seeded game, fed the same inputs: one draws its map sprite by sprite, the
// other from chunks. Every compared frame must read back the same.
class LockstepGames {
public:
    explicit LockstepGames(unsigned int seed)
        : direct(seed), chunked(seed), pilot(sim::Policy::Autopilot, 3) {
        direct.map_view.chunked = false;
    }

    // One frame of both; false when the game asked to be replaced.
    bool step(Input::Button forced, unsigned int ms) {
        input.pressed_buttons.clear();
        input.held_buttons.clear();
        input.press(forced != Input::Button::None
                        ? forced
                        : static_cast<Input::Button>(pilot.choose(direct.world)));
        const bool a = direct.update(input, audio, ms);
        const bool b = chunked.update(input, audio, ms);
        EXPECT_EQ(a, b);
        return a && b;
    }

    GameScreen direct;
    GameScreen chunked;
    sim::Pilot pilot;
    Input input;
    Audio audio{Audio::Config{}};
};

TEST_F(MapChunksTest, APlayedPathLooksTheSameAsDrawingSpriteBySprite) {
    using Button = Input::Button;
    using State = World::State;
    LockstepGames games(2026);
    int compared = 0;
    int centipede_frames = 0;
    int shaken_frames = 0;
    int paused_frames = 0;
    int results_frames = 0;
    bool food_appeared = false;
    bool food_went = false;
    // One frame of both games, drawn both ways and read back.
    const auto play_and_compare = [&](Button forced, unsigned int ms) {
        const GameScreen& screen = games.direct;
        const size_t food_before = screen.world.map.food.size();
        if (!games.step(forced, ms)) return false;
        food_appeared |= screen.world.map.food.size() > food_before;
        food_went |= screen.world.map.food.size() < food_before;
        centipede_frames += screen.world.centipedes.empty() ? 0 : 1;
        shaken_frames += screen.world.camera.shake_amount > 0.0 ? 1 : 0;
        paused_frames += screen.world.state == State::Paused ? 1 : 0;
        results_frames += screen.world.state == State::GameOver &&
                          screen.world.fader.elapsed >= screen.world.fader.duration;
        const std::vector<uint32_t> direct =
            drawn(*graphics, [&] { games.direct.draw(*graphics); });
        const std::vector<uint32_t> chunked =
            drawn(*graphics, [&] { games.chunked.draw(*graphics); });
        EXPECT_TRUE(games.chunked.map_view.chunk_cache().last.used) << "frame " << compared;
        const std::string difference = first_difference(direct, chunked, 1280);
        EXPECT_EQ(difference, "") << "frame " << compared;
        ++compared;
        return difference.empty();
    };

    // The start of a game, where food is placed and eaten in the soft soil near the surface.
    for (int frame = 0; frame < 300; ++frame) {
        ASSERT_TRUE(play_and_compare(Button::None, 40));
    }
    EXPECT_TRUE(food_appeared);
    EXPECT_TRUE(food_went);
    // Further down, unseen, to just before the first centipede comes; then centipedes tunnel
    // and shake the view, a pause, and the worm starves: the fade and the results.
    const size_t dug_before = games.direct.world.map.tile_overrides.size();
    for (int frame = 0; frame < 200'000; ++frame) {
        const GameScreen& screen = games.direct;
        if (screen.world.max_depth >= 1.0 && screen.world.spawn_timer < 2000) break;
        ASSERT_TRUE(games.step(Button::None, 16));
    }
    for (int frame = 0; frame < 400 && results_frames < 15; ++frame) {
        Button forced = Button::None;
        if (frame == 180 || frame == 200) forced = Button::Start;  // pause, then play on
        if (frame == 230) {
            games.direct.world.player.length = 1.0;
            games.chunked.world.player.length = 1.0;
        }
        ASSERT_TRUE(play_and_compare(forced, 33));
    }
    EXPECT_GT(games.direct.world.map.tile_overrides.size(), dug_before + 20) << "little was dug";
    EXPECT_GT(centipede_frames, 100);
    EXPECT_GT(shaken_frames, 10);
    EXPECT_GE(paused_frames, 10);
    EXPECT_GE(results_frames, 15);
    EXPECT_GT(compared, 550);
}

TEST_F(MapChunksTest, ChangesShowAtOnceHoweverTheyAreMade) {
    Map map(kSeed);
    MapView view;
    const long x = -300;
    const long y = 200;
    expect_same_as_direct(*graphics, view, map, x, y, "first frame");
    // Digging, food placed and eaten, tiles changed behind dig's back, another noise slice.
    for (int64_t q = -10; q < 30; ++q)
        map.dig(Point{x + 600, y + 300}.to_grid().apply(Direction::E));
    GridPoint p = Point{x + 400, y + 400}.to_grid();
    for (int i = 0; i < 30; ++i, p = p.apply(i % 2 == 0 ? Direction::E : Direction::SE)) {
        map.dig(p);
        map.food[p.apply(Direction::W)] = i % 4;
    }
    expect_same_as_direct(*graphics, view, map, x, y, "after digging and food");
    map.eat_food(p.apply(Direction::W));
    map.food.erase(map.food.begin());
    for (int64_t q = 0; q < 90; ++q) map.dig({q - 40, 30});  // more than the log holds
    expect_same_as_direct(*graphics, view, map, x, y, "after many digs");
    map.tile_overrides[Point{x + 700, y + 100}.to_grid()] = Map::TileType::Tunnel;
    expect_same_as_direct(*graphics, view, map, x, y, "after an override written directly");
    map.noise_z = 99.5;
    expect_same_as_direct(*graphics, view, map, x, y, "after another noise slice");
    // A copy of the view keeps no chunks of its own yet draws the same.
    const MapView copy = view;
    EXPECT_EQ(copy.chunk_cache().chunk_count(), 0u);
    expect_same_as_direct(*graphics, copy, map, x + 5, y - 7, "a copy");
}

TEST_F(MapChunksTest, AStillFrameComposesChunksAndDrawsNoTiles) {
    Map map(kSeed);
    MapView view;
    map.food[Point{100, 500}.to_grid()] = 1;
    for (int i = 0; i < 200; ++i) view.draw(*graphics, map, 10, 380);  // neighbours drawn meanwhile
    const MapChunks::Stats& last = view.chunk_cache().last;
    EXPECT_TRUE(last.used);
    EXPECT_EQ(last.tiles, 0);
    EXPECT_EQ(last.started, 0);
    EXPECT_EQ(last.composed, 6 * 4);  // 1280 by 720 from (10, 380) meets 6 columns, 4 rows
    EXPECT_EQ(last.food, 1);
}

TEST_F(MapChunksTest, RedrawsEveryChunkAfterTheRendererLosesItsTargets) {
    Input input;
    for (const Uint32 type : {SDL_RENDER_TARGETS_RESET, SDL_RENDER_DEVICE_RESET}) {
        Map map(kSeed);
        MapView view;
        view.draw(*graphics, map, 0, 300);
        view.draw(*graphics, map, 0, 300);
        EXPECT_EQ(view.chunk_cache().last.started, 0);
        SDL_Event event{};
        event.type = type;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        EXPECT_TRUE(input.process());
        expect_same_as_direct(*graphics, view, map, 0, 300, "after the reset");
        view.draw(*graphics, map, 0, 300);
        EXPECT_EQ(view.chunk_cache().last.started, 0);
        // The draw in expect_same_as_direct began every visible chunk again.
        graphics->clear();
        EXPECT_GE(view.chunk_cache().chunk_count(), 15u);
    }
}

TEST_F(MapChunksTest, KeepsToItsMemoryCapDroppingTheLeastRecentlyUsedChunk) {
    auto small = test::make_graphics(kChunk, kChunk);
    Map map(kSeed);
    MapView view;
    constexpr size_t kCap = 6;
    view.chunk_cache().memory_cap = kCap * MapChunks::kChunkBytes;
    // Chunk-aligned views of one chunk each, far apart, visited in turn.
    for (int64_t cx = 0; cx < 12; ++cx) {
        view.draw(*small, map, static_cast<long>(cx * 10 * kChunk), 2 * kChunk);
        ASSERT_TRUE(view.chunk_cache().last.used) << cx;
        EXPECT_LE(view.chunk_cache().chunk_count(), kCap);
        EXPECT_TRUE(view.chunk_cache().has_chunk(cx * 10, 2));
    }
    EXPECT_FALSE(view.chunk_cache().has_chunk(0, 2)) << "the oldest chunk should have gone";
    // Back to the first view: drawn again, and right.
    expect_same_as_direct(*small, view, map, 0, 2 * kChunk, "back at the start");
    EXPECT_TRUE(view.chunk_cache().has_chunk(110, 2)) << "the latest chunk should have stayed";
    // A canvas that needs more chunks than the cap allows is drawn directly.
    view.draw(*graphics, map, 0, 0);
    EXPECT_FALSE(view.chunk_cache().last.used);
}

// A copy of the shipped sheet changed by `change`, saved as content/tiles.png of the test's
// temporary working directory.
void write_sheet(const std::filesystem::path& shipped,
                 const std::function<void(uint32_t*, int)>& change) {
    SDL_Surface* loaded = IMG_Load(shipped.c_str());
    ASSERT_NE(loaded, nullptr);
    SDL_Surface* sheet = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA8888, 0);
    SDL_FreeSurface(loaded);
    change(static_cast<uint32_t*>(sheet->pixels), sheet->pitch / 4);
    ASSERT_EQ(IMG_SavePNG(sheet, "content/tiles.png"), 0);
    SDL_FreeSurface(sheet);
}

TEST_F(MapChunksTest, DrawsDirectlyWhereTheArtOrTheRendererCannotGiveTheSamePixels) {
    const std::filesystem::path shipped = std::filesystem::current_path() / "content/tiles.png";
    struct Case {
        const char* what;
        std::function<void(uint32_t*, int)> change;
        bool chunked;
    };
    const std::vector<Case> cases = {
        {"the shipped art", [](uint32_t*, int) {}, true},
        // A tile pixel half covered.
        {"soft tile edge", [](uint32_t* p, int pitch) { p[16 * pitch + 40] = 0x80808080; }, false},
        // One tile a full square: it overlaps its neighbours.
        {"square tile",
         [](uint32_t* p, int pitch) {
             for (int y = 64; y < 96; ++y) {
                 for (int x = 32; x < 64; ++x) p[y * pitch + x] |= 0xFF;
             }
         },
         false},
        // All tiles alike but bigger than their cell.
        {"overlapping hexagons",
         [](uint32_t* p, int pitch) {
             for (int y = 0; y < 192; ++y) {
                 for (int x = 0; x < 160; ++x) {
                     if (y % 32 == 7 && (x % 32 == 0 || x % 32 == 31)) p[y * pitch + x] |= 0xFF;
                 }
             }
         },
         false},
        // Food reaching out of its tile's hexagon.
        {"food outside its tile", [](uint32_t* p, int pitch) { p[32 * pitch + 160] = 0x00FF00FF; },
         false},
    };
    for (const Case& c : cases) {
        test::TempContentDir content;
        write_sheet(shipped, c.change);
        auto g = test::make_graphics(320, 200);
        Map map(kSeed);
        MapView view;
        map.food[Point{100, 480}.to_grid()] = 2;
        view.draw(*g, map, 40, 400);
        EXPECT_EQ(view.chunk_cache().last.used, c.chunked) << c.what;
        const auto direct = drawn(*g, [&] { view.draw_direct(*g, map, 40, 400); });
        EXPECT_EQ(first_difference(direct, drawn(*g, [&] { view.draw(*g, map, 40, 400); }), 320),
                  "")
            << c.what;
    }
    // A renderer without target textures.
    Map map(kSeed);
    MapView view;
    graphics->targets_allowed = false;
    const auto direct = drawn(*graphics, [&] { view.draw_direct(*graphics, map, 40, 400); });
    EXPECT_EQ(first_difference(direct,
                               drawn(*graphics, [&] { view.draw(*graphics, map, 40, 400); }), 1280),
              "");
    EXPECT_FALSE(view.chunk_cache().last.used);
    EXPECT_EQ(view.chunk_cache().chunk_count(), 0u);
}

}  // namespace
