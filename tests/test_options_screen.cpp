#include "game/screens/options_screen.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/audio.h"
#include "engine/game.h"
#include "game/app/command_line.h"
#include "game/screens/game_screen.h"
#include "game/screens/prompts.h"
#include "game/screens/screen_flow.h"
#include "game/screens/title_screen.h"
#include "game/view/sheets.h"
#include "tests/support/layout.h"
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

// One key press, as the player makes it, answered within one step.
void press(Session& run, SDL_Scancode key) {
    test::push_key(key, true);
    test::push_key(key, false);
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

        for (int i = 0; i < 3; ++i) press(run, SDL_SCANCODE_DOWN);
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
               options->row(Entry::Fullscreen).find("< " + value + " >") != std::string::npos;
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

// Keeps the requests it is given and answers none.
class KeptHttp : public Http {
public:
    explicit KeptHttp(std::vector<HttpRequest>& sent_) : sent(sent_) {}
    void send(HttpRequest request, Done) override { sent.push_back(std::move(request)); }
    std::vector<HttpRequest>& sent;
};

// A key typed into an entry: its press and the text SDL makes of it.
void type_key(Session& run, SDL_Scancode key, const char* text) {
    test::push_key(key, true);
    test::push_key(key, false);
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, text, sizeof event.text.text - 1);
    SDL_PushEvent(&event);
    ASSERT_TRUE(run.game.step());
}

// A server typed on the options is saved and used by the daily dig from the title on; what is
// typed stays text ("f" does not switch the window).
TEST(OptionsThroughTheGame, ATypedServerServesTheDailyDigOnceTheOptionsAreLeft) {
    test::TempContentDir content;
    test::TempFolder home;
    std::vector<HttpRequest> sent;
    Session run(home.path / "data", home.path / "config");
    run.flow.use_http(std::make_unique<KeptHttp>(sent));
    ASSERT_TRUE(run.game.start(run.flow.title()));
    EXPECT_TRUE(sent.empty());  // no server yet
    press(run, SDL_SCANCODE_TAB);
    for (int i = 0; i < 6; ++i) press(run, SDL_SCANCODE_DOWN);
    press(run, SDL_SCANCODE_RETURN);  // Daily dig
    press(run, SDL_SCANCODE_RETURN);  // Leaderboard server
    OptionsScreen* options = current<OptionsScreen>(run);
    ASSERT_NE(options, nullptr);
    ASSERT_EQ(options->editing, Entry::Server);
    for (const char c : std::string("https://dig.fun")) {
        const char typed[] = {c, '\0'};
        type_key(run, c == 'f' ? SDL_SCANCODE_F : SDL_SCANCODE_UNKNOWN, typed);
    }
    EXPECT_FALSE(run.game.graphics->config.fullscreen);
    press(run, SDL_SCANCODE_RETURN);
    EXPECT_FALSE(options->editing);
    EXPECT_EQ(run.profile.settings.leaderboard_url, "https://dig.fun");

    EXPECT_TRUE(sent.empty());  // nothing sent before the player leaves

    press(run, SDL_SCANCODE_ESCAPE);
    press(run, SDL_SCANCODE_ESCAPE);
    ASSERT_NE(current<TitleScreen>(run), nullptr);
    EXPECT_NE(test::read_file(home.path / "config" / "settings.txt")
                  .find("leaderboard_url = https://dig.fun\n"),
              std::string::npos);
    ASSERT_EQ(sent.size(), 1u);  // the day's board, from the new server
    EXPECT_EQ(sent[0].url.rfind("https://dig.fun/api/v1/daily/", 0), 0u) << sent[0].url;
}

// The screen on its own, fed logical buttons as a controller gives them.
class Options : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SDL_InitSubSystem(SDL_INIT_AUDIO); }

    // One frame whose input holds only what `set` puts in it, from the device in `input`.
    void frame(const std::function<void(Input&)>& set) {
        Input next;
        next.last_device = input.last_device;
        set(next);
        still_open = options.update(next, audio, 16);
    }
    void press(Button b) {
        frame([b](Input& in) { in.press(b); });
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
    for (int i = 0; i < 3; ++i) press(Button::Down);
    press(Button::B);  // the south face button selects
    ASSERT_EQ(options.page, OptionsScreen::Page::Controls);
    for (int i = 0; i < 4; ++i) press(Button::Down);
    press(Button::B);  // Pause, resume, select
    ASSERT_EQ(options.waiting, Button::Start);
    frame([](Input& in) { in.pressed_pad_buttons = {SDL_CONTROLLER_BUTTON_Y}; });
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
    frame([](Input& in) { in.pressed_keys = {SDL_SCANCODE_ESCAPE}; });
    EXPECT_EQ(options.waiting, Button::None);
    EXPECT_EQ(profile.settings.keys, before);
    EXPECT_EQ(options.page, OptionsScreen::Page::Controls);  // only the wait ended
}

TEST_F(Options, EffectsPlayASampleResetRestoresDefaults) {
    press(Button::Left);  // music 9
    press(Button::Down);
    EXPECT_TRUE(audio.samples.empty());
    press(Button::Left);
    EXPECT_EQ(profile.settings.effects_volume, 9);
    ASSERT_EQ(audio.samples.size(), 1u);  // a yum at the new level
    EXPECT_EQ(audio.samples.begin()->first.substr(0, 11), "content/yum");

    press(Button::Down);
    press(Button::Start);
    EXPECT_TRUE(profile.settings.fullscreen);

    profile.settings.shake = 40;
    profile.settings.game_speed = 60;
    profile.settings.leaderboard_url = "https://dig.example.org";
    profile.settings.player_name = "Mole";
    for (int i = 0; i < 5; ++i) press(Button::Down);
    press(Button::Start);  // Reset to defaults
    EXPECT_EQ(profile.settings.music_volume, 10);
    EXPECT_EQ(profile.settings.effects_volume, 10);
    EXPECT_FALSE(profile.settings.fullscreen);
    EXPECT_EQ(profile.settings.shake, 100);
    EXPECT_EQ(profile.settings.game_speed, 100);
    EXPECT_EQ(Mix_VolumeMusic(-1), 128);
    EXPECT_NE(options.row(Entry::Music).find("< 10 >"), std::string::npos);
    // The player's own server and name are not preferences: they stay.
    EXPECT_EQ(profile.settings.leaderboard_url, "https://dig.example.org");
    EXPECT_EQ(profile.settings.player_name, "Mole");
}

// Start steps a value up and goes round from the greatest to the least, so that one button
// reaches every value; Left and Right stop at the ends.
TEST_F(Options, ValuesStepUpRoundAndStopAtTheEndsOnEveryPage) {
    using Page = OptionsScreen::Page;
    struct Step {
        Page page;
        unsigned row;
        Button button;
        int presses;
        const char* shown;
        int Settings::*value;
        int expected;
    };
    const Step steps[] = {
        {Page::Assists, 0, Button::Start, 1, "< 50% >", &Settings::game_speed, 50},
        {Page::Assists, 0, Button::Start, 3, "< 80% >", &Settings::game_speed, 80},
        {Page::Assists, 0, Button::Left, 9, "< 50% >", &Settings::game_speed, 50},
        {Page::Assists, 2, Button::Start, 2, "< 1.5 s >", &Settings::switch_period, 1500},
        {Page::Assists, 2, Button::Start, 7, "< 0.5 s >", &Settings::switch_period, 500},
        {Page::Comfort, 0, Button::Start, 4, "< 30% >", &Settings::shake, 30},
        {Page::Comfort, 2, Button::Start, 3, "< 1.75x >", &Settings::ui_scale, 175},
        {Page::Comfort, 2, Button::Right, 3, "< 2x >", &Settings::ui_scale, 200},
        {Page::Main, 0, Button::Right, 1, "< 10 >", &Settings::music_volume, 10},
        {Page::Main, 0, Button::Start, 1, "< 0 >", &Settings::music_volume, 0},
        {Page::Main, 0, Button::Left, 2, "< 0 >", &Settings::music_volume, 0},
    };
    for (const Step& step : steps) {
        options.page = step.page;
        options.menu_of(step.page).select(step.row);
        for (int i = 0; i < step.presses; ++i) press(step.button);
        const std::string& row = options.menu_of(step.page).entries[step.row];
        EXPECT_EQ(profile.settings.*step.value, step.expected) << row;
        EXPECT_NE(row.find(step.shown), std::string::npos) << row;
    }
    EXPECT_EQ(options.text.scale, 2.0);  // the options' own text, at once
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);   // and the music as it is set
}

// Each page opens from the main page and has its own Back, so that no page needs Escape; with
// one-switch play on, the menus go round.
TEST_F(Options, EveryPageHasABackAndOneSwitchMenusGoRound) {
    using Page = OptionsScreen::Page;
    for (int i = 0; i < 5; ++i) press(Button::Down);
    press(Button::A);
    ASSERT_EQ(options.page, Page::Comfort);
    press(Button::Down);
    press(Button::Start);
    EXPECT_TRUE(profile.settings.reduce_flashing);
    press(Button::Down);
    press(Button::Down);
    press(Button::Start);  // Back
    ASSERT_EQ(options.page, Page::Main);

    press(Button::Up);
    press(Button::Start);
    ASSERT_EQ(options.page, Page::Assists);
    press(Button::Down);
    press(Button::Start);
    EXPECT_TRUE(profile.settings.one_switch);
    EXPECT_NE(options.row(Entry::OneSwitch).find("< On >"), std::string::npos);
    for (int i = 0; i < 3; ++i) press(Button::Down);  // past Back, round to the first
    EXPECT_EQ(options.menu_of(Page::Assists).selected(), 0u);
    press(Button::Up);
    EXPECT_EQ(options.menu_of(Page::Assists).selected(), 3u);
    press(Button::Select);
    EXPECT_EQ(options.page, Page::Main);
    options.menu_of(Page::Main).select(0);
    press(Button::Up);  // round on the main page too
    EXPECT_EQ(options.menu_of(Page::Main).selected(), 8u);

    // With one switch nothing opens that only a keyboard could close: no typing, no rebinding.
    options.menu_of(Page::Main).select(6);
    press(Button::Start);
    ASSERT_EQ(options.page, Page::Daily);
    press(Button::Start);  // the server
    EXPECT_FALSE(options.editing.has_value());
    press(Button::Select);
    options.menu_of(Page::Main).select(3);
    press(Button::Start);
    ASSERT_EQ(options.page, Page::Controls);
    press(Button::Start);
    EXPECT_EQ(options.waiting, Button::None);
    EXPECT_TRUE(still_open);
}

// The server and the name are typed: the settings' own checks judge them, a refused value
// says why and changes nothing, Escape leaves the value as it was.
TEST_F(Options, TheServerAndTheNameAreTypedAndChecked) {
    const auto type = [&](const std::string& typed, int erased, std::vector<int> keys) {
        frame([&](Input& in) {
            in.typed = typed;
            in.erased = erased;
            in.pressed_keys = keys;
        });
    };
    options.page = OptionsScreen::Page::Daily;
    options.refresh();
    EXPECT_NE(options.row(Entry::Server).find("Off"), std::string::npos);  // sending off
    press(Button::Start);
    ASSERT_EQ(options.editing, Entry::Server);
    type("htps://dig.example.org", 0, {});
    EXPECT_NE(options.row(Entry::Server).find("htps://dig.example.org_"), std::string::npos);
    type("", 0, {SDL_SCANCODE_RETURN});
    EXPECT_EQ(options.refusal, "'htps://dig.example.org' is not an http:// or https:// address");
    EXPECT_EQ(options.editing, Entry::Server);  // still there to be put right
    EXPECT_EQ(profile.settings.leaderboard_url, "");

    type("", 22, {});
    EXPECT_EQ(options.refusal, "");  // it was about the text before
    type("https://dig.example.org/", 0, {SDL_SCANCODE_KP_ENTER});
    EXPECT_FALSE(options.editing);
    EXPECT_EQ(profile.settings.leaderboard_url, "https://dig.example.org/");
    EXPECT_NE(options.row(Entry::Server).find("https://dig.example.org/"), std::string::npos);

    press(Button::Down);
    press(Button::A);
    ASSERT_EQ(options.editing, Entry::Name);
    type(std::string(40, 'm'), 8, {});  // "Burrower" erased; no longer than a name may be
    EXPECT_NE(options.row(Entry::Name).find(std::string(16, 'm') + "_"), std::string::npos);
    type("", 16, {});
    type(" Mole", 0, {SDL_SCANCODE_RETURN});
    EXPECT_EQ(options.refusal, "' Mole' starts or ends in a space");
    type("", 0, {SDL_SCANCODE_ESCAPE});
    EXPECT_FALSE(options.editing);
    EXPECT_EQ(options.refusal, "");
    EXPECT_EQ(profile.settings.player_name, Settings::kDefaultPlayerName);
    EXPECT_EQ(options.page, OptionsScreen::Page::Daily);  // Escape ended the entry alone

    // Empty turns sending off again.
    press(Button::Up);
    press(Button::Start);
    type("", 200, {SDL_SCANCODE_RETURN});
    EXPECT_EQ(profile.settings.leaderboard_url, "");
    EXPECT_NE(options.row(Entry::Server).find("Off"), std::string::npos);
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
    const std::pair<Device, int> families[] = {{Device::Keys, -1},
                                               {Device::Xbox, Sheet::kXbox},
                                               {Device::PlayStation, Sheet::kPlayStation},
                                               {Device::Nintendo, Sheet::kNintendo},
                                               {Device::Pad, Sheet::kGeneric}};
    for (const auto& [device, family] : families) {
        SCOPED_TRACE(static_cast<int>(device));
        const bool keys = device == Device::Keys;
        const auto button = [&](int column) {
            return Text::picture(Sheet::family_cell(family, column));
        };
        const std::string start = keys ? "P" : button(Sheet::kStart);
        const std::string back = keys ? "Escape" : button(Sheet::kY);
        input.last_device = device;
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

// Every page, at the smallest and the largest UI scale, in each of its states: no two strings
// drawn overlap and all lie inside the panel, itself inside the canvas.
TEST_F(Options, EveryPageFitsItsPanelAtEveryScale) {
    // A long key name, and a long address being typed.
    profile.settings.rebind_key(Button::Left, SDL_SCANCODE_KP_MEMSUBTRACT);
    profile.settings.keys[SDL_SCANCODE_KP_MEMMULTIPLY] = Button::Left;
    profile.settings.leaderboard_url = "https://" + std::string(180, 'd') + ".example";
    std::unique_ptr<Graphics> graphics = test::make_graphics();
    ASSERT_TRUE(graphics->ok());
    std::vector<DrawnText> drawn;
    graphics->text_log = &drawn;
    using Page = OptionsScreen::Page;
    struct Case {
        int scale;
        SDL_Rect panel;  // left, top, width, height
    };
    const Case cases[] = {{100, {272, 208, 736, 440}},
                          {125, {180, 98, 920, 550}},
                          {150, {88, 16, 1104, 660}},
                          {175, {16, 16, 1248, 688}},
                          {200, {16, 16, 1248, 688}}};
    struct State {
        Page page;
        const char* what;
        std::function<void(OptionsScreen&)> set;
    };
    const State states[] = {
        {Page::Main, "main", [](OptionsScreen&) {}},
        {Page::Controls, "controls", [](OptionsScreen&) {}},
        {Page::Controls, "waiting", [](OptionsScreen& o) { o.waiting = Button::Start; }},
        {Page::Assists, "assists", [](OptionsScreen&) {}},
        {Page::Comfort, "comfort", [](OptionsScreen&) {}},
        {Page::Daily, "daily", [](OptionsScreen&) {}},
        {Page::Daily, "typing",
         [](OptionsScreen& o) {
             o.editing = Entry::Server;
             o.draft = o.flow.profile.settings.leaderboard_url;
         }},
        {Page::Daily, "refused",
         [](OptionsScreen& o) {
             o.editing = Entry::Server;
             o.draft = "ftp://" + std::string(190, 'x');
             o.refusal = Settings::check_leaderboard_url(o.draft);
         }},
        {Page::Controls, "one switch",
         [](OptionsScreen& o) { o.flow.profile.settings.one_switch = true; }},
    };
    for (const Case& c : cases) {
        for (const State& state : states) {
            SCOPED_TRACE(std::to_string(c.scale) + "% " + state.what);
            profile.settings.ui_scale = c.scale;
            profile.settings.one_switch = false;
            OptionsScreen screen(flow);
            screen.page = state.page;
            state.set(screen);
            screen.refresh();
            drawn.clear();
            screen.draw(*graphics);
            ASSERT_GE(drawn.size(), 5u);
            EXPECT_EQ(drawn.front().box.h, 16 * c.scale / 100);
            for (const std::string& problem : test::check_layout(drawn, c.panel)) {
                ADD_FAILURE() << problem;
            }
        }
    }
}

}  // namespace
