#include "game/profile/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Button = Input::Button;

const std::string kHeader = "burrowgale settings 1\n";

Settings parsed(const std::string& text, std::vector<std::string>& problems) {
    Settings settings;
    std::string error;
    EXPECT_TRUE(settings.parse(text, problems, error)) << error;
    return settings;
}

TEST(Settings, DefaultsMatchANewInputWithEscapeKeptOutOfTheFile) {
    const Settings settings;
    EXPECT_EQ(settings.music_volume, 10);
    EXPECT_EQ(settings.effects_volume, 10);
    EXPECT_FALSE(settings.fullscreen);
    EXPECT_EQ(settings.shake, 100);
    EXPECT_EQ(settings.keys_of(Button::Left),
              (std::vector<int>{SDL_SCANCODE_A, SDL_SCANCODE_LEFT}));
    EXPECT_EQ(settings.keys.count(SDL_SCANCODE_ESCAPE), 0u);
    Input input;
    input.key_binds.clear();
    settings.apply_bindings(input);
    const Input fresh;
    EXPECT_EQ(input.key_binds, fresh.key_binds);
    EXPECT_EQ(input.pad_binds, fresh.pad_binds);
    EXPECT_EQ(settings.serialise().find("escape"), std::string::npos);
}

TEST(Settings, RoundTripKeepsEverySettingAndBinding) {
    Settings settings;
    settings.music_volume = 3;
    settings.effects_volume = 0;
    settings.fullscreen = true;
    settings.shake = 30;
    settings.game_speed = 70;
    settings.one_switch = true;
    settings.switch_period = 1250;
    settings.reduce_flashing = true;
    settings.ui_scale = 175;
    settings.rebind_key(Button::Left, SDL_SCANCODE_COMMA);  // a key whose name is ","
    settings.rebind_key(Button::Right, SDL_SCANCODE_EQUALS);
    settings.rebind_key(Button::Up, SDL_SCANCODE_RETURN2);  // named like Return, kept by number
    settings.rebind_pad(Button::Start, SDL_CONTROLLER_BUTTON_GUIDE);
    const std::string text = settings.serialise();
    EXPECT_NE(text.find("key left = ,\n"), std::string::npos) << text;
    EXPECT_NE(text.find("music_volume = 3\n"), std::string::npos) << text;
    std::vector<std::string> problems;
    const Settings back = parsed(text, problems);
    EXPECT_TRUE(problems.empty()) << problems.front();
    EXPECT_EQ(back.music_volume, 3);
    EXPECT_EQ(back.effects_volume, 0);
    EXPECT_TRUE(back.fullscreen);
    EXPECT_EQ(back.shake, 30);
    EXPECT_EQ(back.game_speed, 70);
    EXPECT_TRUE(back.one_switch);
    EXPECT_EQ(back.switch_period, 1250);
    EXPECT_TRUE(back.reduce_flashing);
    EXPECT_EQ(back.ui_scale, 175);
    EXPECT_NE(text.find("ui_scale = 1.75\n"), std::string::npos) << text;
    EXPECT_EQ(back.keys, settings.keys);
    EXPECT_EQ(back.pads, settings.pads);
}

// The stepped settings take only values on their steps; a file from before the shake was a
// percentage keeps the player's choice.
TEST(Settings, SteppedSettingsTakeTheirStepsAndOldShakeWordsConvert) {
    struct Case {
        const char* line;
        int Settings::*field;
        int expected;  // -1: refused, the default kept
    };
    const Case cases[] = {
        {"screen_shake = off", &Settings::shake, 0},
        {"screen_shake = half", &Settings::shake, 50},
        {"screen_shake = full", &Settings::shake, 100},
        {"screen_shake = 40", &Settings::shake, 40},
        {"screen_shake = 45", &Settings::shake, -1},
        {"screen_shake = 110", &Settings::shake, -1},
        {"game_speed = 50", &Settings::game_speed, 50},
        {"game_speed = 40", &Settings::game_speed, -1},
        {"game_speed = 70%", &Settings::game_speed, -1},
        {"switch_period_ms = 750", &Settings::switch_period, 750},
        {"switch_period_ms = 100", &Settings::switch_period, -1},
        {"ui_scale = 1.5", &Settings::ui_scale, 150},
        {"ui_scale = 2.00", &Settings::ui_scale, 200},
        {"ui_scale = 1", &Settings::ui_scale, 100},
        {"ui_scale = 1.3", &Settings::ui_scale, -1},
        {"ui_scale = 3", &Settings::ui_scale, -1},
        {"ui_scale = 1.", &Settings::ui_scale, -1},
        {"ui_scale = -1", &Settings::ui_scale, -1},
    };
    const Settings defaults;
    for (const Case& c : cases) {
        std::vector<std::string> problems;
        const Settings settings = parsed(kHeader + c.line + "\n", problems);
        const int expected = c.expected < 0 ? defaults.*c.field : c.expected;
        EXPECT_EQ(settings.*c.field, expected) << c.line;
        EXPECT_EQ(problems.size(), c.expected < 0 ? 1u : 0u) << c.line;
    }
}

// The leaderboard's address and the name go to a server and onto its board: only what it can
// use and the font can draw is taken; anything else is one line and the default.
TEST(Settings, LeaderboardAndNameTakeOnlyWhatCanBeSentAndDrawn) {
    struct Case {
        const char* line;
        bool good;
    };
    const Case cases[] = {
        {"leaderboard_url = https://dig.example.org", true},
        {"leaderboard_url = http://127.0.0.1:8080/", true},
        {"leaderboard_url = ", true},  // sending off
        {"leaderboard_url = ftp://dig.example.org", false},
        {"leaderboard_url = http://", false},
        {"leaderboard_url = http:///path", false},
        {"leaderboard_url = https://dig example.org", false},
        {"leaderboard_url = https://d\xc3\xa9.example", false},
        {"player_name = Mole Rat", true},
        {"player_name = x", true},
        {"player_name = 0123456789abcdef", true},    // 16
        {"player_name = 0123456789abcdefg", false},  // 17
        {"player_name = ", false},
        {"player_name = <b>\xc3\xa9</b>", false},
        {"player_name = tab\there", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<std::string> problems;
        const Settings settings = parsed(kHeader + c.line + "\n", problems);
        EXPECT_EQ(problems.empty(), c.good);
        if (!c.good) {
            ASSERT_EQ(problems.size(), 1u);
            EXPECT_EQ(problems[0].rfind("line 2: ", 0), 0u) << problems[0];
            EXPECT_EQ(settings.leaderboard_url, "");
            EXPECT_EQ(settings.player_name, Settings::kDefaultPlayerName);
            continue;
        }
        const std::string line = c.line;
        const std::string value = line.substr(line.find('=') + 2);
        EXPECT_EQ(line[0] == 'l' ? settings.leaderboard_url : settings.player_name, value);
        // What was taken is written back as it was read.
        std::vector<std::string> again;
        const Settings back = parsed(settings.serialise(), again);
        EXPECT_TRUE(again.empty());
        EXPECT_EQ(back.leaderboard_url, settings.leaderboard_url);
        EXPECT_EQ(back.player_name, settings.player_name);
    }
}

TEST(Settings, RebindingSwapsSoThatNoActionIsLeftUnbound) {
    Settings settings;
    // Tab is Select's only key: Select takes over Start's Return.
    settings.rebind_key(Button::Start, SDL_SCANCODE_TAB);
    EXPECT_EQ(settings.keys_of(Button::Start), std::vector<int>{SDL_SCANCODE_TAB});
    EXPECT_EQ(settings.keys_of(Button::Select), std::vector<int>{SDL_SCANCODE_RETURN});
    // W is one of Up's two keys: Up keeps its arrow, Left's old keys are free.
    settings.rebind_key(Button::Left, SDL_SCANCODE_W);
    EXPECT_EQ(settings.keys_of(Button::Left), std::vector<int>{SDL_SCANCODE_W});
    EXPECT_EQ(settings.keys_of(Button::Up), std::vector<int>{SDL_SCANCODE_UP});
    EXPECT_EQ(settings.keys.count(SDL_SCANCODE_LEFT), 0u);
    // A key the action already has changes nothing.
    settings.rebind_key(Button::Left, SDL_SCANCODE_W);
    EXPECT_EQ(settings.keys_of(Button::Left), std::vector<int>{SDL_SCANCODE_W});
    // Controller buttons swap the same way.
    settings.rebind_pad(Button::Start, SDL_CONTROLLER_BUTTON_BACK);
    EXPECT_EQ(settings.pad_buttons_of(Button::Select),
              std::vector<int>{SDL_CONTROLLER_BUTTON_START});
    const Settings defaults;
    for (const Button action : Settings::kActions) {
        EXPECT_FALSE(settings.keys_of(action).empty()) << Settings::action_name(action);
        EXPECT_EQ(settings.pad_buttons_of(action).empty(), defaults.pad_buttons_of(action).empty())
            << Settings::action_name(action);
    }
}

TEST(Settings, AnInvalidLineIsReportedByNumberAndKeepsItsDefault) {
    std::vector<std::string> problems;
    const Settings settings = parsed(kHeader +
                                         "music_volume = 11\n"
                                         "effects_volume = 4\n"
                                         "fullscreen = maybe\n"
                                         "screen_shake = wild\n"
                                         "colour = green\n"
                                         "# a comment\n"
                                         "\n"
                                         "no equals sign\n"
                                         "key left = Q\n"
                                         "key left = NoSuchKey\n"
                                         "key right = Q\n"
                                         "key up = Escape\n"
                                         "key jump = Space\n"
                                         "pad start = back\n"
                                         "pad select = nonsense\n"
                                         "music_volume = 7",  // cut off
                                     problems);
    const std::vector<std::string> expected_starts = {
        "line 2: music_volume",
        "line 4: fullscreen",
        "line 5: screen_shake",
        "line 6: unknown setting 'colour'",
        "line 9: not 'name = value'",
        "line 11: no key called 'NoSuchKey'",
        "line 12: 'Q' is already bound to left",
        "line 13: Escape cannot be rebound",
        "line 14: no action called 'jump'",
        "line 15: 'back' would leave select without a controller button",
        "line 16: no controller button called 'nonsense'",
        "line 17: cut off"};
    ASSERT_EQ(problems.size(), expected_starts.size());
    for (size_t i = 0; i < problems.size(); ++i) {
        EXPECT_EQ(problems[i].substr(0, expected_starts[i].size()), expected_starts[i])
            << problems[i];
    }
    EXPECT_EQ(settings.music_volume, 10);
    EXPECT_EQ(settings.effects_volume, 4);  // the rest of the file still counts
    EXPECT_FALSE(settings.fullscreen);
    EXPECT_EQ(settings.shake, 100);
    EXPECT_EQ(settings.keys_of(Button::Left), std::vector<int>{SDL_SCANCODE_Q});
    // Actions the file left unbound get their default keys back.
    EXPECT_EQ(settings.keys_of(Button::Right),
              (std::vector<int>{SDL_SCANCODE_D, SDL_SCANCODE_RIGHT}));
    // Back is Select's only button: Select keeps it, and Start, left with none, its own.
    EXPECT_EQ(settings.pad_buttons_of(Button::Select),
              std::vector<int>{SDL_CONTROLLER_BUTTON_BACK});
    EXPECT_EQ(settings.pad_buttons_of(Button::Start),
              std::vector<int>{SDL_CONTROLLER_BUTTON_START});
}

// Giving an action's only key or button to another action would lock the player in (no way
// to resume or leave): the action keeps its defaults and the line that took them says so.
TEST(Settings, AFileNeverLeavesAnActionWithoutItsKeysOrButtons) {
    using Codes = std::vector<int>;
    struct Case {
        std::string lines;
        std::vector<std::string> problems;
        std::vector<std::pair<Button, Codes>> keys;
        std::vector<std::pair<Button, Codes>> pads;
    };
    const std::vector<Case> cases = {
        {"key select = Return\n",
         {"line 2: 'Return' would leave start without a key; ignored"},
         {{Button::Start, {SDL_SCANCODE_RETURN}}, {Button::Select, {SDL_SCANCODE_TAB}}},
         {}},
        // A swap leaves nobody without: kept as written.
        {"key start = Tab\nkey select = Return\n",
         {},
         {{Button::Start, {SDL_SCANCODE_TAB}}, {Button::Select, {SDL_SCANCODE_RETURN}}},
         {}},
        {"pad select = start\n",
         {"line 2: 'start' would leave start without a controller button; ignored"},
         {},
         {{Button::Start, {SDL_CONTROLLER_BUTTON_START}},
          {Button::Select, {SDL_CONTROLLER_BUTTON_BACK}}}},
        // Both of Left's keys given away: both come back, and Up, left bare, gets its own.
        {"key up = A\nkey fullscreen = Left\n",
         {"line 2: 'A' would leave left without a key; ignored",
          "line 3: 'Left' would leave left without a key; ignored"},
         {{Button::Left, {SDL_SCANCODE_A, SDL_SCANCODE_LEFT}},
          {Button::Up, {SDL_SCANCODE_W, SDL_SCANCODE_UP}},
          {Button::Fullscreen, {SDL_SCANCODE_F}}},
         {}},
        // Taking one back strips the next action, which then takes its own back in turn.
        {"key start = Tab\nkey fullscreen = Return\n",
         {"line 2: 'Tab' would leave select without a key; ignored",
          "line 3: 'Return' would leave start without a key; ignored"},
         {{Button::Select, {SDL_SCANCODE_TAB}},
          {Button::Start, {SDL_SCANCODE_RETURN}},
          {Button::Fullscreen, {SDL_SCANCODE_F}}},
         {}},
    };
    const Settings defaults;
    for (const Case& c : cases) {
        std::vector<std::string> problems;
        const Settings settings = parsed(kHeader + c.lines, problems);
        EXPECT_EQ(problems, c.problems) << c.lines;
        for (const auto& [action, codes] : c.keys) {
            EXPECT_EQ(settings.keys_of(action), codes) << c.lines << Settings::action_name(action);
        }
        for (const auto& [action, codes] : c.pads) {
            EXPECT_EQ(settings.pad_buttons_of(action), codes)
                << c.lines << Settings::action_name(action);
        }
        for (const Button action : Settings::kActions) {
            EXPECT_FALSE(settings.keys_of(action).empty()) << c.lines;
            EXPECT_EQ(settings.pad_buttons_of(action).empty(),
                      defaults.pad_buttons_of(action).empty())
                << c.lines;
        }
    }
}

TEST(Settings, TextThatIsNoSettingsFileIsRefusedAsAWhole) {
    for (const std::string& text :
         {std::string(), std::string("garbage\x01\x02\n"), std::string("burrowgale settings 1"),
          std::string("burrowgale settings 2\nmusic_volume = 3\n")}) {
        Settings settings;
        settings.music_volume = 2;
        std::vector<std::string> problems;
        std::string error;
        EXPECT_FALSE(settings.parse(text, problems, error)) << text;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(settings.music_volume, 10);  // back to the defaults
    }
}

TEST(Settings, LabelsNameKeysAndButtons) {
    EXPECT_EQ(Settings::key_label(SDL_SCANCODE_LSHIFT), "Left Shift");
    EXPECT_EQ(Settings::pad_label(99), "button 99");
}

}  // namespace
