// The player's settings as kept in "settings.txt": sound levels, the window, the screen shake,
// the leaderboard and the keyboard and controller bindings, one "name = value" per line.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "engine/input.h"

class Settings {
public:
    enum class Shake : int { Off = 0, Half = 1, Full = 2 };

    static constexpr const char* kHeader = "burrowgale settings";
    static constexpr int kVersion = 1;
    static constexpr int kMaxVolume = 10;
    static constexpr std::size_t kMaxFileSize = 64 * 1024;
    static constexpr std::size_t kMaxNameLength = 16;
    static constexpr std::size_t kMaxUrlLength = 200;
    static constexpr const char* kDefaultPlayerName = "Burrower";

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
    // "Return or Start": the first key and controller button bound to an action.
    std::string labels_of(Input::Button action) const;
    // "Escape or Back": the fixed Escape key and Select's first controller button, the ways to
    // leave a page or give up a game.
    std::string back_labels() const;

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
    double shake_factor() const;

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
    Shake shake = Shake::Full;
    std::string leaderboard_url;  // where daily runs are sent; empty: nowhere
    std::string player_name = kDefaultPlayerName;
    std::map<int, Input::Button> keys;  // scancode -> action
    std::map<int, Input::Button> pads;  // controller button -> action
};
