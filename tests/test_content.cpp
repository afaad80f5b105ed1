// The images in content/: every file the game loads is there, loads, and holds every frame and
// glyph its users address; tiles fill exactly their hexagon, so the map has no gaps or seams.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/graphics.h"
#include "engine/text.h"
#include "game/view/centipede_view.h"
#include "game/view/map_view.h"
#include "game/view/sheets.h"
#include "game/view/worm_view.h"
#include "game/world/centipede.h"
#include "game/world/map.h"
#include "game/world/player.h"
#include "tests/support/support.h"

namespace {

constexpr int kFrame = Sheet::kFrameSize;
constexpr int kColumns = Sheet::kColumns;

struct SurfaceFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceFree>;

// content/<name> as 32-bit RGBA, or null.
Surface load(const std::string& name) {
    Surface raw(IMG_Load(("content/" + name).c_str()));
    if (!raw) return nullptr;
    return Surface(SDL_ConvertSurfaceFormat(raw.get(), SDL_PIXELFORMAT_RGBA32, 0));
}

uint8_t alpha(const SDL_Surface* s, int x, int y) {
    return static_cast<const uint8_t*>(s->pixels)[y * s->pitch + x * 4 + 3];
}

// Whether any pixel of the rectangle is not fully transparent.
bool any_ink(const SDL_Surface* s, int x0, int y0, int w, int h) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (alpha(s, x, y) > 0) return true;
    return false;
}

// The tile's pointy-top hexagon in its 32 by 32 frame, corners (16,0), (32,8), (32,24),
// (16,32), (0,24), (0,8): a pixel belongs to it when its centre lies inside.
bool in_hexagon(int x, int y) {
    const double px = x + 0.5, py = y + 0.5;
    return py > 8 - px / 2 && py > (px - 16) / 2 && py < 40 - px / 2 && py < 24 + px / 2;
}

class ContentTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const char* name : {TileSheet::kImage, WormSheet::kImage, PedeSheet::kImage,
                                 "text.png", "bigtext.png", ButtonSheet::kImage})
            images[name] = load(name);
    }
    static void TearDownTestSuite() { images.clear(); }

    static const SDL_Surface* image(const std::string& name) { return images.at(name).get(); }

    static inline std::map<std::string, Surface> images;
};

TEST_F(ContentTest, EveryImageLoadsWithRoomForItsHighestFrame) {
    struct Need {
        const char* name;
        int width, height;
    };
    // The sheets: every row the game addresses (tiles: frame 45 in row 5; worm: frame 123 in row
    // 15; pedes: frame 43 in row 5). Fonts: 16 cells per row, 6 rows for the characters 32 to 127.
    const auto sheet = [](const char* name, int rows) {
        return Need{name, kColumns * kFrame, rows * kFrame};
    };
    for (const Need& need :
         {sheet(TileSheet::kImage, TileSheet::kRows), sheet(WormSheet::kImage, WormSheet::kRows),
          sheet(PedeSheet::kImage, PedeSheet::kRows), Need{"text.png", 128, 96},
          Need{"bigtext.png", 384, 288},
          Need{ButtonSheet::kImage, ButtonSheet::kColumns * ButtonSheet::kCellSize,
               ButtonSheet::kRows * ButtonSheet::kCellSize}}) {
        SCOPED_TRACE(need.name);
        const SDL_Surface* s = image(need.name);
        ASSERT_NE(s, nullptr) << "content/" << need.name << " is missing or unreadable";
        EXPECT_GE(s->w, need.width);
        EXPECT_GE(s->h, need.height);
    }
}

TEST(Content, BackdropsLoadInTheCanvasShape) {
    for (const char* name : {"title.png", "gameover.png"}) {
        SCOPED_TRACE(name);
        const Surface s = load(name);
        ASSERT_NE(s, nullptr);
        // Stretched over 1280 by 720: anything of the same shape keeps its proportions.
        EXPECT_EQ(s->w * 9, s->h * 16);
        EXPECT_GE(s->w, 320);
        EXPECT_EQ(alpha(s.get(), 0, 0), 255);
        EXPECT_EQ(alpha(s.get(), s->w - 1, s->h - 1), 255);
    }
}

TEST(Content, IconsComeInEveryThemeSize) {
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const Surface s = load("icons/burrowgale-" + std::to_string(size) + ".png");
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->w, size);
        EXPECT_EQ(s->h, size);
        EXPECT_TRUE(any_ink(s.get(), 0, 0, size, size));
    }
}

TEST_F(ContentTest, TileFramesFillExactlyTheirHexagon) {
    const SDL_Surface* tiles = image("tiles.png");
    ASSERT_NE(tiles, nullptr);
    for (int kind = 0; kind < TileSheet::kKinds; ++kind)
        for (int variant = 0; variant < TileSheet::kVariants; ++variant)
            for (int y = 0; y < kFrame; ++y)
                for (int x = 0; x < kFrame; ++x)
                    ASSERT_EQ(alpha(tiles, kind * kFrame + x, variant * kFrame + y),
                              in_hexagon(x, y) ? 255 : 0)
                        << "kind " << kind << " look " << variant << " pixel (" << x << ", " << y
                        << ")";
}

TEST_F(ContentTest, FoodStaysInsideItsTile) {
    const SDL_Surface* tiles = image("tiles.png");
    ASSERT_NE(tiles, nullptr);
    for (int kind = 0; kind < TileSheet::kFoodKinds; ++kind) {
        SCOPED_TRACE(kind);
        const int frame = TileSheet::food_frame(kind);
        const int x0 = Sheet::column(frame) * kFrame, y0 = Sheet::row(frame) * kFrame;
        EXPECT_TRUE(any_ink(tiles, x0, y0, kFrame, kFrame));
        for (int y = 0; y < kFrame; ++y)
            for (int x = 0; x < kFrame; ++x)
                if (!in_hexagon(x, y)) {
                    ASSERT_EQ(alpha(tiles, x0 + x, y0 + y), 0) << x << ", " << y;
                }
    }
}

// Laid out as the map lays them (centres 32 px apart, rows 24 px apart shifted by 16), the
// opaque pixels of the tile frames cover a patch of the world exactly once.
TEST_F(ContentTest, TilesInterlockWithoutGapsOrOverlap) {
    const SDL_Surface* tiles = image("tiles.png");
    ASSERT_NE(tiles, nullptr);
    constexpr int kW = 160, kH = 120;
    std::vector<int> cover(kW * kH, 0);
    for (int r = -2; r <= kH / 24 + 2; ++r) {
        for (int q = -r / 2 - 3; q <= kW / 32 + 3; ++q) {
            const int frame = (q + 2 * r + 60) % 5 + kColumns * ((q * 7 + r * 3 + 60) % 6);
            const int left = 32 * q + 16 * r - 16, top = 24 * r - 16;
            for (int y = 0; y < kFrame; ++y)
                for (int x = 0; x < kFrame; ++x) {
                    const int wx = left + x, wy = top + y;
                    if (wx < 0 || wy < 0 || wx >= kW || wy >= kH) continue;
                    if (alpha(tiles, frame % kColumns * kFrame + x, frame / kColumns * kFrame + y) >
                        0)
                        ++cover[wy * kW + wx];
                }
        }
    }
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(cover[y * kW + x], 1) << "world pixel " << x << ", " << y;
}

// Every printable character has ink in its cell; the space cell is blank.
void expect_full_font(const SDL_Surface* font, int w, int h) {
    ASSERT_NE(font, nullptr);
    const Text text("unused", w, h);
    for (int c = 32; c <= 126; ++c) {
        const SDL_Rect cell = text.glyph_rect(static_cast<unsigned char>(c));
        ASSERT_LE(cell.x + cell.w, font->w);
        ASSERT_LE(cell.y + cell.h, font->h);
        EXPECT_EQ(any_ink(font, cell.x, cell.y, cell.w, cell.h), c != ' ')
            << "character " << static_cast<char>(c) << " (" << c << ")";
    }
}

TEST_F(ContentTest, SmallFontHasEveryPrintableCharacter) {
    expect_full_font(image("text.png"), 8, 16);
}

TEST_F(ContentTest, BigFontHasEveryPrintableCharacter) {
    expect_full_font(image("bigtext.png"), 24, 48);
}

// Every button a prompt can show has its picture, solid in the middle of its cell, and the
// families' face buttons differ: the player tells the pad in hand by them.
TEST_F(ContentTest, ButtonSheetHasEveryButtonInsideItsCell) {
    const SDL_Surface* sheet = image(ButtonSheet::kImage);
    ASSERT_NE(sheet, nullptr);
    constexpr int kCell = ButtonSheet::kCellSize;
    std::vector<int> cells;
    for (int family = 0; family < ButtonSheet::kFamilies; ++family)
        for (int button = ButtonSheet::kA; button <= ButtonSheet::kStart; ++button)
            cells.push_back(ButtonSheet::family_cell(family, button));
    for (int button = 0; button < ButtonSheet::kSharedButtons; ++button)
        cells.push_back(ButtonSheet::shared_cell(button));
    for (const int cell : cells) {
        SCOPED_TRACE(cell);
        const int x0 = cell % ButtonSheet::kColumns * kCell,
                  y0 = cell / ButtonSheet::kColumns * kCell;
        EXPECT_TRUE(any_ink(sheet, x0, y0, kCell, kCell));
        // Opaque in the middle, where the text's neighbours never reach.
        EXPECT_GT(alpha(sheet, x0 + kCell / 2, y0 + kCell / 2), 0);
    }
    const auto same = [&](int a, int b) {
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell * 4; ++x) {
                const auto* pixels = static_cast<const uint32_t*>(sheet->pixels);
                const int w = sheet->pitch / 4;
                if (pixels[(a * kCell + y) * w + x] != pixels[(b * kCell + y) * w + x])
                    return false;
            }
        return true;
    };
    for (int a = 0; a < ButtonSheet::kFamilies; ++a)
        for (int b = a + 1; b < ButtonSheet::kFamilies; ++b)
            EXPECT_FALSE(same(a, b)) << a << " " << b;
}

// The middle of the tile edge towards each direction, from the frame's centre (16, 16).
constexpr double kEdgeX[6] = {-8, 8, 16, 8, -8, -16};
constexpr double kEdgeY[6] = {-12, -12, 0, 12, 12, 0};

// Whether the frame is opaque just inside the middle of the edge towards `d`: where the worm's
// piece must meet its neighbour's.
bool reaches_edge(const SDL_Surface* sheet, int frame, int d) {
    const double len = std::hypot(kEdgeX[d], kEdgeY[d]);
    const int x = static_cast<int>(std::floor(16 + kEdgeX[d] - 1.5 * kEdgeX[d] / len));
    const int y = static_cast<int>(std::floor(16 + kEdgeY[d] - 1.5 * kEdgeY[d] / len));
    return alpha(sheet, frame % kColumns * kFrame + x, frame / kColumns * kFrame + y) == 255;
}

TEST_F(ContentTest, WormPiecesMeetTheirNeighboursAtTheEdges) {
    const SDL_Surface* worm = image("worm.png");
    ASSERT_NE(worm, nullptr);
    int pairs = 0;
    for (int front = 0; front < 6; ++front) {
        for (int back = 0; back < 6; ++back) {
            Player::Segment segment{
                {}, static_cast<Direction::Value>(front), static_cast<Direction::Value>(back)};
            const int head = WormView::head_frame(segment);
            if (head == WormSheet::kNoPiece) continue;
            ++pairs;
            SCOPED_TRACE(::testing::Message() << "front " << front << " back " << back);
            // A body piece is a tube from edge to edge; a head joins the body at its back.
            const int body = WormSheet::body_frame(front, back);
            const int tail = WormSheet::tail_frame(front, back);
            EXPECT_TRUE(reaches_edge(worm, body, front));
            EXPECT_TRUE(reaches_edge(worm, body, back));
            EXPECT_TRUE(reaches_edge(worm, head, back));
            // The tail joins the body at its front and ends in a tip, not a cut, at its back.
            EXPECT_TRUE(reaches_edge(worm, tail, front));
            EXPECT_FALSE(reaches_edge(worm, tail, back));
        }
    }
    EXPECT_EQ(pairs, 18);
    for (int ball : {WormSheet::kNoPiece, WormSheet::kNoPieceBody})
        EXPECT_TRUE(
            any_ink(worm, Sheet::column(ball) * kFrame, Sheet::row(ball) * kFrame, kFrame, kFrame))
            << ball;
}

// Two straight body pieces in neighbouring tiles, and a head after a body piece, make one
// unbroken tube: every pixel near the line between the two tile centres is covered.
TEST_F(ContentTest, WormSegmentsJoinWithoutAGap) {
    const SDL_Surface* worm = image("worm.png");
    ASSERT_NE(worm, nullptr);
    // Offsets of the neighbour's tile in each direction (NW, NE, E, SE, SW, W).
    constexpr int kStepX[6] = {-16, 16, 32, 16, -16, -32};
    constexpr int kStepY[6] = {-24, -24, 0, 24, 24, 0};
    for (int d = 0; d < 6; ++d) {
        const int opposite = (d + 3) % 6;
        Player::Segment straight{
            {}, static_cast<Direction::Value>(d), static_cast<Direction::Value>(opposite)};
        const int body = WormSheet::body_frame(d, opposite), head = WormView::head_frame(straight);
        for (int front_piece : {body, head}) {
            SCOPED_TRACE(::testing::Message() << "direction " << d << " frame " << front_piece);
            // Tile A at (64, 64), tile B its neighbour towards d; A is drawn at its draw
            // point (48, 48).
            const auto covered = [&](double wx, double wy) {
                for (const auto& [frame, left, top] :
                     {std::tuple{body, 48, 48},
                      std::tuple{front_piece, 48 + kStepX[d], 48 + kStepY[d]}}) {
                    const int x = static_cast<int>(std::floor(wx)) - left;
                    const int y = static_cast<int>(std::floor(wy)) - top;
                    if (x < 0 || y < 0 || x >= kFrame || y >= kFrame) continue;
                    if (alpha(worm, frame % kColumns * kFrame + x, frame / kColumns * kFrame + y) ==
                        255)
                        return true;
                }
                return false;
            };
            const double len = std::hypot(kStepX[d], kStepY[d]);
            const double ax = kStepX[d] / len, ay = kStepY[d] / len;
            // From A's centre to halfway into B, and 4 px to either side of that line.
            for (double t = 0; t <= len * 0.5 + 8; t += 0.5)
                for (double side = -4; side <= 4; side += 1)
                    ASSERT_TRUE(covered(64.5 + ax * t - ay * side, 64.5 + ay * t + ax * side))
                        << "gap at " << t << " along, " << side << " across";
        }
    }
}

// The game draws a centipede's upper and lower pieces half a cell towards the tail and one row
// up or down, over its middle piece: where two pieces overlap, they must show the same pixels.
TEST_F(ContentTest, CentipedePiecesAgreeWhereTheyOverlap) {
    const SDL_Surface* pedes = image("pedes.png");
    ASSERT_NE(pedes, nullptr);
    const auto pixel = [&](int frame, int x, int y) {
        const auto* p = static_cast<const uint8_t*>(pedes->pixels) +
                        (frame / kColumns * kFrame + y) * pedes->pitch +
                        (frame % kColumns * kFrame + x) * 4;
        return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
    };
    for (const PedeSheet::Pieces& set : {PedeSheet::kHead, PedeSheet::kBody, PedeSheet::kTail}) {
        SCOPED_TRACE(set.middle);
        int shared = 0;
        // Middle pixel (16 + x, y) is upper pixel (x, 24 + y) and lower pixel (x, y - 24).
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) {
                for (const auto& [piece, py, my] :
                     {std::tuple{set.upper, 24 + y, y}, std::tuple{set.lower, y, 24 + y}}) {
                    const uint32_t a = pixel(set.middle, 16 + x, my), b = pixel(piece, x, py);
                    if ((a & 0xFF) == 255 && (b & 0xFF) == 255) {
                        ++shared;
                        EXPECT_EQ(a, b) << "piece " << piece << " at " << x << ", " << py;
                    }
                }
            }
        EXPECT_GT(shared, 0);
    }
}

// The two large result lines (24 by 48 glyphs, light with dark outlines) are drawn centred at
// y 592 and 656 on the 1280 by 720 canvas: the results picture keeps that band dark and calm.
TEST(Content, ResultsPictureLeavesADarkBandForTheResults) {
    const Surface s = load("gameover.png");
    ASSERT_NE(s, nullptr);
    const double sx = s->w / 1280.0, sy = s->h / 720.0;
    double sum = 0, sum2 = 0;
    int n = 0;
    for (int y = static_cast<int>(592 * sy); y < static_cast<int>(704 * sy); ++y)
        for (int x = static_cast<int>(520 * sx); x < static_cast<int>(760 * sx); ++x) {
            const auto* p = static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * 4;
            const double luma = (0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2]) / 255.0;
            sum += luma;
            sum2 += luma * luma;
            ++n;
        }
    const double mean = sum / n, spread = std::sqrt(sum2 / n - mean * mean);
    EXPECT_LT(mean, 0.2);
    EXPECT_LT(spread, 0.1);
}

TEST_F(ContentTest, CentipedeHasEveryPieceAndLegFrame) {
    const SDL_Surface* pedes = image("pedes.png");
    ASSERT_NE(pedes, nullptr);
    std::vector<int> frames{PedeSheet::kTailTip};
    for (const PedeSheet::Pieces& p : {PedeSheet::kHead, PedeSheet::kBody, PedeSheet::kTail})
        frames.insert(frames.end(), {p.middle, p.upper, p.lower});
    for (int walk = 0; walk < PedeSheet::kWalkFrames; ++walk)
        frames.insert(frames.end(), {PedeSheet::leg_frame(0, walk),
                                     PedeSheet::leg_frame(PedeSheet::kWalkFrames, walk)});
    for (int f : frames)
        EXPECT_TRUE(any_ink(pedes, f % kColumns * kFrame, f / kColumns * kFrame, kFrame, kFrame))
            << "frame " << f;
    // The eight walking frames differ from each other, or the legs would not move.
    std::set<std::vector<uint8_t>> looks;
    for (int leg = 0; leg < 8; ++leg) {
        std::vector<uint8_t> mask;
        for (int y = 0; y < kFrame; ++y)
            for (int x = 0; x < kFrame; ++x) mask.push_back(alpha(pedes, leg * kFrame + x, y));
        looks.insert(mask);
    }
    EXPECT_EQ(looks.size(), 8u);
}

// Whatever the world's drawing code asks of a sheet lies inside it.
TEST_F(ContentTest, WorldDrawsOnlyFromInsideItsSheets) {
    auto graphics = test::make_graphics();
    ASSERT_TRUE(graphics->ok()) << graphics->error;
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;
    graphics->blit_log_only = true;

    Map map(1234);
    Player player(map);
    for (int i = 0; i < 40; ++i) map.food[{i, 20 + i % 7}] = i % 4;
    MapView().draw(*graphics, map, -640, 0);
    WormView().draw(*graphics, player, 0, 0);
    const CentipedeView pedes;
    for (int length : {1, 2, 6, 14}) {
        pedes.draw(*graphics, Centipede(GridPoint{3, 30}, length, Direction::W), 0, 0);
        pedes.draw(*graphics, Centipede(GridPoint{9, 31}, length, Direction::E), 0, 0);
    }
    ASSERT_FALSE(log.empty());
    for (const Graphics::BlitRecord& blit : log) {
        SCOPED_TRACE(blit.image);
        ASSERT_TRUE(images.count(blit.image)) << "unexpected image";
        const SDL_Surface* s = image(blit.image);
        ASSERT_NE(s, nullptr);
        EXPECT_GE(blit.source.x, 0);
        EXPECT_GE(blit.source.y, 0);
        EXPECT_LE(blit.source.x + blit.source.w, s->w);
        EXPECT_LE(blit.source.y + blit.source.h, s->h);
    }
}

}  // namespace
