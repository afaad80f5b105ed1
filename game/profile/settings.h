// The player's settings as kept in "settings.txt": sound levels, the window, the assists, the
// comfort options, the leaderboard and the keyboard and controller bindings, one "name = value"
// per line.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "engine/input.h"

class Settings {
public:
    static constexpr const char* kHeader = "burrowgale settings";
    static constexpr int kVersion = 1;
    static constexpr int kMaxVolume = 10;
    static constexpr std::size_t kMaxFileSize = 64 * 1024;
    static constexpr std::size_t kMaxNameLength = 16;
    static constexpr std::size_t kMaxUrlLength = 200;
    static constexpr const char* kDefaultPlayerName = "Burrower";
    // Stepped settings: their least, greatest and step. Screen shake and game speed are
    // percentages, the UI scale hundredths of the normal size, the switch period milliseconds.
    struct Range {
        int least;
        int most;
        int step;
        // The value `steps` steps on from `value`, held within the range.
        int moved(int value, int steps) const;
        bool holds(int value) const;
    };
    static constexpr Range kShakeRange{0, 100, 10};
    static constexpr Range kSpeedRange{50, 100, 10};
    static constexpr Range kUiScaleRange{100, 200, 25};
    static constexpr Range kSwitchPeriodRange{500, 3000, 250};
    // Hundredths as the file and the options write them: 150 as "1.5", 200 as "2".
    static std::string hundredths_text(int value);

    // What is wrong with a leaderboard's address, or "": "http://" or "https://" and a host,
    // printable characters without spaces. Empty is fine: it turns sending off.
    static std::string check_leaderboard_url(const std::string& url);
    // What is wrong with a player name, or "": 1 to 16 characters the game's font can draw
    // (ASCII 32 to 126), no space at either end.
    static std::string check_player_name(const std::string& name);

    // What the player can bind, in the order the file and the options screen list them.
    // Escape is left out on purpose: it always leaves, pauses or cancels.
    static const std::vector<Input::Button> kActions;
    static std::string action_name(Input::Button action);  // "left", "fullscreen"
    // Names for the screen: "Return", "Left Shift"; "D-pad left", "Back".
    static std::string key_label(int key);
    static std::string pad_label(int button);

    // Every setting at its default, the bindings those of a new Input.
    Settings();

    // Reads a settings file over the defaults. A line that cannot be used is reported in
    // `problems` ("line 4: ...") and leaves its setting at the default; the rest still counts.
    // No action is left without a key, nor without a controller button if it has one by
    // default: a binding that would do so is such a line, and that action keeps its defaults.
    // False, with `error`, when the text is not a settings file this version reads at all
    // (no header, a later version): then nothing of it is used.
    bool parse(const std::string& text, std::vector<std::string>& problems, std::string& error);
    std::string serialise() const;

    // Screen shake as a share of the full amount.
    double shake_factor() const { return shake / 100.0; }
    // The UI scale as a factor of the normal size, 1 to 2.
    double ui_factor() const { return ui_scale / 100.0; }
    // Whether a game played with these settings is assisted: slowed down, or played with one
    // switch. Such games are marked wherever they are kept.
    bool assisted() const { return game_speed < 100 || one_switch; }

    // Makes `key` the one key of `action`. If the key belonged to another action that is
    // left with no key, that action takes over the keys `action` had: nothing is ever unbound.
    void rebind_key(Input::Button action, int key);
    void rebind_pad(Input::Button action, int button);
    // The keys or controller buttons of an action, lowest number first.
    std::vector<int> keys_of(Input::Button action) const;
    std::vector<int> pad_buttons_of(Input::Button action) const;

    // Installs the bindings in an Input: these keys and buttons (Escape kept on its key), the
    // sticks as they were.
    void apply_bindings(Input& input) const;

    int music_volume = kMaxVolume;    // 0 to 10
    int effects_volume = kMaxVolume;  // 0 to 10
    bool fullscreen = false;          // at start
    // Assists: they change the game, so the games they make are marked.
    int game_speed = 100;      // percent of the normal speed, 50 to 100 in steps of 10
    bool one_switch = false;   // the whole game played with any one key or button
    int switch_period = 1000;  // ms each choice is highlighted in one-switch play
    // Comfort: they change only what is shown.
    int shake = 100;               // percent of the full screen shake, 0 to 100 in steps of 10
    bool reduce_flashing = false;  // nothing large changes brightness more than 3 times a second
    int ui_scale = 100;            // the HUD, pause, results and options text, 100 to 200 percent
    std::string leaderboard_url;   // where daily runs are sent; empty: nowhere
    std::string player_name = kDefaultPlayerName;
    std::map<int, Input::Button> keys;  // scancode -> action
    std::map<int, Input::Button> pads;  // controller button -> action
};
