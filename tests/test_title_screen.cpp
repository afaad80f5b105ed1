#include "game/screens/title_screen.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/audio.h"
#include "engine/input.h"
#include "game/app/command_line.h"
#include "game/screens/game_screen.h"
#include "game/screens/screen_flow.h"
#include "game/view/sheets.h"
#include "tests/support/support.h"

namespace {

using Button = Input::Button;

class Title : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SDL_InitSubSystem(SDL_INIT_AUDIO); }

    test::TempContentDir content;
    Audio audio{Audio::Config{}};
    Profile profile;  // no folders: nothing is read or written
    ScreenFlow flow{profile};
    TitleScreen title{flow};
    Input input;
};

TEST_F(Title, EveryGameButtonPressedThisFrameStartsAGameButFullscreenDoesNot) {
    EXPECT_TRUE(title.update(input, audio, 16));
    // Fullscreen only switches the window, which the main loop does on every screen.
    Input fullscreen;
    fullscreen.press(Button::Fullscreen);
    EXPECT_TRUE(title.update(fullscreen, audio, 16));
    for (const Button b : {Button::Up, Button::Down, Button::Left, Button::Right, Button::Start,
                           Button::A, Button::B, Button::X, Button::Y, Button::L, Button::R}) {
        TitleScreen fresh(flow);
        Input pressing;
        pressing.press(b);
        EXPECT_FALSE(fresh.update(pressing, audio, 16)) << static_cast<int>(b);
        std::unique_ptr<Screen> next(fresh.next_screen());
        const auto* game = dynamic_cast<GameScreen*>(next.get());
        ASSERT_NE(game, nullptr) << static_cast<int>(b);
        // Y is the daily dig's: the day's world, ranked or practice.
        EXPECT_EQ(game->daily != nullptr, b == Button::Y) << static_cast<int>(b);
    }
}

TEST_F(Title, EscapeQuitsAndSelectOpensTheOptionsEvenAmongOtherPresses) {
    Input escape;
    escape.press(Button::Escape);
    escape.press(Button::Start);
    EXPECT_FALSE(title.update(escape, audio, 16));
    EXPECT_EQ(title.choice, TitleScreen::Choice::Quit);
    EXPECT_EQ(title.next_screen(), nullptr);  // the end of the program

    TitleScreen other(flow);
    Input select;
    select.press(Button::Select);
    select.press(Button::Left);
    EXPECT_FALSE(other.update(select, audio, 16));
    EXPECT_EQ(other.choice, TitleScreen::Choice::Options);
}

TEST_F(Title, SeedFromTheCommandLinePlaysThatWorld) {
    CommandLine run;
    run.seed = 4242;
    ScreenFlow seeded(profile, run.seed);
    std::unique_ptr<Screen> first(seeded.play());
    std::unique_ptr<Screen> second(seeded.play());
    EXPECT_EQ(dynamic_cast<GameScreen&>(*first).world.recording.seed, 4242u);
    EXPECT_EQ(dynamic_cast<GameScreen&>(*second).world.recording.seed, 4242u);
}

TEST_F(Title, ButtonHeldFromBeforeDoesNotStartAGame) {
    input.held_buttons.insert(Button::Start);
    EXPECT_TRUE(title.update(input, audio, 16));
}

TEST_F(Title, BlinkCycleWrapsEvery844Ms) {
    title.update(input, audio, 1000);
    EXPECT_EQ(title.blink_timer, 156u);
    title.update(input, audio, 687);
    EXPECT_EQ(title.blink_timer, 843u);
    title.update(input, audio, 1);
    EXPECT_EQ(title.blink_timer, 0u);
}

TEST_F(Title, PromptShowsInTheCycleFirstHalfNearTheBottomOrAlwaysIfFlashingIsReduced) {
    auto graphics = test::make_graphics();
    graphics->blit_log_only = true;
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;

    title.blink_timer = 421;
    title.draw(*graphics);
    // The picture, then "Press any key"; no best yet; then the daily dig's time and key.
    const std::size_t daily = title.daily_left.size() + title.daily_prompt.size();
    ASSERT_EQ(log.size(), 1u + 13u + daily);
    EXPECT_EQ(log[0].image, "title.png");
    EXPECT_TRUE(log[0].whole_destination);
    EXPECT_EQ(log[1].image, "text.png");
    EXPECT_EQ(log[1].destination.x, 640 - 4 * 13);
    EXPECT_EQ(log[1].destination.y, 720 - 48);

    log.clear();
    title.blink_timer = 422;
    title.draw(*graphics);
    EXPECT_EQ(log.size(), 1u + daily);

    profile.settings.reduce_flashing = true;
    TitleScreen steady(flow);
    steady.blink_timer = 422;
    log.clear();
    steady.draw(*graphics);
    EXPECT_EQ(log.size(), 1u + 13u + daily);
    graphics->blit_log = nullptr;
}

// With a controller in hand the prompts show its buttons, drawn from the button sheet inline
// with the text and two characters wide, so that the lines keep their alignment; the first
// key press brings the keys back.
TEST_F(Title, PromptsShowTheButtonsOfTheControllerInHand) {
    auto graphics = test::make_graphics();
    graphics->blit_log_only = true;
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;
    title.blink_timer = 0;

    input.last_device = Input::Device::PlayStation;
    EXPECT_TRUE(title.update(input, audio, 16));
    EXPECT_EQ(title.start_prompt, "Press any button");
    title.draw(*graphics);
    // The daily dig is Y, on SDL's X button by default: the square, right-aligned at 16 px
    // from the edge, then ": daily dig".
    const int square = ButtonSheet::family_cell(ButtonSheet::kPlayStation, ButtonSheet::kX);
    std::vector<Graphics::BlitRecord> pictures;
    for (const auto& blit : log)
        if (blit.image == ButtonSheet::kImage) pictures.push_back(blit);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].source.x, square % ButtonSheet::kColumns * ButtonSheet::kCellSize);
    EXPECT_EQ(pictures[0].source.y, square / ButtonSheet::kColumns * ButtonSheet::kCellSize);
    EXPECT_EQ(pictures[0].source.w, ButtonSheet::kCellSize);
    const std::string rest = ": daily dig";
    EXPECT_EQ(pictures[0].destination.x, 1280 - 16 - 8 * static_cast<int>(2 + rest.size()));
    EXPECT_EQ(pictures[0].destination.y, 36);
    EXPECT_EQ(pictures[0].destination.w, 16);
    EXPECT_EQ(pictures[0].destination.h, 16);
    EXPECT_EQ(log.back().destination.x, 1280 - 16 - 8);  // the last character ends the line

    Input keys;
    keys.last_device = Input::Device::Keys;
    EXPECT_TRUE(title.update(keys, audio, 16));
    EXPECT_EQ(title.start_prompt, "Press any key");
    log.clear();
    title.draw(*graphics);
    for (const auto& blit : log) EXPECT_NE(blit.image, ButtonSheet::kImage);
    graphics->blit_log = nullptr;
}

TEST_F(Title, ShowsTheBestDepthOnceThereIsARecord) {
    profile.records.add(Record{3.25, 9.5, "2026-01-02T03:04:05.678Z", 1, 60.0, {}});
    profile.records.add(Record{1.5, 20.0, "2026-01-02T03:04:06.678Z", 2, 60.0, {}});
    auto graphics = test::make_graphics();
    graphics->blit_log_only = true;
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;
    title.blink_timer = 422;
    title.draw(*graphics);
    const std::string line = "Best depth: 3.25m";
    ASSERT_EQ(log.size(), 1u + line.size() + title.daily_left.size() + title.daily_prompt.size());
    EXPECT_EQ(log[1].destination.x, 640 - 4 * static_cast<int>(line.size()));
    EXPECT_EQ(log[1].destination.y, 720 - 96);
    EXPECT_EQ(log[1].source.x, ('B' % 16) * 8);  // the line starts with its label
    graphics->blit_log = nullptr;
}

}  // namespace
