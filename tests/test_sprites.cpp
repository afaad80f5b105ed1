// Sprites, sheets and bitmap text, checked on the pixels they leave on the canvas: every test
// sheet is a grid of cells in colours that tell the cell apart, so a pixel names its source.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/graphics.h"
#include "engine/sprite.h"
#include "engine/spritemap.h"
#include "engine/text.h"
#include "tests/support/support.h"

namespace {

constexpr uint32_t kBlack = 0x000000FF;

uint32_t cell_color(int column, int row) {
    return (static_cast<uint32_t>(16 * column + 8) << 24) |
           (static_cast<uint32_t>(40 * row + 20) << 16) | 0x8000u | 0xFFu;
}

// Writes content/<name>: columns × rows cells of cell_w × cell_h, each in cell_color.
void save_sheet(const test::TempContentDir& dir, const std::string& name, int columns, int rows,
                int cell_w, int cell_h) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, columns * cell_w, rows * cell_h, 32,
                                                          SDL_PIXELFORMAT_RGBA8888);
    ASSERT_NE(surface, nullptr);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const SDL_Rect cell{column * cell_w, row * cell_h, cell_w, cell_h};
            SDL_FillRect(surface, &cell, cell_color(column, row));
        }
    }
    ASSERT_EQ(IMG_SavePNG(surface, (dir.content() / name).c_str()), 0) << SDL_GetError();
    SDL_FreeSurface(surface);
}

// True when the four corner pixels of the w × h block at (x, y) are `color`: with cells in
// distinct colours, a source or destination off by a pixel shows in one of them.
::testing::AssertionResult block_is(Graphics& g, int x, int y, int w, int h, uint32_t color) {
    for (const auto& [px, py] :
         {std::pair{x, y}, {x + w - 1, y}, {x, y + h - 1}, {x + w - 1, y + h - 1}}) {
        const uint32_t got = test::read_pixel(g, px, py);
        if (got != color)
            return ::testing::AssertionFailure() << "pixel (" << px << ", " << py << ") is 0x"
                                                 << std::hex << got << ", expected 0x" << color;
    }
    return ::testing::AssertionSuccess();
}

// block_is, and the background just outside each side of the block.
::testing::AssertionResult lone_block_is(Graphics& g, int x, int y, int w, int h, uint32_t color) {
    if (auto inside = block_is(g, x, y, w, h, color); !inside) return inside;
    for (const auto& [px, py] : {std::pair{x - 1, y}, {x + w, y}, {x, y - 1}, {x, y + h}}) {
        const uint32_t got = test::read_pixel(g, px, py);
        if (got != kBlack)
            return ::testing::AssertionFailure() << "pixel (" << px << ", " << py
                                                 << ") outside the block is 0x" << std::hex << got;
    }
    return ::testing::AssertionSuccess();
}

class SheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        graphics = test::make_graphics(320, 240);
        ASSERT_TRUE(graphics->ok()) << graphics->error;
        // 8 × 2 frames of 32 × 32, and a font of 16 × 6 glyph cells of 8 × 16 (bytes 32..127).
        save_sheet(dir, "frames.png", 8, 2, 32, 32);
        save_sheet(dir, "font.png", 16, 6, 8, 16);
        graphics->clear();
    }

    test::TempContentDir dir;
    std::unique_ptr<Graphics> graphics;
};

TEST_F(SheetTest, FramesAreNumberedRowByRow) {
    const SpriteMap sheet("frames.png", 8, 32, 32);
    struct Case {
        int frame, column, row;
    };
    for (const Case c : {Case{0, 0, 0}, {7, 7, 0}, {8, 0, 1}, {13, 5, 1}}) {
        SCOPED_TRACE(c.frame);
        graphics->clear();
        sheet.draw(*graphics, c.frame, 40, 50);
        EXPECT_TRUE(lone_block_is(*graphics, 40, 50, 32, 32, cell_color(c.column, c.row)));
    }
}

TEST_F(SheetTest, FrameRectanglesFollowTheColumnCountAndFrameSize) {
    const SDL_Rect r = SpriteMap("frames.png", 4, 16, 24).frame_rect(7);
    EXPECT_EQ(r.x, 48);
    EXPECT_EQ(r.y, 24);
    EXPECT_EQ(r.w, 16);
    EXPECT_EQ(r.h, 24);
}

TEST_F(SheetTest, SheetWithoutColumnsDrawsNothing) {
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;
    const SpriteMap sheet("frames.png", 0, 32, 32);
    sheet.draw(*graphics, 3, 0, 0);
    sheet.draw_ex(*graphics, 3, 0, 0, true, 1.0f, 16, 16);
    EXPECT_TRUE(log.empty());
}

TEST_F(SheetTest, FrameDrawnExUnturnedMatchesPlainDraw) {
    const SpriteMap sheet("frames.png", 8, 32, 32);
    sheet.draw_ex(*graphics, 13, 40, 50, false, 0.0f, 16, 16);
    EXPECT_TRUE(lone_block_is(*graphics, 40, 50, 32, 32, cell_color(5, 1)));
}

TEST_F(SheetTest, SpriteDrawsItsSourceRectangle) {
    // Frames 1 and 2 side by side: the left half must come from frame 1.
    const Sprite sprite("frames.png", 32, 0, 64, 32);
    sprite.draw(*graphics, 10, 20);
    EXPECT_TRUE(block_is(*graphics, 10, 20, 32, 32, cell_color(1, 0)));
    EXPECT_TRUE(block_is(*graphics, 42, 20, 32, 32, cell_color(2, 0)));
    EXPECT_EQ(test::read_pixel(*graphics, 9, 20), kBlack);
    EXPECT_EQ(test::read_pixel(*graphics, 74, 20), kBlack);
    EXPECT_EQ(test::read_pixel(*graphics, 10, 52), kBlack);
}

TEST_F(SheetTest, SpriteDrawExMirrorsAndTurnsAboutItsCentre) {
    const Sprite sprite("frames.png", 32, 0, 64, 32);

    sprite.draw_ex(*graphics, 10, 20, false, 0.0f, 32, 16);
    EXPECT_EQ(test::read_pixel(*graphics, 10, 20), cell_color(1, 0));
    EXPECT_EQ(test::read_pixel(*graphics, 73, 51), cell_color(2, 0));

    graphics->clear();
    sprite.draw_ex(*graphics, 10, 20, true, 0.0f, 32, 16);
    EXPECT_EQ(test::read_pixel(*graphics, 10, 20), cell_color(2, 0));
    EXPECT_EQ(test::read_pixel(*graphics, 73, 51), cell_color(1, 0));

    // Half a turn about the middle swaps the halves but keeps the sprite in place.
    graphics->clear();
    sprite.draw_ex(*graphics, 10, 20, false, 3.14159265f, 32, 16);
    EXPECT_EQ(test::read_pixel(*graphics, 26, 36), cell_color(2, 0));
    EXPECT_EQ(test::read_pixel(*graphics, 58, 36), cell_color(1, 0));
}

// Column and row of a glyph cell in the test font.
uint32_t glyph(int column, int row) { return cell_color(column, row); }

TEST_F(SheetTest, PrintableBytesUseTheirOwnCell) {
    const Text text("font.png", 8, 16);
    struct Case {
        const char* s;
        int column, row;
    };
    for (const Case c : {Case{"A", 1, 2}, {"0", 0, 1}, {" ", 0, 0}, {"~", 14, 5}}) {
        SCOPED_TRACE(c.s);
        graphics->clear();
        text.draw(*graphics, c.s, 30, 40, Text::Alignment::Left);
        EXPECT_TRUE(lone_block_is(*graphics, 30, 40, 8, 16, glyph(c.column, c.row)));
    }
}

TEST_F(SheetTest, UnprintableBytesDrawTheSpaceCell) {
    const Text text("font.png", 8, 16);
    // Tab, another control byte, DEL, a byte above 127 and both bytes of "é" in UTF-8.
    for (const std::string s : {"\t", "\x01", "\x7F", "\xA0", "\xC3\xA9"}) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(s[0])));
        graphics->clear();
        text.draw(*graphics, s, 30, 40, Text::Alignment::Left);
        const int width = 8 * static_cast<int>(s.size());
        EXPECT_TRUE(lone_block_is(*graphics, 30, 40, width, 16, glyph(0, 0)));
    }
}

TEST_F(SheetTest, CentredAndRightAlignedTextStartLeftOfX) {
    const Text text("font.png", 8, 16);
    text.draw(*graphics, "AB", 100, 40, Text::Alignment::Center);
    EXPECT_EQ(test::read_pixel(*graphics, 92, 40), glyph(1, 2));
    EXPECT_EQ(test::read_pixel(*graphics, 100, 40), glyph(2, 2));
    EXPECT_EQ(test::read_pixel(*graphics, 91, 40), kBlack);
    EXPECT_EQ(test::read_pixel(*graphics, 108, 40), kBlack);

    graphics->clear();
    text.draw(*graphics, "AB", 100, 40, Text::Alignment::Right);
    EXPECT_EQ(test::read_pixel(*graphics, 84, 40), glyph(1, 2));
    EXPECT_EQ(test::read_pixel(*graphics, 92, 55), glyph(2, 2));
    EXPECT_EQ(test::read_pixel(*graphics, 83, 40), kBlack);
    EXPECT_EQ(test::read_pixel(*graphics, 100, 40), kBlack);
}

TEST_F(SheetTest, CentringMovesByTruncatedHalfGlyphsPerByte) {
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;
    graphics->blit_log_only = true;
    // Half of 7 is 3, so three bytes start 9 pixels left of x, not 10.
    Text("font.png", 7, 16).draw(*graphics, "abc", 100, 0, Text::Alignment::Center);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].destination.x, 91);
    EXPECT_EQ(log[2].destination.x, 105);
}

TEST_F(SheetTest, LeftAlignedTextBreaksLinesOnNewline) {
    const Text text("font.png", 8, 16);
    text.draw(*graphics, "A\nB", 10, 20, Text::Alignment::Left);
    EXPECT_TRUE(block_is(*graphics, 10, 20, 8, 16, glyph(1, 2)));
    EXPECT_EQ(test::read_pixel(*graphics, 18, 20), glyph(0, 0));  // the newline, blank
    EXPECT_EQ(test::read_pixel(*graphics, 25, 35), glyph(0, 0));
    EXPECT_EQ(test::read_pixel(*graphics, 26, 20), kBlack);
    EXPECT_TRUE(block_is(*graphics, 10, 36, 8, 16, glyph(2, 2)));
    EXPECT_EQ(test::read_pixel(*graphics, 18, 36), kBlack);
    EXPECT_EQ(test::read_pixel(*graphics, 10, 52), kBlack);
}

TEST_F(SheetTest, CentredTextKeepsNewlineAsABlankCell) {
    const Text text("font.png", 8, 16);
    text.draw(*graphics, "A\nB", 10, 20, Text::Alignment::Center);
    // One line of three cells from x = -2: A cut by the edge, the blank, then B.
    EXPECT_EQ(test::read_pixel(*graphics, 0, 20), glyph(1, 2));
    EXPECT_EQ(test::read_pixel(*graphics, 5, 35), glyph(1, 2));
    EXPECT_EQ(test::read_pixel(*graphics, 6, 20), glyph(0, 0));
    EXPECT_EQ(test::read_pixel(*graphics, 14, 20), glyph(2, 2));
    EXPECT_EQ(test::read_pixel(*graphics, 21, 35), glyph(2, 2));
    EXPECT_EQ(test::read_pixel(*graphics, 22, 20), kBlack);
    EXPECT_EQ(test::read_pixel(*graphics, 10, 36), kBlack);

    graphics->clear();
    text.draw(*graphics, "A\nB", 30, 20, Text::Alignment::Right);
    EXPECT_EQ(test::read_pixel(*graphics, 6, 20), glyph(1, 2));
    EXPECT_EQ(test::read_pixel(*graphics, 14, 20), glyph(0, 0));
    EXPECT_EQ(test::read_pixel(*graphics, 22, 20), glyph(2, 2));
    EXPECT_EQ(test::read_pixel(*graphics, 6, 36), kBlack);
}

TEST_F(SheetTest, EmptyTextDrawsNothing) {
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;
    const Text text("font.png", 8, 16);
    for (const auto alignment :
         {Text::Alignment::Left, Text::Alignment::Center, Text::Alignment::Right})
        text.draw(*graphics, "", 50, 50, alignment);
    EXPECT_TRUE(log.empty());
}

}  // namespace
