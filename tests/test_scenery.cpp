#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "engine/backdrop.h"
#include "engine/graphics.h"
#include "engine/menu.h"
#include "engine/parallax_backdrop.h"
#include "engine/particle.h"
#include "engine/rect.h"
#include "tests/support/support.h"

namespace {

constexpr uint32_t kBlack = 0x000000FF;

// Saves content/<name> of w × h, painted with the given (rectangle, 0xRRGGBBAA) pairs in order.
void save_image(const test::TempContentDir& dir, const std::string& name, int w, int h,
                const std::vector<std::pair<SDL_Rect, uint32_t>>& fills) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA8888);
    ASSERT_NE(surface, nullptr);
    for (const auto& [rect, color] : fills) SDL_FillRect(surface, &rect, color);
    ASSERT_EQ(IMG_SavePNG(surface, (dir.content() / name).c_str()), 0) << SDL_GetError();
    SDL_FreeSurface(surface);
}

TEST(Backdrop, StretchesTheWholeImageOverTheCanvas) {
    test::TempContentDir dir;
    save_image(dir, "quarters.png", 2, 2,
               {{{0, 0, 1, 1}, 0xFF0000FF},
                {{1, 0, 1, 1}, 0x00FF00FF},
                {{0, 1, 1, 1}, 0x0000FFFF},
                {{1, 1, 1, 1}, 0xFFFFFFFF}});
    auto graphics = test::make_graphics(64, 48);
    ASSERT_TRUE(graphics->ok()) << graphics->error;
    graphics->clear();
    Backdrop("quarters.png").draw(*graphics);
    EXPECT_EQ(test::read_pixel(*graphics, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(test::read_pixel(*graphics, 31, 23), 0xFF0000FFu);
    EXPECT_EQ(test::read_pixel(*graphics, 32, 0), 0x00FF00FFu);
    EXPECT_EQ(test::read_pixel(*graphics, 0, 24), 0x0000FFFFu);
    EXPECT_EQ(test::read_pixel(*graphics, 63, 47), 0xFFFFFFFFu);
}

class ParallaxTest : public ::testing::Test {
protected:
    static constexpr uint32_t kEdge = 0xFF0000FF;   // a tile's first column
    static constexpr uint32_t kTile = 0x00FF00FF;   // the rest of the tile region
    static constexpr uint32_t kOther = 0x0000FFFF;  // the image outside the tile region

    void SetUp() override {
        save_image(dir, "hills.png", 400, 40,
                   {{{0, 0, 400, 40}, kOther}, {{0, 0, 320, 32}, kTile}, {{0, 0, 1, 32}, kEdge}});
        graphics = test::make_graphics(400, 100);
        ASSERT_TRUE(graphics->ok()) << graphics->error;
        graphics->clear();
    }

    // Left edges of the tiles one draw issues.
    std::vector<int> tile_lefts(const ParallaxBackdrop& backdrop, double x) {
        std::vector<Graphics::BlitRecord> log;
        graphics->blit_log = &log;
        graphics->blit_log_only = true;
        backdrop.draw(*graphics, x, 0);
        graphics->blit_log = nullptr;
        graphics->blit_log_only = false;
        std::vector<int> lefts;
        for (const auto& record : log) lefts.push_back(record.destination.x);
        return lefts;
    }

    test::TempContentDir dir;
    std::unique_ptr<Graphics> graphics;
};

TEST_F(ParallaxTest, ScrollRightMovesTheRowLeftByTheFactor) {
    ParallaxBackdrop("hills.png", 320, 32, 2.0).draw(*graphics, 100, 0);
    // Tiles at -50 and 270: the first one's last column, then the second one's first.
    EXPECT_EQ(test::read_pixel(*graphics, 0, 0), kTile);
    EXPECT_EQ(test::read_pixel(*graphics, 269, 31), kTile);
    EXPECT_EQ(test::read_pixel(*graphics, 270, 0), kEdge);
    EXPECT_EQ(test::read_pixel(*graphics, 399, 31), kTile);
    EXPECT_EQ(test::read_pixel(*graphics, 0, 32), kBlack);  // one tile high
}

TEST_F(ParallaxTest, ScrollLeftLeavesTheLeftColumnsUncovered) {
    // The vertical scroll is ignored: the row stays at the top.
    ParallaxBackdrop("hills.png", 320, 32, 2.0).draw(*graphics, -100, 500);
    EXPECT_EQ(test::read_pixel(*graphics, 49, 0), kBlack);
    EXPECT_EQ(test::read_pixel(*graphics, 50, 0), kEdge);
    EXPECT_EQ(test::read_pixel(*graphics, 369, 31), kTile);
    EXPECT_EQ(test::read_pixel(*graphics, 370, 0), kEdge);
    EXPECT_EQ(test::read_pixel(*graphics, 399, 32), kBlack);
}

TEST_F(ParallaxTest, FirstTileTruncatesTowardZero) {
    const ParallaxBackdrop backdrop("hills.png", 320, 32, 2.0);
    EXPECT_EQ(tile_lefts(backdrop, 101), (std::vector<int>{-50, 270}));
    EXPECT_EQ(tile_lefts(backdrop, -101), (std::vector<int>{50, 370}));
    EXPECT_EQ(tile_lefts(backdrop, -160), (std::vector<int>{80}));  // 400 is off the canvas
    EXPECT_EQ(tile_lefts(backdrop, -800), (std::vector<int>{}));
}

TEST_F(ParallaxTest, FarScrollIssuesOnlyTheTilesItNeeds) {
    const ParallaxBackdrop backdrop("hills.png", 320, 32, 1.0);
    // -1e12 is -3125000000 tiles exactly; one more pixel shifts the row by one.
    EXPECT_EQ(tile_lefts(backdrop, 1e12), (std::vector<int>{0, 320}));
    EXPECT_EQ(tile_lefts(backdrop, 1e12 + 1), (std::vector<int>{-1, 319}));
    EXPECT_EQ(tile_lefts(backdrop, 1000), (std::vector<int>{-40, 280}));
}

TEST_F(ParallaxTest, DegenerateTileOrFactorDrawsNothing) {
    EXPECT_TRUE(tile_lefts(ParallaxBackdrop("hills.png", 0, 32, 2.0), 100).empty());
    EXPECT_TRUE(tile_lefts(ParallaxBackdrop("hills.png", -5, 32, 2.0), 100).empty());
    EXPECT_TRUE(tile_lefts(ParallaxBackdrop("hills.png", 320, 32, 0.0), 100).empty());
    EXPECT_TRUE(tile_lefts(ParallaxBackdrop("hills.png", 320, 32, 0.0), 0).empty());
}

TEST(Particle, FallsUnderGravityWithTheVelocityFromBeforeTheStep) {
    Particle p(10.0f, 20.0f, 0.5f, 0.0f, 0.0625f, 0xFFFFFF00, 1000);
    p.update(16);
    EXPECT_FLOAT_EQ(p.x, 18.0f);
    EXPECT_FLOAT_EQ(p.y, 20.0f);
    EXPECT_FLOAT_EQ(p.vy, 1.0f);
    p.update(16);
    EXPECT_FLOAT_EQ(p.x, 26.0f);
    EXPECT_FLOAT_EQ(p.y, 36.0f);
    EXPECT_FLOAT_EQ(p.vx, 0.5f);
    EXPECT_EQ(p.age, 32u);
}

TEST(Particle, FadesLinearlyOverItsLifetime) {
    Particle p(0, 0, 0, 0, 0, 0, 1000);
    EXPECT_EQ(p.alpha(), 255);
    p.update(500);
    EXPECT_EQ(p.alpha(), 127);
    p.update(499);
    EXPECT_EQ(p.alpha(), 0);  // 0.255 truncates
    p.update(1);
    EXPECT_EQ(p.alpha(), 0);
}

TEST(Particle, SpentOrLifelessParticleIsTransparent) {
    Particle old(0, 0, 0, 0, 0, 0, 1000);
    old.update(1500);
    EXPECT_EQ(old.alpha(), 0);
    old.age = 0x80000000u;  // negative if read as a signed count
    EXPECT_EQ(old.alpha(), 0);
    EXPECT_EQ(Particle(0, 0, 0, 0, 0, 0, 0).alpha(), 0);
    EXPECT_EQ(Particle(0, 0, 0, 0, 0, 0, -100).alpha(), 0);

    // Ageing stops at the top instead of wrapping round to a young particle.
    Particle forgotten(0, 0, 0, 0, 0, 0, 1000);
    forgotten.update(std::numeric_limits<unsigned int>::max());
    forgotten.update(std::numeric_limits<unsigned int>::max());
    EXPECT_EQ(forgotten.age, std::numeric_limits<uint32_t>::max());
    EXPECT_EQ(forgotten.alpha(), 0);
}

TEST(Particle, DrawsOnePixelAtItsTruncatedPosition) {
    auto graphics = test::make_graphics(64, 48);
    ASSERT_TRUE(graphics->ok()) << graphics->error;
    graphics->clear(0x808080FF);
    // The colour's own alpha byte is ignored; a new particle is opaque.
    Particle(10.9f, 20.7f, 0, 0, 0, 0x3366CC00, 1000).draw(*graphics);
    EXPECT_EQ(test::read_pixel(*graphics, 10, 20), 0x3366CCFFu);
    EXPECT_EQ(test::read_pixel(*graphics, 11, 20), 0x808080FFu);
    EXPECT_EQ(test::read_pixel(*graphics, 10, 21), 0x808080FFu);

    // Toward zero, not down: -0.5 lands on column 0.
    Particle(-0.5f, 5.0f, 0, 0, 0, 0xFF0000FF, 1000).draw(*graphics);
    EXPECT_EQ(test::read_pixel(*graphics, 0, 5), 0xFF0000FFu);

    Particle spent(30.0f, 30.0f, 0, 0, 0, 0xFFFFFFFF, 100);
    spent.update(200);
    spent.draw(*graphics);
    EXPECT_EQ(test::read_pixel(*graphics, 30, 30), 0x808080FFu);

    Particle lost(1e30f, 5.0f, 0, 0, 0, 0xFFFFFFFF, 100);
    lost.draw(*graphics);  // far off the canvas: nothing, and no undefined conversion
}

TEST(Rect, ConstructorTakesLeftTopRightBottom) {
    const Rect r(10, 20, 30, 40);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 30);
    EXPECT_EQ(r.bottom, 40);
    const Rect zero;
    EXPECT_EQ(zero.left + zero.top + zero.right + zero.bottom, 0);
}

TEST(Rect, ContainsItsEdgesAndCorners) {
    const Rect r(10, 20, 30, 40);
    EXPECT_TRUE(r.contains(10, 20));
    EXPECT_TRUE(r.contains(30, 40));
    EXPECT_TRUE(r.contains(10, 40));
    EXPECT_TRUE(r.contains(20, 30));
    EXPECT_TRUE(r.contains(30, 25));
    EXPECT_FALSE(r.contains(9.999, 20));
    EXPECT_FALSE(r.contains(30, 40.001));
    EXPECT_FALSE(r.contains(20, 19.999));
    EXPECT_FALSE(r.contains(30.001, 30));
}

TEST(Rect, SharedEdgesAndCornersDoNotIntersect) {
    const Rect a(0, 0, 10, 10);
    EXPECT_FALSE(a.intersect(Rect(10, 0, 20, 10)));   // right edge
    EXPECT_FALSE(Rect(10, 0, 20, 10).intersect(a));   // and the other way round
    EXPECT_FALSE(a.intersect(Rect(0, 10, 10, 20)));   // bottom edge
    EXPECT_FALSE(a.intersect(Rect(-10, -10, 0, 0)));  // top-left corner
    EXPECT_FALSE(a.intersect(Rect(10, 10, 20, 20)));  // bottom-right corner
    EXPECT_TRUE(a.intersect(Rect(9.5, 9.5, 20, 20)));
    EXPECT_TRUE(Rect(9.5, 9.5, 20, 20).intersect(a));
    EXPECT_TRUE(a.intersect(Rect(2, 2, 3, 3)));    // inside
    EXPECT_TRUE(a.intersect(Rect(-5, 4, 15, 6)));  // a bar across
    EXPECT_FALSE(a.intersect(Rect(11, 0, 20, 10)));
}

TEST(Rect, DrawsTruncatedRelativeToTheView) {
    auto graphics = test::make_graphics(64, 48);
    ASSERT_TRUE(graphics->ok()) << graphics->error;
    graphics->clear();
    Rect(0.9, 0.9, 10.9, 10.9).draw(*graphics, 0, 0, 0xFFFFFFFF, true);
    EXPECT_EQ(test::read_pixel(*graphics, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(test::read_pixel(*graphics, 9, 9), 0xFFFFFFFFu);
    EXPECT_EQ(test::read_pixel(*graphics, 10, 9), kBlack);
    EXPECT_EQ(test::read_pixel(*graphics, 9, 10), kBlack);

    graphics->clear();
    Rect(110, 205, 120, 215).draw(*graphics, 100, 200, 0xFF0000FF, false);
    EXPECT_EQ(test::read_pixel(*graphics, 10, 5), 0xFF0000FFu);
    EXPECT_EQ(test::read_pixel(*graphics, 19, 14), 0xFF0000FFu);
    EXPECT_EQ(test::read_pixel(*graphics, 15, 10), kBlack);  // outline only
    EXPECT_EQ(test::read_pixel(*graphics, 20, 14), kBlack);
}

TEST(Rect, EdgesBeyondTheIntRangeStillDrawTheVisiblePart) {
    auto graphics = test::make_graphics(64, 48);
    ASSERT_TRUE(graphics->ok()) << graphics->error;
    graphics->clear();
    // A long bar in world pixels whose ends lie billions of pixels off either side.
    Rect(-3e9, 10, 5e9, 20).draw(*graphics, 0, 0, 0xFFFFFFFF, true);
    EXPECT_EQ(test::read_pixel(*graphics, 0, 10), 0xFFFFFFFFu);
    EXPECT_EQ(test::read_pixel(*graphics, 63, 19), 0xFFFFFFFFu);
    EXPECT_EQ(test::read_pixel(*graphics, 30, 20), kBlack);

    // Both ends inside the int range, yet too far apart for a width.
    graphics->clear();
    Rect(-2e9, 30, 2e9, 32).draw(*graphics, 0, 0, 0xFF0000FF, true);
    EXPECT_EQ(test::read_pixel(*graphics, 0, 30), 0xFF0000FFu);
    EXPECT_EQ(test::read_pixel(*graphics, 63, 31), 0xFF0000FFu);

    // No position at all: nothing is drawn.
    graphics->clear();
    Rect(std::nan(""), 0, 10, 10).draw(*graphics, 0, 0, 0xFFFFFFFF, true);
    EXPECT_EQ(test::read_pixel(*graphics, 5, 5), kBlack);
}

Menu three_entries() {
    Menu menu("font.png");
    for (const char* entry : {"Play", "Options", "Quit"}) menu.add_entry(entry);
    return menu;
}

TEST(Menu, CursorStopsAtBothEnds) {
    Menu menu = three_entries();
    EXPECT_EQ(menu.selected(), 0u);
    menu.prev();
    EXPECT_EQ(menu.selected(), 0u);
    menu.next();
    menu.next();
    EXPECT_EQ(menu.selected(), 2u);
    menu.next();
    EXPECT_EQ(menu.selected(), 2u);
    menu.prev();
    EXPECT_EQ(menu.selected(), 1u);
}

TEST(Menu, SelectIgnoresIndicesPastTheEntries) {
    Menu menu = three_entries();
    menu.select(2);
    EXPECT_EQ(menu.selected(), 2u);
    menu.select(3);
    EXPECT_EQ(menu.selected(), 2u);
    menu.select(0);
    EXPECT_EQ(menu.selected(), 0u);

    Menu empty("font.png");
    empty.next();
    empty.select(0);
    EXPECT_EQ(empty.selected(), 0u);
}

TEST(Menu, DrawsEntriesIndentedWithTheCursorMark) {
    auto graphics = test::make_graphics(64, 48);
    ASSERT_TRUE(graphics->ok()) << graphics->error;
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;
    graphics->blit_log_only = true;

    Menu("font.png").draw(*graphics, 10, 20);
    EXPECT_TRUE(log.empty());

    Menu menu("font.png");
    menu.add_entry("ab");
    menu.add_entry("c");
    menu.next();
    menu.draw(*graphics, 10, 20);
    ASSERT_EQ(log.size(), 4u);
    const auto at = [&](std::size_t i) {
        return std::pair{log[i].destination.x, log[i].destination.y};
    };
    EXPECT_EQ(at(0), (std::pair{26, 20}));  // a
    EXPECT_EQ(at(1), (std::pair{34, 20}));  // b
    EXPECT_EQ(at(2), (std::pair{10, 36}));  // > on the selected row
    EXPECT_EQ(at(3), (std::pair{26, 36}));  // c
    // '>' is byte 62: column 14 of the second row of 8 × 16 glyphs.
    EXPECT_EQ(log[2].source.x, 112);
    EXPECT_EQ(log[2].source.y, 16);
    EXPECT_EQ(log[2].destination.w, 8);
    EXPECT_EQ(log[2].destination.h, 16);
    EXPECT_EQ(log[0].image, "font.png");
}

}  // namespace
