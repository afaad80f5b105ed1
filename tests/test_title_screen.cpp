#include "game/title_screen.h"

#include <gtest/gtest.h>

#include <memory>

#include "engine/audio.h"
#include "engine/input.h"
#include "game/game_screen.h"
#include "tests/support/support.h"

namespace {

using Button = Input::Button;

class Title : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SDL_InitSubSystem(SDL_INIT_AUDIO); }

    test::TempContentDir content;
    Audio audio{Audio::Config{}};
    TitleScreen title;
    Input input;
};

TEST_F(Title, EveryButtonPressedThisFrameStartsAGame) {
    EXPECT_TRUE(title.update(input, audio, 16));
    for (const Button b :
         {Button::Up, Button::Down, Button::Left, Button::Right, Button::Start, Button::Select,
          Button::A, Button::B, Button::X, Button::Y, Button::L, Button::R, Button::Fullscreen}) {
        Input pressing;
        pressing.press(b);
        EXPECT_FALSE(title.update(pressing, audio, 16)) << static_cast<int>(b);
    }
    std::unique_ptr<Screen> next(title.next_screen());
    EXPECT_NE(dynamic_cast<GameScreen*>(next.get()), nullptr);
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

TEST_F(Title, PromptShowsInTheFirstHalfOfTheCycleCentredNearTheBottom) {
    auto graphics = test::make_graphics();
    graphics->blit_log_only = true;
    std::vector<Graphics::BlitRecord> log;
    graphics->blit_log = &log;

    title.blink_timer = 421;
    title.draw(*graphics);
    ASSERT_EQ(log.size(), 1u + 13u);  // the picture, then "Press any key"
    EXPECT_EQ(log[0].image, "title.png");
    EXPECT_TRUE(log[0].whole_destination);
    EXPECT_EQ(log[1].image, "text.png");
    EXPECT_EQ(log[1].destination.x, 640 - 4 * 13);
    EXPECT_EQ(log[1].destination.y, 720 - 48);

    log.clear();
    title.blink_timer = 422;
    title.draw(*graphics);
    EXPECT_EQ(log.size(), 1u);
    graphics->blit_log = nullptr;
}

}  // namespace
