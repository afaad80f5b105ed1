#include "engine/graphics.h"

#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include <algorithm>
#include <array>
#include <climits>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/support.h"

namespace {

using Point = Graphics::Point;
using Pixel = std::pair<int, int>;

constexpr int kWidth = 48;
constexpr int kHeight = 32;
constexpr uint32_t kOpaqueBlack = 0x000000FF;
constexpr uint32_t kWhite = 0xFFFFFFFF;
// Translucent enough that every repeated blend of a pixel shows in its value.
constexpr uint32_t kGhost = 0xFFFFFF40;

class GraphicsTest : public ::testing::Test {
protected:
    void SetUp() override {
        graphics = test::make_graphics(kWidth, kHeight);
        ASSERT_TRUE(graphics->ok()) << graphics->error;
        graphics->clear();
    }

    std::vector<uint32_t> canvas() {
        std::vector<uint32_t> pixels(kWidth * kHeight);
        SDL_RenderReadPixels(graphics->renderer, nullptr, SDL_PIXELFORMAT_RGBA8888, pixels.data(),
                             kWidth * 4);
        return pixels;
    }

    std::set<Pixel> lit() {
        std::set<Pixel> result;
        const std::vector<uint32_t> pixels = canvas();
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                if (pixels[y * kWidth + x] != kOpaqueBlack) result.insert({x, y});
            }
        }
        return result;
    }

    // kGhost blended `layers` times over black, rounded down as the software renderer does.
    static uint32_t ghost(int layers) {
        uint32_t c = 0;
        for (int i = 0; i < layers; ++i) c = 0x40 + c * (255 - 0x40) / 255;
        return c << 24 | c << 16 | c << 8 | 0xFF;
    }

    // Every pixel of the canvas holds kGhost blended as often as `layers` says (by offset
    // from `origin`), and every other pixel is still black.
    void expect_layers(Point origin, const std::map<Pixel, int>& layers) {
        const std::vector<uint32_t> pixels = canvas();
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const auto found = layers.find({x - origin.x, y - origin.y});
                const int count = found == layers.end() ? 0 : found->second;
                EXPECT_EQ(pixels[y * kWidth + x], ghost(count))
                    << "at (" << x << ", " << y << "), expected " << count << " layers";
            }
        }
    }

    std::unique_ptr<Graphics> graphics;
};

std::set<Pixel> row(int y, int x_from, int x_to) {
    std::set<Pixel> result;
    for (int x = x_from; x <= x_to; ++x) result.insert({x, y});
    return result;
}

std::set<Pixel> joined(std::initializer_list<std::set<Pixel>> parts) {
    std::set<Pixel> result;
    for (const auto& part : parts) result.insert(part.begin(), part.end());
    return result;
}

// ---- Colours ----

TEST_F(GraphicsTest, ColourBytesAreRedGreenBlueAlphaFromTheTop) {
    const std::vector<std::pair<uint32_t, std::array<Uint8, 4>>> cases = {
        {0x000000CC, {0, 0, 0, 204}},
        {0xFF000000, {255, 0, 0, 0}},
        {0x12345678, {0x12, 0x34, 0x56, 0x78}},
    };
    for (const auto& [color, rgba] : cases) {
        graphics->set_color(static_cast<int>(color));
        Uint8 r = 0, g = 0, b = 0, a = 0;
        SDL_GetRenderDrawColor(graphics->renderer, &r, &g, &b, &a);
        EXPECT_EQ((std::array<Uint8, 4>{r, g, b, a}), rgba) << std::hex << color;
    }
    graphics->draw_rect({0, 0}, {2, 2}, 0x123456FF, true);
    EXPECT_EQ(test::read_pixel(*graphics, 1, 1), 0x123456FFu);
}

TEST_F(GraphicsTest, TranslucentBlackDarkensWhatIsBelow) {
    graphics->clear(0xC86432FF);  // (200, 100, 50)
    graphics->draw_rect({0, 0}, {4, 4}, 0x000000CC, true);
    EXPECT_EQ(test::read_pixel(*graphics, 2, 2), 0x28140AFFu);  // (40, 20, 10)
    EXPECT_EQ(test::read_pixel(*graphics, 5, 5), 0xC86432FFu);
}

TEST_F(GraphicsTest, FullyTransparentColourLeavesTheCanvas) {
    graphics->clear(0x0000FFFF);
    graphics->draw_rect({0, 0}, {4, 4}, 0xFF000000, true);
    EXPECT_EQ(test::read_pixel(*graphics, 1, 1), 0x0000FFFFu);
}

TEST_F(GraphicsTest, PrimitiveLeavesItsColourSet) {
    graphics->draw_line({0, 0}, {3, 1}, 0x0A0B0C0D);
    Uint8 r = 0, g = 0, b = 0, a = 0;
    SDL_GetRenderDrawColor(graphics->renderer, &r, &g, &b, &a);
    EXPECT_EQ((std::array<Uint8, 4>{r, g, b, a}), (std::array<Uint8, 4>{10, 11, 12, 13}));
}

// What benchmarks count as drawing calls: one per call handed to SDL, so a rectangle is one
// and a slanted line one per pixel it plots.
TEST_F(GraphicsTest, PrimitivesAreCountedOncePerCallToSdl) {
    const auto counted = [this](auto draw) {
        const uint64_t before = graphics->primitives_made;
        draw();
        return graphics->primitives_made - before;
    };
    EXPECT_EQ(counted([this] { graphics->draw_pixel({1, 1}, kWhite); }), 1u);
    EXPECT_EQ(counted([this] { graphics->draw_rect({0, 0}, {8, 8}, kWhite, false); }), 1u);
    EXPECT_EQ(counted([this] { graphics->draw_rect({0, 0}, {8, 8}, kWhite, true); }), 1u);
    EXPECT_EQ(counted([this] { graphics->draw_line({0, 3}, {9, 3}, kWhite); }), 1u);
    EXPECT_EQ(counted([this] { graphics->draw_line({0, 0}, {4, 2}, kWhite); }), 5u);
    EXPECT_EQ(counted([this] { graphics->draw_circle({5, 5}, -1, kWhite, true); }), 0u);
    EXPECT_EQ(counted([this] { graphics->draw_circle({5, 5}, 0, kWhite, false); }), 1u);
    EXPECT_EQ(counted([this] { graphics->draw_circle({5, 5}, 0, kWhite, true); }), 4u);
    EXPECT_EQ(graphics->copies_made, 0u);
}

// ---- Lines ----

TEST_F(GraphicsTest, ShallowLineRoundsEachColumn) {
    graphics->draw_line({0, 0}, {4, 2}, kWhite);
    EXPECT_EQ(lit(), (std::set<Pixel>{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));
}

TEST_F(GraphicsTest, LinePixelsDoNotDependOnTheOrderOfItsEnds) {
    graphics->draw_line({4, 2}, {0, 0}, kWhite);
    EXPECT_EQ(lit(), (std::set<Pixel>{{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}}));
    graphics->clear();
    graphics->draw_line({4, 0}, {0, 2}, kWhite);
    EXPECT_EQ(lit(), (std::set<Pixel>{{0, 2}, {1, 2}, {2, 1}, {3, 1}, {4, 0}}));
}

TEST_F(GraphicsTest, NegativeHalvesRoundAwayFromZero) {
    // (1, -0.5) becomes (1, -1), off the canvas; rounding half up would light (1, 0).
    graphics->draw_line({0, 0}, {4, -2}, kWhite);
    EXPECT_EQ(lit(), (std::set<Pixel>{{0, 0}}));
}

TEST_F(GraphicsTest, LineUsesSinglePrecisionDivideThenMultiply) {
    // Column 13 is exactly 6.5 on paper: single precision dividing first gives 6.4999995.
    // Multiplying first gives 7 there, double precision gives 7 in column 15.
    const int expected[] = {0, 1, 1, 2, 2, 3, 3, 4,  4,  5,  5, 6,
                            6, 6, 7, 8, 8, 9, 9, 10, 10, 11, 11};
    std::set<Pixel> shallow, steep;
    for (int i = 0; i <= 22; ++i) {
        shallow.insert({i, expected[i]});
        steep.insert({expected[i], i});
    }
    graphics->draw_line({0, 0}, {22, 11}, kWhite);
    EXPECT_EQ(lit(), shallow);
    graphics->clear();
    graphics->draw_line({11, 22}, {0, 0}, kWhite);
    EXPECT_EQ(lit(), steep);
}

TEST_F(GraphicsTest, StraightLinesIncludeBothEnds) {
    graphics->draw_line({3, 5}, {3, 5}, kWhite);
    EXPECT_EQ(lit(), (std::set<Pixel>{{3, 5}}));
    graphics->clear();
    graphics->draw_line({6, 2}, {2, 2}, kWhite);
    EXPECT_EQ(lit(), row(2, 2, 6));
    graphics->clear();
    graphics->draw_line({1, 4}, {1, 1}, kWhite);
    EXPECT_EQ(lit(), (std::set<Pixel>{{1, 1}, {1, 2}, {1, 3}, {1, 4}}));
}

TEST_F(GraphicsTest, LinesFromFarOffTheCanvasDrawTheirVisiblePart) {
    // Halfway along, in single precision, the minor coordinate is exactly x.5 and rounds up.
    graphics->draw_line({INT_MIN, 7}, {INT_MAX, 8}, kWhite);
    EXPECT_EQ(lit(), row(8, 0, kWidth - 1));
    graphics->clear();
    graphics->draw_line({7, INT_MAX}, {8, INT_MIN}, kWhite);
    std::set<Pixel> column;
    for (int y = 0; y < kHeight; ++y) column.insert({8, y});
    EXPECT_EQ(lit(), column);
}

// ---- Rectangles ----

TEST_F(GraphicsTest, RectangleEndsJustInsideItsSecondCorner) {
    graphics->draw_rect({10, 10}, {20, 15}, kWhite, true);
    std::set<Pixel> filled;
    for (int y = 10; y <= 14; ++y) filled.merge(row(y, 10, 19));
    EXPECT_EQ(lit(), filled);

    graphics->clear();
    graphics->draw_rect({10, 10}, {20, 15}, kWhite, false);
    std::set<Pixel> border = joined({row(10, 10, 19), row(14, 10, 19)});
    for (int y = 11; y <= 13; ++y) border.insert({{10, y}, {19, y}});
    EXPECT_EQ(lit(), border);
}

TEST_F(GraphicsTest, RectangleAsWideAsTheIntRangeCoversTheCanvas) {
    graphics->draw_rect({INT_MIN, 2}, {INT_MAX, 6}, kWhite, true);
    EXPECT_EQ(lit(), joined({row(2, 0, kWidth - 1), row(3, 0, kWidth - 1), row(4, 0, kWidth - 1),
                             row(5, 0, kWidth - 1)}));
    graphics->clear();
    // Its border: the top and bottom rows only, the sides being far away.
    graphics->draw_rect({INT_MIN, 2}, {INT_MAX, 6}, kWhite, false);
    EXPECT_EQ(lit(), joined({row(2, 0, kWidth - 1), row(5, 0, kWidth - 1)}));
}

// ---- Circles ----

TEST_F(GraphicsTest, NegativeRadiusDrawsNothingButSetsTheColour) {
    graphics->draw_circle({10, 10}, -1, 0x01020304, false);
    graphics->draw_circle({10, 10}, -1, 0x01020304, true);
    EXPECT_TRUE(lit().empty());
    Uint8 r = 0, g = 0, b = 0, a = 0;
    SDL_GetRenderDrawColor(graphics->renderer, &r, &g, &b, &a);
    EXPECT_EQ((std::array<Uint8, 4>{r, g, b, a}), (std::array<Uint8, 4>{1, 2, 3, 4}));
}

TEST_F(GraphicsTest, CircleOfRadiusZeroBlendsItsCentreOncePerListedPoint) {
    graphics->draw_circle({10, 10}, 0, kGhost, false);
    expect_layers({10, 10}, {{{0, 0}, 8}});
    graphics->clear();
    graphics->draw_circle({10, 10}, 0, kGhost, true);
    expect_layers({10, 10}, {{{0, 0}, 4}});
}

TEST_F(GraphicsTest, CircleOfRadiusOne) {
    graphics->draw_circle({10, 10}, 1, kGhost, false);
    expect_layers({10, 10}, {{{1, 0}, 2}, {{-1, 0}, 2}, {{0, 1}, 2}, {{0, -1}, 2}});
    graphics->clear();
    graphics->draw_circle({10, 10}, 1, kGhost, true);
    expect_layers({10, 10}, {{{-1, 0}, 2}, {{0, 0}, 2}, {{1, 0}, 2}, {{0, 1}, 1}, {{0, -1}, 1}});
}

TEST_F(GraphicsTest, CircleOfRadiusTwo) {
    graphics->draw_circle({10, 10}, 2, kGhost, false);
    expect_layers({10, 10}, {{{2, 0}, 2},
                             {{-2, 0}, 2},
                             {{0, 2}, 2},
                             {{0, -2}, 2},
                             {{1, 1}, 2},
                             {{-1, 1}, 2},
                             {{1, -1}, 2},
                             {{-1, -1}, 2}});
    graphics->clear();
    graphics->draw_circle({10, 10}, 2, kGhost, true);
    std::map<Pixel, int> filled{{{0, 2}, 1}, {{0, -2}, 1}};
    for (int dx = -2; dx <= 2; ++dx) filled[{dx, 0}] = 2;
    for (int dx = -1; dx <= 1; ++dx) filled[{dx, 1}] = filled[{dx, -1}] = 2;
    expect_layers({10, 10}, filled);
}

TEST_F(GraphicsTest, CircleOutlineFollowsTheMidpointSteps) {
    // One octant of radius 5 is (5,0) (5,1) (4,2) (3,3); the rest are its mirror images.
    graphics->draw_circle({12, 12}, 5, kWhite, false);
    std::set<Pixel> expected;
    for (const auto& [a, b] : std::vector<Pixel>{{5, 0}, {5, 1}, {4, 2}, {3, 3}}) {
        for (const int sx : {-1, 1}) {
            for (const int sy : {-1, 1}) {
                expected.insert({12 + sx * a, 12 + sy * b});
                expected.insert({12 + sx * b, 12 + sy * a});
            }
        }
    }
    EXPECT_EQ(lit(), expected);
}

TEST_F(GraphicsTest, CircleAtTheEndOfTheIntRangeStaysOffTheCanvas) {
    graphics->draw_circle({INT_MIN + 5, 10}, 20, kWhite, true);
    graphics->draw_circle({INT_MAX - 5, 10}, 20, kWhite, true);
    graphics->draw_circle({10, INT_MIN + 5}, 20, kWhite, false);
    EXPECT_TRUE(lit().empty());
}

// ---- Triangles ----

TEST_F(GraphicsTest, TriangleOutlineIsItsThreeEdges) {
    graphics->draw_triangle({2, 2}, {8, 2}, {2, 5}, kWhite, false);
    // Edge (2,5)-(8,2) steps along x through rows 5, 4.5, 4, 3.5, 3, 2.5, 2.
    EXPECT_EQ(lit(), joined({row(2, 2, 8),
                             {{2, 3}, {2, 4}, {2, 5}},
                             {{8, 2}, {7, 3}, {6, 3}, {5, 4}, {4, 4}, {3, 5}}}));
}

TEST_F(GraphicsTest, FlatFilledTriangleIsOnePixelAtItsFirstVertex) {
    graphics->draw_triangle({5, 3}, {9, 3}, {2, 3}, kWhite, true);
    EXPECT_EQ(lit(), (std::set<Pixel>{{5, 3}}));
}

TEST_F(GraphicsTest, SplitTriangleDrawsTheMiddleRowOnce) {
    // Splits at row 4 with S = (0, 4); with a translucent colour a row drawn by both halves
    // would show twice.
    graphics->draw_triangle({0, 0}, {4, 4}, {0, 8}, kGhost, true);
    std::map<Pixel, int> expected;
    for (int y = 0; y <= 8; ++y) {
        for (int x = 0; x <= std::min(y, 8 - y); ++x) expected[{x, y}] = 1;
    }
    expect_layers({0, 0}, expected);
}

TEST_F(GraphicsTest, SplitPointTruncatesTowardZero) {
    // S.x = 10 + (-7 * 1) / 3 = 10 - 2 = 8; flooring would make it 7 and narrow rows 1 and 2.
    graphics->draw_triangle({10, 0}, {0, 1}, {3, 3}, kWhite, true);
    EXPECT_EQ(lit(), joined({{{10, 0}}, row(1, 0, 8), row(2, 2, 6), {{3, 3}}}));
}

TEST_F(GraphicsTest, SplitPointOfAVeryWideTriangleIsExact) {
    // S = (w + (-2w * 16) / 32, 16) = (0, 16): only that corner reaches the canvas. The
    // width 2w does not fit an int; the edges step by exact multiples of 2^25.
    const int w = 3 << 29;
    graphics->draw_triangle({w, 0}, {0, 16}, {-w, 32}, kWhite, true);
    EXPECT_EQ(lit(), (std::set<Pixel>{{0, 16}}));
}

TEST_F(GraphicsTest, TrianglesReachingTheEndOfTheIntRangeStopBelowTheCanvas) {
    // Apexes on column 20, the far edges spread out only far above or below the canvas.
    graphics->draw_triangle({20, 0}, {0, INT_MAX}, {40, INT_MAX}, kWhite, true);
    graphics->draw_triangle({20, 40}, {0, INT_MIN}, {40, INT_MIN}, kWhite, true);
    std::set<Pixel> column;
    for (int y = 0; y < kHeight; ++y) column.insert({20, y});
    EXPECT_EQ(lit(), column);
}

TEST_F(GraphicsTest, FlatTopTriangleLeavesItsTopRowOut) {
    graphics->draw_triangle({2, 2}, {8, 2}, {5, 5}, kWhite, true);
    EXPECT_EQ(lit(), joined({row(3, 3, 7), row(4, 4, 6), {{5, 5}}}));
}

TEST_F(GraphicsTest, FlatBottomTriangleIncludesItsBottomRow) {
    graphics->draw_triangle({5, 2}, {2, 5}, {8, 5}, kWhite, true);
    EXPECT_EQ(lit(), joined({{{5, 2}}, row(3, 4, 6), row(4, 3, 7), row(5, 2, 8)}));
}

TEST_F(GraphicsTest, HalfTrianglesWithTheWrongLayoutDrawNothing) {
    graphics->draw_triangle_top({5, 6}, {2, 3}, {8, 3}, kWhite);
    graphics->draw_triangle_bottom({2, 5}, {8, 5}, {5, 2}, kWhite);
    EXPECT_TRUE(lit().empty());
}

// ---- Images ----

class GraphicsImageTest : public GraphicsTest {
protected:
    // A 2 by 1 image: red on the left, green on the right.
    void write_pair_image() { write_pair_image(content.content()); }
    void write_pair_image(const std::filesystem::path& folder) {
        SDL_Surface* surface =
            SDL_CreateRGBSurfaceWithFormat(0, 2, 1, 32, SDL_PIXELFORMAT_RGBA8888);
        auto* pixels = static_cast<uint32_t*>(surface->pixels);
        pixels[0] = 0xFF0000FF;
        pixels[1] = 0x00FF00FF;
        IMG_SavePNG(surface, (folder / "pair.png").c_str());
        SDL_FreeSurface(surface);
    }

    test::TempContentDir content;
};

TEST_F(GraphicsImageTest, MissingImageIsReportedOnceAndCachedAsNull) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(graphics->load_image("nothing.png"), nullptr);
    EXPECT_EQ(graphics->load_image("nothing.png"), nullptr);
    const SDL_Rect destination{0, 0, 4, 4};
    graphics->blit("nothing.png", nullptr, &destination);
    const std::string printed = ::testing::internal::GetCapturedStderr();

    const std::string prefix = "Unable to load nothing.png: ";
    ASSERT_EQ(printed.compare(0, prefix.size(), prefix), 0) << printed;
    EXPECT_EQ(printed.find('\n'), printed.size() - 1) << printed;
    EXPECT_GT(printed.size(), prefix.size() + 1) << "the SDL error text is missing";
    ASSERT_EQ(graphics->textures.size(), 1U);
    EXPECT_EQ(graphics->textures.count("content/nothing.png"), 1U);
    EXPECT_TRUE(lit().empty());
}

// A damaged file makes the PNG decoder complain on its own; the player sees only our line.
TEST_F(GraphicsImageTest, DamagedImageGivesOnlyOurOneLine) {
    {
        std::ofstream file(content.content() / "broken.png", std::ios::binary);
        const char header[] = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x10\x08\x06";
        file.write(header, sizeof header - 1);
        file << "not the rest of a picture";
    }
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(graphics->load_image("broken.png"), nullptr);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    const std::string prefix = "Unable to load broken.png: ";
    ASSERT_EQ(printed.compare(0, prefix.size(), prefix), 0) << printed;
    EXPECT_EQ(printed.find('\n'), printed.size() - 1) << printed;
}

TEST_F(GraphicsImageTest, ImageIsLoadedOnceAndDrawn) {
    write_pair_image();
    SDL_Texture* first = graphics->load_image("pair.png");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(graphics->load_image("pair.png"), first);

    const SDL_Rect destination{3, 4, 2, 1};
    graphics->blit("pair.png", nullptr, &destination);
    EXPECT_EQ(test::read_pixel(*graphics, 3, 4), 0xFF0000FFu);
    EXPECT_EQ(test::read_pixel(*graphics, 4, 4), 0x00FF00FFu);
}

TEST_F(GraphicsImageTest, BlitAllDrawsAndLogsLikeOneBlitPerCopyInOrder) {
    write_pair_image();
    // The second copy overlaps the first, so the order of drawing shows.
    const std::vector<Graphics::Copy> copies = {
        {{0, 0, 2, 1}, {5, 6, 2, 1}}, {{1, 0, 1, 1}, {5, 6, 1, 1}}, {{0, 0, 1, 1}, {9, 2, 3, 2}}};
    std::vector<Graphics::BlitRecord> batched;
    graphics->blit_log = &batched;
    graphics->blit_all("pair.png", copies);
    EXPECT_EQ(test::read_pixel(*graphics, 5, 6), 0x00FF00FFu);
    EXPECT_EQ(test::read_pixel(*graphics, 6, 6), 0x00FF00FFu);
    EXPECT_EQ(test::read_pixel(*graphics, 11, 3), 0xFF0000FFu);
    EXPECT_EQ(test::read_pixel(*graphics, 12, 3), 0x000000FFu);

    std::vector<Graphics::BlitRecord> single;
    graphics->blit_log = &single;
    graphics->blit_log_only = true;
    for (const Graphics::Copy& c : copies) graphics->blit("pair.png", &c.source, &c.destination);
    ASSERT_EQ(batched.size(), single.size());
    for (size_t i = 0; i < single.size(); ++i) {
        EXPECT_EQ(batched[i].image, single[i].image);
        EXPECT_TRUE(SDL_RectEquals(&batched[i].source, &single[i].source)) << i;
        EXPECT_TRUE(SDL_RectEquals(&batched[i].destination, &single[i].destination)) << i;
        EXPECT_EQ(batched[i].whole_source, single[i].whole_source);
        EXPECT_EQ(batched[i].whole_destination, single[i].whole_destination);
        EXPECT_EQ(batched[i].angle, single[i].angle);
        EXPECT_EQ(batched[i].flip, single[i].flip);
    }

    // Logged only: nothing reaches the canvas.
    graphics->clear();
    graphics->blit_all("pair.png", copies);
    EXPECT_TRUE(lit().empty());
}

TEST_F(GraphicsImageTest, BlitAllOfAMissingImageReportsItOnceAndDrawsNothing) {
    ::testing::internal::CaptureStderr();
    const std::vector<Graphics::Copy> copies(50, {{0, 0, 2, 2}, {1, 1, 2, 2}});
    graphics->blit_all("nothing.png", copies);
    graphics->blit_all("nothing.png", copies);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed.find('\n'), printed.size() - 1) << printed;
    EXPECT_TRUE(lit().empty());
}

TEST_F(GraphicsImageTest, FlipValuesOutsideTheThreeMirrorsDrawUnmirrored) {
    write_pair_image();
    const SDL_Rect destination{0, 0, 2, 1};
    graphics->blit_ex("pair.png", nullptr, &destination, 0.0f, nullptr,
                      Graphics::FlipDirection::Horizontal);
    EXPECT_EQ(test::read_pixel(*graphics, 0, 0), 0x00FF00FFu);

    // 5 and -1 carry the horizontal bit; handed on to SDL they would mirror.
    for (const int value : {0, 4, 5, -1}) {
        graphics->clear();
        graphics->blit_ex("pair.png", nullptr, &destination, 0.0f, nullptr,
                          static_cast<Graphics::FlipDirection>(value));
        EXPECT_EQ(test::read_pixel(*graphics, 0, 0), 0xFF0000FFu) << "flip " << value;
        EXPECT_EQ(test::read_pixel(*graphics, 1, 0), 0x00FF00FFu) << "flip " << value;
    }
}

// ---- Drawing into textures ----

TEST_F(GraphicsImageTest, TargetsAreDrawnIntoThenCopiedBlendedOrReplacing) {
    ASSERT_TRUE(graphics->targets_supported());
    auto target = graphics->create_target(4, 3);
    ASSERT_NE(target, nullptr);
    EXPECT_TRUE(graphics->owns(*target));
    EXPECT_EQ(target->width, 4);
    EXPECT_EQ(target->height, 3);
    graphics->draw_into(target.get());
    graphics->draw_rect({1, 1}, {3, 2}, 0xFF0000FF, true);  // inside the target's own canvas
    graphics->draw_into(nullptr);
    EXPECT_TRUE(lit().empty()) << "drawing went to the canvas";

    graphics->clear(0x0000FFFF);
    graphics->blit_target(*target, {10, 10, 4, 3}, false);
    EXPECT_EQ(test::read_pixel(*graphics, 11, 11), 0xFF0000FFu);
    EXPECT_EQ(test::read_pixel(*graphics, 12, 11), 0xFF0000FFu);
    EXPECT_EQ(test::read_pixel(*graphics, 10, 10), 0x0000FFFFu)
        << "a clear pixel covered the canvas";
    graphics->blit_target(*target, {10, 10, 4, 3}, true);
    EXPECT_EQ(test::read_pixel(*graphics, 10, 10), 0x000000FFu) << "opaque copies replace";
    EXPECT_EQ(test::read_pixel(*graphics, 11, 11), 0xFF0000FFu);
    EXPECT_EQ(graphics->copies_made, 2u);

    graphics->targets_allowed = false;
    EXPECT_FALSE(graphics->targets_supported());
    EXPECT_EQ(graphics->create_target(4, 4), nullptr);
}

TEST_F(GraphicsImageTest, TargetsOfAnotherOrAGoneGraphicsAreLeftAlone) {
    auto other = test::make_graphics(8, 8);
    auto theirs = other->create_target(2, 2);
    ASSERT_NE(theirs, nullptr);
    EXPECT_FALSE(graphics->owns(*theirs));
    graphics->draw_into(theirs.get());  // refused: drawing stays on our canvas
    graphics->draw_rect({0, 0}, {1, 1}, kWhite, true);
    graphics->draw_into(nullptr);
    EXPECT_EQ(lit(), (std::set<Pixel>{{0, 0}}));
    graphics->blit_target(*theirs, {5, 5, 2, 2}, true);
    EXPECT_EQ(lit(), (std::set<Pixel>{{0, 0}}));
    // Its renderer freed the texture; the target outliving it frees nothing twice.
    other.reset();
    theirs.reset();
}

TEST_F(GraphicsImageTest, RaisedResetEventsCountAsLostTargets) {
    SDL_InitSubSystem(SDL_INIT_EVENTS);
    const uint64_t before = graphics->targets_lost;
    for (const Uint32 type : {Uint32{SDL_RENDER_TARGETS_RESET}, Uint32{SDL_RENDER_DEVICE_RESET},
                              Uint32{SDL_USEREVENT}}) {
        SDL_Event event{};
        event.type = type;
        SDL_PushEvent(&event);
    }
    EXPECT_EQ(graphics->targets_lost, before + 2);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

// A renderer that lost its textures leaves the cached images with wiped pixels (simulated here:
// the software renderer keeps them): every image is made again before it is drawn next.
TEST_F(GraphicsImageTest, ImagesDrawCorrectlyAfterTheRendererLostItsTextures) {
    SDL_InitSubSystem(SDL_INIT_EVENTS);
    write_pair_image();
    const SDL_Rect destination{3, 4, 2, 1};
    for (const Uint32 type : {Uint32{SDL_RENDER_TARGETS_RESET}, Uint32{SDL_RENDER_DEVICE_RESET}}) {
        SDL_Texture* texture = graphics->load_image("pair.png");
        ASSERT_NE(texture, nullptr);
        const uint32_t wiped[2] = {0, 0};
        ASSERT_EQ(SDL_UpdateTexture(texture, nullptr, wiped, sizeof wiped), 0) << SDL_GetError();
        SDL_Event event{};
        event.type = type;
        SDL_PushEvent(&event);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);

        graphics->clear();
        graphics->blit("pair.png", nullptr, &destination);
        EXPECT_EQ(test::read_pixel(*graphics, 3, 4), 0xFF0000FFu) << type;
        EXPECT_EQ(test::read_pixel(*graphics, 4, 4), 0x00FF00FFu) << type;
    }
}

// From the content folder found, wherever the game was started: here not the working folder's.
TEST_F(GraphicsImageTest, ReadsAnImagesPixelsFromTheContentFolder) {
    const std::filesystem::path art = content.root / "art";
    std::filesystem::create_directory(art);
    write_pair_image(art);
    graphics->config.content = (art / "").string();
    Graphics::Pixels pixels;
    ASSERT_TRUE(graphics->read_image("pair.png", pixels));
    EXPECT_EQ(pixels.width, 2);
    EXPECT_EQ(pixels.height, 1);
    EXPECT_EQ(pixels.at(0, 0), 0xFF0000FFu);
    EXPECT_EQ(pixels.at(1, 0), 0x00FF00FFu);
    EXPECT_FALSE(graphics->read_image("nothing.png", pixels));
}

// ---- Window ----

TEST_F(GraphicsTest, LeavingFullscreenRestoresTheConfiguredWindowSize) {
    graphics->config.scale = 2;
    SDL_SetWindowSize(graphics->window, 300, 200);  // as if the player had resized it

    graphics->toggle_fullscreen();
    EXPECT_TRUE(graphics->config.fullscreen);
    EXPECT_NE(SDL_GetWindowFlags(graphics->window) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0U);

    graphics->toggle_fullscreen();
    EXPECT_FALSE(graphics->config.fullscreen);
    EXPECT_EQ(SDL_GetWindowFlags(graphics->window) & SDL_WINDOW_FULLSCREEN, 0U);
    int w = 0, h = 0;
    SDL_GetWindowSize(graphics->window, &w, &h);
    EXPECT_EQ(w, 2 * kWidth);
    EXPECT_EQ(h, 2 * kHeight);
}

struct Placement {
    int window_w, window_h;
    SDL_Rect expected;
};

TEST(CanvasPlacement, WholeFactorsWhenTheWindowHoldsTheCanvasElseTheLargestFractionCentred) {
    const Placement cases[] = {
        {1280, 720, {0, 0, 1280, 720}},
        {1920, 1080, {320, 180, 1280, 720}},  // 1.5 times: stays at 1, letterboxed
        {2560, 1440, {0, 0, 2560, 1440}},
        {2600, 1500, {20, 30, 2560, 1440}},
        {3840, 1440, {640, 0, 2560, 1440}},  // wide: the height decides
        {1281, 2000, {0, 640, 1280, 720}},   // tall: the width decides
        {640, 360, {0, 0, 640, 360}},        // smaller: scaled down, not cropped
        {1000, 1000, {0, 219, 1000, 562}},   // bars above and below
        {1280, 700, {18, 0, 1244, 700}},     // a little short: bars at the sides
        {300, 2000, {0, 916, 300, 168}},
        {1, 1, {0, 0, 1, 0}},
    };
    for (const Placement& c : cases) {
        SCOPED_TRACE(std::to_string(c.window_w) + "x" + std::to_string(c.window_h));
        const SDL_Rect r = Graphics::canvas_placement(c.window_w, c.window_h, 1280, 720, true);
        EXPECT_EQ(r.x, c.expected.x);
        EXPECT_EQ(r.y, c.expected.y);
        EXPECT_EQ(r.w, c.expected.w);
        EXPECT_EQ(r.h, c.expected.h);
    }
    // Without whole factors the canvas always fills the window one way.
    const SDL_Rect free = Graphics::canvas_placement(1920, 1200, 1280, 720, false);
    EXPECT_EQ(free.x, 0);
    EXPECT_EQ(free.y, 60);
    EXPECT_EQ(free.w, 1920);
    EXPECT_EQ(free.h, 1080);
    const SDL_Rect none = Graphics::canvas_placement(0, 0, 1280, 720, true);
    EXPECT_EQ(none.w, 0);
    EXPECT_EQ(none.h, 0);
}

// What the window shows: a canvas painted white, after the window was resized, is white
// exactly where canvas_placement puts it and black around it.
TEST_F(GraphicsTest, ResizedWindowShowsTheWholeCanvasWhereThePlacementSays) {
    const std::pair<int, int> sizes[] = {{kWidth, kHeight},
                                         {3 * kWidth + 5, 2 * kHeight + 7},
                                         {kWidth / 2, kHeight / 2},
                                         {kWidth - 1, kHeight},
                                         {100, 100},
                                         {kWidth * 2, kHeight * 2}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        SDL_SetWindowSize(graphics->window, w, h);
        SDL_PumpEvents();
        graphics->fit_canvas();
        graphics->clear();
        graphics->draw_rect({0, 0}, {kWidth, kHeight}, kWhite, true);
        graphics->flip();

        SDL_Surface* shown = SDL_GetWindowSurface(graphics->window);
        ASSERT_NE(shown, nullptr) << SDL_GetError();
        ASSERT_EQ(shown->w, w);
        ASSERT_EQ(shown->h, h);
        ASSERT_EQ(shown->format->BytesPerPixel, 4);
        const SDL_Rect place = Graphics::canvas_placement(w, h, kWidth, kHeight, true);
        int wrong = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                uint32_t pixel = 0;
                std::memcpy(&pixel,
                            static_cast<const char*>(shown->pixels) + y * shown->pitch + 4 * x, 4);
                Uint8 r = 0, g = 0, b = 0;
                SDL_GetRGB(pixel, shown->format, &r, &g, &b);
                const bool inside =
                    x >= place.x && x < place.x + place.w && y >= place.y && y < place.y + place.h;
                const bool white = r == 255 && g == 255 && b == 255;
                const bool black = r == 0 && g == 0 && b == 0;
                if (inside ? !white : !black) ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0) << "placed at " << place.x << "," << place.y << " " << place.w << "x"
                            << place.h;
    }
}

}  // namespace
