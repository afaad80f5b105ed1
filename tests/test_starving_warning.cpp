// The starving warning: its box holds its lines at every text scale; a starving game drawn frame
// by frame through the real renderer and content, measured region by region, flashes no more
// than three times in any second when the player reduces flashing, and its warning blinks only
// when they do not.
#include "game/view/starving_warning.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/input.h"
#include "game/screens/game_screen.h"
#include "game/screens/screen_flow.h"
#include "tests/support/flashes.h"
#include "tests/support/layout.h"
#include "tests/support/support.h"

namespace {

constexpr int kFps = 60;

TEST(FlashMeasure, LuminanceOfReferenceColoursAndQuartersOfTheCanvas) {
    EXPECT_DOUBLE_EQ(test::relative_luminance(0x000000FF), 0.0);
    EXPECT_NEAR(test::relative_luminance(0xFFFFFFFF), 1.0, 1e-12);
    EXPECT_NEAR(test::relative_luminance(0xFF0000FF), 0.2126, 1e-12);
    EXPECT_NEAR(test::relative_luminance(0x808080FF), 0.2158605, 1e-6);  // sRGB mid grey
    for (const auto& r : test::quarter_regions(1280, 720)) {
        EXPECT_EQ(r.w * r.h, 1280 * 720 / 4);
        EXPECT_TRUE(test::check_layout({{"region", r}}, {0, 0, 1280, 720}).empty());
    }
    // White, black, red; black, mid grey, black.
    const std::vector<uint32_t> canvas{0xFFFFFFFF, 0x000000FF, 0xFF0000FF,
                                       0x000000FF, 0x808080FF, 0x000000FF};
    const std::vector<double> means =
        test::mean_luminances(canvas, 3, {{0, 0, 3, 2}, {0, 0, 1, 1}, {1, 1, 2, 1}, {1, 0, 2, 1}});
    ASSERT_EQ(means.size(), 4u);
    EXPECT_NEAR(means[0], (1.0 + 0.2126 + 0.2158605) / 6, 1e-6);
    EXPECT_NEAR(means[1], 1.0, 1e-12);
    EXPECT_NEAR(means[2], 0.2158605 / 2, 1e-6);
    EXPECT_NEAR(means[3], 0.2126 / 2, 1e-12);
}

TEST(FlashMeasure, CountsPairsOfOpposingChangesInAnyOneSecond) {
    // Three seconds of 60 frames each, from a luminance per frame.
    const auto series = [](auto at) {
        std::vector<double> s;
        for (int f = 0; f < 3 * kFps; ++f) s.push_back(at(f));
        return s;
    };
    const auto square = [](int frames_per_half, double low, double high) {
        return [=](int f) { return (f / frames_per_half) % 2 == 0 ? low : high; };
    };
    struct Case {
        const char* what;
        std::vector<double> frames;
        int flashes;
    };
    const Case cases[] = {
        {"3 a second, dark to mid", series(square(10, 0.0, 0.5)), 3},
        {"5 a second", series(square(6, 0.1, 0.3)), 5},
        {"changes of just a tenth", series(square(6, 0.0, 0.1)), 5},
        {"changes just under a tenth", series(square(6, 0.0, 0.099)), 0},
        {"between two bright levels", series(square(6, 0.85, 1.0)), 0},
        {"a fade is one change", series([](int f) { return std::min(f, kFps) / double{kFps}; }), 0},
        {"a fade down then up within a second is one flash",
         series([](int f) { return f < kFps ? 0.6 - 0.01 * f : 0.01 * (f - kFps); }), 1},
        {"a flicker that drifts upwards, never back by a tenth",
         series([](int f) { return 0.002 * f + (f % 2) * 0.05; }), 0},
        {"steady", series([](int) { return 0.4; }), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(test::most_flashes(c.frames, kFps), c.flashes) << c.what;
    }
    // A change is counted once, however long the swing goes on.
    EXPECT_EQ(test::luminance_changes({0.0, 0.05, 0.1, 0.4, 0.9, 0.2, 0.15, 0.3}),
              (std::vector<int>{2, 5, 7}));
}

TEST(StarvingWarning, BoxHoldsItsSignAndLinesInsideTheCanvasAtEveryTextScale) {
    auto graphics = test::make_graphics();
    graphics->blit_log_only = true;
    const StarvingWarning warning;
    for (const double scale : {1.0, 1.25, 1.5, 1.75, 2.0}) {
        Text text("text.png", 8, 16);
        text.scale = scale;
        std::vector<DrawnText> drawn;
        graphics->text_log = &drawn;
        warning.draw(*graphics, text, 1.6, 0);
        graphics->text_log = nullptr;
        SCOPED_TRACE(scale);
        const auto l = StarvingWarning::layout(text, StarvingWarning::figure(1.6));
        ASSERT_EQ(drawn.size(), 2u);
        EXPECT_EQ(drawn[0].text, StarvingWarning::kHeading);
        EXPECT_EQ(drawn[1].text, "Length: 0.80cm, game over at 0.50cm");
        drawn.push_back({"the sign", l.sign});
        for (const std::string& problem : test::check_layout(drawn, l.box))
            ADD_FAILURE() << problem;
        // Inside the canvas, clear of the glow and its dashes.
        const int border = StarvingWarning::kBorderWidth;
        EXPECT_TRUE(
            test::check_layout({{"box", l.box}}, {border, border, 1280 - border, 720 - border})
                .empty());
    }
}

// A game drawn frame by frame at 60 frames a second with the game's own pictures (the working
// folder is the source tree), its canvas read back after every frame.
class Flashing : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SDL_InitSubSystem(SDL_INIT_AUDIO); }

    using State = World::State;
    struct Frames {
        std::vector<std::vector<double>> quarters;  // per region of quarter_regions, per frame
        std::vector<double> sign;                   // the warning sign's own area
        bool bitten = false;
        State end = State::Playing;
    };

    // `seconds` of a game whose worm, once underground, is nearly starved; with `centipedes`,
    // two of them start close by and one bites.
    Frames play(bool reduce_flashing, bool centipedes, int seconds) {
        profile.settings.reduce_flashing = reduce_flashing;
        GameScreen screen(31, &flow);
        for (int f = 0; f < 3 * kFps; ++f) step(screen, f);  // down from the sky first
        screen.world.player.length = 1.6;
        if (centipedes) {
            // One crawling across the worm's way three cells ahead, which bites in about a
            // second, so that the fade and the results come within the frames measured; one
            // along the worm's row behind it.
            const Player::Segment& head = screen.world.player.segments.front();
            const GridPoint ahead =
                head.position.apply(head.front).apply(head.front).apply(head.front);
            screen.world.centipedes.emplace_back(GridPoint{ahead.q - 10, ahead.r}, 14,
                                                 Direction::E);
            screen.world.centipedes.emplace_back(GridPoint{head.position.q + 12, head.position.r},
                                                 6, Direction::W);
        }
        const auto regions = test::quarter_regions(kWidth, kHeight);
        const Graphics::PixelRect sign =
            StarvingWarning::layout(screen.text, StarvingWarning::figure(1.6)).sign;
        std::vector<Graphics::PixelRect> measured = regions;
        measured.push_back(sign);
        Frames frames;
        frames.quarters.resize(regions.size());
        for (int f = 0; f < seconds * kFps; ++f) {
            step(screen, f);
            for (const GameEvent e : screen.world.events) {
                if (e == GameEvent::Bitten) frames.bitten = true;
            }
            graphics->clear();
            screen.draw(*graphics);
            const std::vector<double> means =
                test::mean_luminances(test::read_canvas(*graphics), kWidth, measured);
            for (std::size_t r = 0; r < regions.size(); ++r) frames.quarters[r].push_back(means[r]);
            frames.sign.push_back(means.back());
        }
        frames.end = screen.world.state;
        return frames;
    }
    // 17, 17, 16 ms: three frames in 50 ms.
    void step(GameScreen& screen, int frame) {
        screen.update(input, audio, frame % 3 == 2 ? 16 : 17);
    }

    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 720;
    std::unique_ptr<Graphics> graphics = test::make_graphics(kWidth, kHeight);
    Audio audio{Audio::Config{}};
    Input input;
    Profile profile;  // no folders: records are kept in memory only
    ScreenFlow flow{profile};
};

TEST_F(Flashing, AStarvingGameWithReducedFlashingStaysWithinThreeFlashesASecond) {
    const char* region_names[] = {"top left", "top right", "bottom left", "bottom right", "centre",
                                  "top",      "bottom",    "left",        "right"};
    for (const bool centipedes : {false, true}) {
        const Frames frames = play(true, centipedes, 4);
        for (std::size_t r = 0; r < frames.quarters.size(); ++r) {
            EXPECT_LE(test::most_flashes(frames.quarters[r], kFps), test::kMostFlashesPerSecond)
                << region_names[r] << (centipedes ? ", centipedes about" : "");
        }
        if (centipedes) {
            // The shake, the bite and the fade after it are part of what was measured.
            EXPECT_TRUE(frames.bitten);
            EXPECT_EQ(frames.end, State::GameOver);
        } else {
            // Starving all along, and the warning's sign held still all along, solid: about a
            // third of white's luminance, where the dark box alone is near black.
            EXPECT_EQ(frames.end, State::Playing);
            EXPECT_TRUE(test::luminance_changes(frames.sign).empty());
            EXPECT_GT(frames.sign.front(), 0.25);
        }
    }
}

TEST_F(Flashing, WithoutReducedFlashingTheWarningBlinks) {
    const Frames frames = play(false, false, 3);
    EXPECT_EQ(frames.end, State::Playing);
    // Two changes a blink, a blink each 800 ms of play: seven in three seconds.
    EXPECT_GE(test::luminance_changes(frames.sign).size(), 6u);
}

}  // namespace
