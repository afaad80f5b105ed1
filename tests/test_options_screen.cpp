#include "game/screens/options_screen.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/audio.h"
#include "engine/game.h"
#include "game/app/command_line.h"
#include "game/screens/game_screen.h"
#include "game/screens/prompts.h"
#include "game/screens/screen_flow.h"
#include "game/screens/title_screen.h"
#include "game/view/sheets.h"
#include "tests/support/support.h"
#include "tools/support/headless.h"

namespace fs = std::filesystem;

namespace {

using Button = Input::Button;
using Entry = OptionsScreen::Entry;

// A whole run of the game as main makes it, from the given folders, under the dummy drivers.
struct Session {
    Session(const fs::path& data, const fs::path& config)
        : profile(data, config), game(config_for(profile.settings)), flow(profile, {}, &game) {
        flow.apply_bindings();
    }
    static Game::Config config_for(const Settings& settings) {
        Game::Config c = CommandLine().game_config(settings);
        headless::make_headless(c.graphics);
        return c;
    }

    Profile profile;
    Game game;
    ScreenFlow flow;
};

void push_key(SDL_Scancode key) {
    for (const bool down : {true, false}) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = key;
        SDL_PushEvent(&event);
    }
}

// One key press, as the player makes it, answered within one step.
void press(Session& run, SDL_Scancode key) {
    push_key(key);
    ASSERT_TRUE(run.game.step());
}

template <typename T>
T* current(Session& run) {
    return dynamic_cast<T*>(run.game.screen.get());
}

TEST(OptionsThroughTheGame, VolumeAndANewKeyForLeftOutliveTheGame) {
    test::TempContentDir content;
    test::TempFolder home;
    const fs::path data = home.path / "data";
    const fs::path config = home.path / "config";
    {
        Session run(data, config);
        ASSERT_TRUE(run.game.start(run.flow.title()));
        press(run, SDL_SCANCODE_TAB);
        ASSERT_NE(current<OptionsScreen>(run), nullptr);

        for (int i = 0; i < 3; ++i) press(run, SDL_SCANCODE_LEFT);  // music 10 -> 7
        EXPECT_EQ(run.profile.settings.music_volume, 7);
        EXPECT_EQ(Mix_VolumeMusic(-1), 7 * 128 / 10);  // heard at once

        for (int i = 0; i < 4; ++i) press(run, SDL_SCANCODE_DOWN);
        press(run, SDL_SCANCODE_RETURN);  // Controls
        ASSERT_EQ(current<OptionsScreen>(run)->page, OptionsScreen::Page::Controls);
        press(run, SDL_SCANCODE_DOWN);
        press(run, SDL_SCANCODE_DOWN);
        press(run, SDL_SCANCODE_RETURN);  // Turn left
        EXPECT_EQ(current<OptionsScreen>(run)->waiting, Button::Left);
        press(run, SDL_SCANCODE_Q);
        EXPECT_EQ(current<OptionsScreen>(run)->waiting, Button::None);
        EXPECT_EQ(run.game.input.keybind(SDL_SCANCODE_Q), Button::Left);  // in use at once
        EXPECT_FALSE(fs::exists(config / "settings.txt"));                // saved only on leaving

        press(run, SDL_SCANCODE_ESCAPE);  // back to the main page
        ASSERT_NE(current<OptionsScreen>(run), nullptr);
        press(run, SDL_SCANCODE_ESCAPE);  // leaves, saving
        ASSERT_NE(current<TitleScreen>(run), nullptr);
        EXPECT_TRUE(fs::exists(config / "settings.txt"));
    }
    Session again(data, config);
    EXPECT_EQ(again.game.input.keybind(SDL_SCANCODE_Q), Button::Left);
    EXPECT_EQ(again.game.input.keybind(SDL_SCANCODE_LEFT), Button::None);
    EXPECT_EQ(again.game.input.keybind(SDL_SCANCODE_ESCAPE), Button::Escape);
    ASSERT_TRUE(again.game.start(again.flow.title()));
    EXPECT_EQ(again.game.audio->music_level, 7);
    EXPECT_EQ(Mix_VolumeMusic(-1), 7 * 128 / 10);
}

// F switches the window and the setting as one, saved at once; the options show the window as
// it is, even when the command line chose it for this run, and their first change switches it.
TEST(OptionsThroughTheGame, FullscreenIsOneTruthForTheWindowTheSettingAndTheOptions) {
    test::TempContentDir content;
    test::TempFolder home;
    const fs::path data = home.path / "data";
    const fs::path config = home.path / "config";
    const auto shows = [](Session& run, const std::string& value) {
        const OptionsScreen* options = current<OptionsScreen>(run);
        return options != nullptr &&
               options->menu.entries[static_cast<int>(Entry::Fullscreen)].find(
                   "< " + value + " >") != std::string::npos;
    };
    {
        Session run(data, config);
        run.game.config.graphics.fullscreen = true;  // as --fullscreen makes it, for this run
        ASSERT_TRUE(run.game.start(run.flow.title()));
        press(run, SDL_SCANCODE_TAB);
        EXPECT_TRUE(shows(run, "On"));
        press(run, SDL_SCANCODE_DOWN);
        press(run, SDL_SCANCODE_DOWN);
        press(run, SDL_SCANCODE_RIGHT);
        EXPECT_FALSE(run.game.graphics->config.fullscreen);
        EXPECT_FALSE(run.profile.settings.fullscreen);
        EXPECT_TRUE(shows(run, "Off"));

        press(run, SDL_SCANCODE_F);
        EXPECT_TRUE(run.game.graphics->config.fullscreen);
        EXPECT_TRUE(run.profile.settings.fullscreen);
        EXPECT_TRUE(shows(run, "On"));
        EXPECT_NE(test::read_file(config / "settings.txt").find("fullscreen = yes\n"),
                  std::string::npos);

        press(run, SDL_SCANCODE_ESCAPE);
        ASSERT_NE(current<TitleScreen>(run), nullptr);
        press(run, SDL_SCANCODE_F);
        EXPECT_FALSE(run.game.graphics->config.fullscreen);
        EXPECT_NE(current<TitleScreen>(run), nullptr);  // and no game started
    }
    Session again(data, config);
    EXPECT_FALSE(again.profile.settings.fullscreen);
    EXPECT_FALSE(again.game.config.graphics.fullscreen);
}

// The screen on its own, fed logical buttons as a controller gives them.
class Options : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SDL_InitSubSystem(SDL_INIT_AUDIO); }

    void press(Button b) {
        input.pressed_buttons.clear();
        input.pressed_keys.clear();
        input.pressed_pad_buttons.clear();
        input.press(b);
        still_open = options.update(input, audio, 16);
    }
    void press_pad_button(int button) {
        input.pressed_buttons.clear();
        input.pressed_keys.clear();
        input.pressed_pad_buttons = {button};
        still_open = options.update(input, audio, 16);
    }

    test::TempContentDir content;
    Audio audio{Audio::Config{}};
    Profile profile;
    ScreenFlow flow{profile};
    OptionsScreen options{flow};
    Input input;
    bool still_open = true;
};

TEST_F(Options, AControllerAloneRebindsAndLeaves) {
    for (int i = 0; i < 4; ++i) press(Button::Down);
    press(Button::B);  // the south face button selects
    ASSERT_EQ(options.page, OptionsScreen::Page::Controls);
    for (int i = 0; i < 4; ++i) press(Button::Down);
    press(Button::B);  // Pause, resume, select
    ASSERT_EQ(options.waiting, Button::Start);
    press_pad_button(SDL_CONTROLLER_BUTTON_Y);
    EXPECT_EQ(profile.settings.pad_buttons_of(Button::Start),
              std::vector<int>{SDL_CONTROLLER_BUTTON_Y});
    EXPECT_EQ(profile.settings.pad_buttons_of(Button::X),
              std::vector<int>{SDL_CONTROLLER_BUTTON_START});  // swapped, not lost
    press(Button::Select);                                     // Back: to the main page
    EXPECT_EQ(options.page, OptionsScreen::Page::Main);
    EXPECT_TRUE(still_open);
    press(Button::Select);  // and out
    EXPECT_FALSE(still_open);
    std::unique_ptr<Screen> next(options.next_screen());
    EXPECT_NE(dynamic_cast<TitleScreen*>(next.get()), nullptr);
}

TEST_F(Options, EscapeCancelsWaitingForAKey) {
    options.page = OptionsScreen::Page::Controls;
    options.waiting = Button::Right;
    const auto before = profile.settings.keys;
    input.pressed_buttons.clear();
    input.pressed_keys = {SDL_SCANCODE_ESCAPE};
    options.update(input, audio, 16);
    EXPECT_EQ(options.waiting, Button::None);
    EXPECT_EQ(profile.settings.keys, before);
    EXPECT_EQ(options.page, OptionsScreen::Page::Controls);  // only the wait ended
}

TEST_F(Options, ValuesStayInRangeEffectsPlayASampleResetRestoresDefaults) {
    press(Button::Right);
    EXPECT_EQ(profile.settings.music_volume, 10);
    for (int i = 0; i < 12; ++i) press(Button::Left);
    EXPECT_EQ(profile.settings.music_volume, 0);
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);

    press(Button::Down);
    EXPECT_TRUE(audio.samples.empty());
    press(Button::Left);
    EXPECT_EQ(profile.settings.effects_volume, 9);
    ASSERT_EQ(audio.samples.size(), 1u);  // a yum at the new level
    EXPECT_EQ(audio.samples.begin()->first.substr(0, 11), "content/yum");

    press(Button::Down);
    press(Button::Start);
    EXPECT_TRUE(profile.settings.fullscreen);
    press(Button::Down);
    press(Button::Left);
    EXPECT_EQ(profile.settings.shake, 90);
    EXPECT_NE(options.menu.entries[static_cast<int>(Entry::Shake)].find("< 90% >"),
              std::string::npos);

    for (int i = 0; i < 2; ++i) press(Button::Down);
    press(Button::Start);  // Reset to defaults
    EXPECT_EQ(profile.settings.music_volume, 10);
    EXPECT_EQ(profile.settings.effects_volume, 10);
    EXPECT_FALSE(profile.settings.fullscreen);
    EXPECT_EQ(profile.settings.shake, 100);
    EXPECT_EQ(Mix_VolumeMusic(-1), 128);
    EXPECT_NE(options.menu.entries[0].find("< 10 >"), std::string::npos);
}

// The prompts name what is bound for the device used last, on the options pages and on the
// pause and results overlays: keys by name, a controller's buttons as pictures of its family.
TEST_F(Options, PromptsNameTheKeysOrButtonsAsBoundForTheDeviceInHand) {
    using Device = Input::Device;
    using Sheet = ButtonSheet;
    EXPECT_EQ(options.moves_prompt, "Up, Down: choose    Left, Right: change");
    EXPECT_EQ(options.main_prompt, "Return: select    Escape: save and leave");
    profile.settings.rebind_key(Button::Start, SDL_SCANCODE_P);
    profile.settings.rebind_key(Button::Up, SDL_SCANCODE_I);  // no arrow left for Up
    profile.settings.rebind_pad(Button::Select, SDL_CONTROLLER_BUTTON_Y);
    options.refresh();
    const auto dpad = [](int button) { return Text::picture(Sheet::shared_cell(button)); };
    const std::string pad_moves = dpad(Sheet::kDpadUp) + ", " + dpad(Sheet::kDpadDown) +
                                  ": choose    " + dpad(Sheet::kDpadLeft) + ", " +
                                  dpad(Sheet::kDpadRight) + ": change";
    struct Case {
        Device device;
        int family;  // of the button sheet
    };
    for (const Case& c :
         {Case{Device::Keys, -1}, Case{Device::Xbox, Sheet::kXbox},
          Case{Device::PlayStation, Sheet::kPlayStation}, Case{Device::Nintendo, Sheet::kNintendo},
          Case{Device::Pad, Sheet::kGeneric}}) {
        SCOPED_TRACE(static_cast<int>(c.device));
        const bool keys = c.device == Device::Keys;
        const auto button = [&](int column) {
            return Text::picture(Sheet::family_cell(c.family, column));
        };
        const std::string start = keys ? "P" : button(Sheet::kStart);
        const std::string back = keys ? "Escape" : button(Sheet::kY);
        input.last_device = c.device;
        press(Button::None);
        EXPECT_EQ(options.moves_prompt,
                  keys ? "I, Down: choose    Left, Right: change" : pad_moves);
        EXPECT_EQ(options.main_prompt, start + ": select    " + back + ": save and leave");
        EXPECT_EQ(options.controls_prompt, start + ": change    " + back + ": back");
        // Any controller button is taken as the new one: only the key cancels.
        EXPECT_EQ(options.waiting_prompt, "Escape: cancel");
        GameScreen game(7, &flow);
        EXPECT_TRUE(game.update(input, audio, 16));
        EXPECT_EQ(game.pause_prompt, start + ": resume    " + back + ": give up");
        EXPECT_EQ(game.results_prompt, start + ": continue");
    }
    // A button the sheet has no picture of is named; so is a key an action no button does.
    EXPECT_EQ(Prompts::pad_button(Device::Xbox, SDL_CONTROLLER_BUTTON_PADDLE1), "Paddle 1");
    EXPECT_EQ(Prompts(profile.settings, Device::Xbox).of(Button::Fullscreen), "F");
}

TEST_F(Options, EveryRowFitsThePanel) {
    profile.settings.rebind_key(Button::Left, SDL_SCANCODE_KP_MEMSUBTRACT);
    profile.settings.keys[SDL_SCANCODE_KP_MEMMULTIPLY] = Button::Left;
    options.refresh();
    for (const std::string& row : options.controls.entries) {
        EXPECT_LE(16 + 8 * static_cast<int>(row.size()), 1008 - 304 - 16) << row;
    }
}

}  // namespace
