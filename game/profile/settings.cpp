#include "game/profile/settings.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace {

using Button = Input::Button;

constexpr std::size_t kMaxLineLength = 256;
constexpr const char* kShakeNames[] = {"off", "half", "full"};
// Controller buttons for the screen, in SDL's order of them.
constexpr const char* kPadLabels[] = {
    "A",
    "B",
    "X",
    "Y",
    "Back",
    "Guide",
    "Start",
    "Left stick",
    "Right stick",
    "Left shoulder",
    "Right shoulder",
    "D-pad up",
    "D-pad down",
    "D-pad left",
    "D-pad right",
    "Share",
    "Paddle 1",
    "Paddle 2",
    "Paddle 3",
    "Paddle 4",
    "Touchpad",
};

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool read_volume(const std::string& text, int& out) {
    int value = 0;
    const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || fault != std::errc() || end != text.data() + text.size()) return false;
    if (value < 0 || value > Settings::kMaxVolume) return false;
    out = value;
    return true;
}

bool read_yes_no(const std::string& text, bool& out) {
    if (text == "yes" || text == "on" || text == "true") {
        out = true;
        return true;
    }
    if (text == "no" || text == "off" || text == "false") {
        out = false;
        return true;
    }
    return false;
}

Button action_named(const std::string& name) {
    for (const Button action : Settings::kActions) {
        if (Settings::action_name(action) == name) return action;
    }
    return Button::None;
}

// SDL gives a few keys a name that leads back to another key ("Return" twice); those are
// written by number as "#158".
std::string key_text(int key) {
    const std::string name = Input::key_name(key);
    if (!name.empty() && Input::key_from_name(name) == key) return name;
    return "#" + std::to_string(key);
}

int key_from_text(const std::string& text) {
    if (text.size() > 1 && text[0] == '#') {
        int key = 0;
        const auto [end, fault] = std::from_chars(text.data() + 1, text.data() + text.size(), key);
        if (fault != std::errc() || end != text.data() + text.size()) return -1;
        return Input::key_name(key).empty() ? -1 : key;
    }
    return Input::key_from_name(text);
}

std::vector<int> bound_to(const std::map<int, Button>& binds, Button action) {
    std::vector<int> found;
    for (const auto& [code, bound] : binds) {
        if (bound == action) found.push_back(code);
    }
    return found;
}

void rebind(std::map<int, Button>& binds, Button action, int code) {
    const auto current = binds.find(code);
    if (current != binds.end() && current->second == action) return;
    const std::vector<int> previous = bound_to(binds, action);
    const Button former = current == binds.end() ? Button::None : current->second;
    for (const int old : previous) binds.erase(old);
    binds[code] = action;
    if (former != Button::None && bound_to(binds, former).empty()) {
        for (const int old : previous) binds[old] = former;
    }
}

// After reading a file: an action the file left without any key gets its default keys back,
// as far as nothing else took them.
void fill_unbound(std::map<int, Button>& binds, const std::vector<std::pair<int, Button>>& table) {
    for (const Button action : Settings::kActions) {
        if (!bound_to(binds, action).empty()) continue;
        for (const auto& [code, bound] : table) {
            if (bound == action && binds.count(code) == 0) binds[code] = action;
        }
    }
}

std::map<int, Button> defaults_without_escape(const std::vector<std::pair<int, Button>>& table) {
    std::map<int, Button> binds;
    for (const auto& [code, action] : table) {
        if (action != Button::Escape) binds[code] = action;
    }
    return binds;
}

}  // namespace

const std::vector<Button> Settings::kActions = {
    Button::Up,     Button::Down, Button::Left,       Button::Right, Button::Start,
    Button::Select, Button::A,    Button::B,          Button::X,     Button::Y,
    Button::L,      Button::R,    Button::Fullscreen,
};

std::string Settings::action_name(Button action) {
    switch (action) {
        case Button::Up:
            return "up";
        case Button::Down:
            return "down";
        case Button::Left:
            return "left";
        case Button::Right:
            return "right";
        case Button::Start:
            return "start";
        case Button::Select:
            return "select";
        case Button::A:
            return "a";
        case Button::B:
            return "b";
        case Button::X:
            return "x";
        case Button::Y:
            return "y";
        case Button::L:
            return "l";
        case Button::R:
            return "r";
        case Button::Fullscreen:
            return "fullscreen";
        case Button::Escape:
            return "escape";
        case Button::None:
            break;
    }
    return "";
}

std::string Settings::key_label(int key) {
    const std::string name = Input::key_name(key);
    return name.empty() ? "key " + std::to_string(key) : name;
}

std::string Settings::pad_label(int button) {
    constexpr int kCount = static_cast<int>(std::size(kPadLabels));
    if (button >= 0 && button < kCount) return kPadLabels[button];
    return "button " + std::to_string(button);
}

std::string Settings::labels_of(Button action) const {
    std::string text;
    const std::vector<int> on_keys = keys_of(action);
    const std::vector<int> on_pads = pad_buttons_of(action);
    if (!on_keys.empty()) text = key_label(on_keys.front());
    if (!on_pads.empty()) text += (text.empty() ? "" : " or ") + pad_label(on_pads.front());
    return text;
}

Settings::Settings()
    : keys(defaults_without_escape(Input::kDefaultKeyBinds)),
      pads(defaults_without_escape(Input::kDefaultPadBinds)) {}

bool Settings::parse(const std::string& text, std::vector<std::string>& problems,
                     std::string& error) {
    *this = Settings();
    std::map<int, Button> file_keys;
    std::map<int, Button> file_pads;
    bool any_key = false;
    bool any_pad = false;

    std::size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool complete = end != std::string::npos;
        if (!complete) end = text.size();
        const std::string raw = text.substr(start, end - start);
        start = end + 1;
        ++number;
        const std::string where = "line " + std::to_string(number) + ": ";

        if (number == 1) {
            const std::string header = std::string(kHeader) + " ";
            if (!complete || raw.compare(0, header.size(), header) != 0) {
                error = where + "not a settings file";
                return false;
            }
            const std::string version = trim(raw.substr(header.size()));
            if (version != std::to_string(kVersion)) {
                error = where + "version '" + version + "', this game reads version " +
                        std::to_string(kVersion);
                return false;
            }
            continue;
        }
        if (raw.size() > kMaxLineLength) {
            problems.push_back(where + "too long; ignored");
            continue;
        }
        const std::string line = trim(raw);
        if (line.empty() || line[0] == '#') continue;
        // A last line without its end may have been cut anywhere, its value included.
        if (!complete) {
            problems.push_back(where + "cut off (no end of line); ignored");
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            problems.push_back(where + "not 'name = value'; ignored");
            continue;
        }
        const std::string name = trim(line.substr(0, equals));
        const std::string value = trim(line.substr(equals + 1));

        if (name == "music_volume" || name == "effects_volume") {
            int& volume = name == "music_volume" ? music_volume : effects_volume;
            if (!read_volume(value, volume)) {
                volume = kMaxVolume;
                problems.push_back(where + name + " must be a whole number from 0 to 10, not '" +
                                   value + "'; using 10");
            }
        } else if (name == "fullscreen") {
            if (!read_yes_no(value, fullscreen)) {
                fullscreen = false;
                problems.push_back(where + "fullscreen must be yes or no, not '" + value +
                                   "'; using no");
            }
        } else if (name == "screen_shake") {
            const auto* found = std::find(std::begin(kShakeNames), std::end(kShakeNames), value);
            if (found == std::end(kShakeNames)) {
                shake = Shake::Full;
                problems.push_back(where + "screen_shake must be off, half or full, not '" + value +
                                   "'; using full");
            } else {
                shake = static_cast<Shake>(found - std::begin(kShakeNames));
            }
        } else if (name.rfind("key ", 0) == 0 || name.rfind("pad ", 0) == 0) {
            const bool is_key = name[0] == 'k';
            const std::string action_text = trim(name.substr(4));
            const Button action = action_named(action_text);
            const int code = is_key ? key_from_text(value) : Input::pad_button_from_name(value);
            std::map<int, Button>& binds = is_key ? file_keys : file_pads;
            (is_key ? any_key : any_pad) = true;
            if (action == Button::None) {
                problems.push_back(where + "no action called '" + action_text + "'; ignored");
            } else if (code < 0) {
                problems.push_back(where + "no " + (is_key ? "key" : "controller button") +
                                   " called '" + value + "'; ignored");
            } else if (is_key && code == Input::kEscapeKey) {
                problems.push_back(where + "Escape cannot be rebound; ignored");
            } else if (binds.count(code) != 0 && binds[code] != action) {
                problems.push_back(where + "'" + value + "' is already bound to " +
                                   action_name(binds[code]) + "; ignored");
            } else {
                binds[code] = action;
            }
        } else {
            problems.push_back(where + "unknown setting '" + name + "'; ignored");
        }
    }
    if (number == 0) {
        error = "empty";
        return false;
    }
    // A file that binds nothing on a device keeps that device's defaults; one that binds some
    // actions only gets the defaults for the rest.
    if (any_key) {
        keys = std::move(file_keys);
        fill_unbound(keys, Input::kDefaultKeyBinds);
    }
    if (any_pad) {
        pads = std::move(file_pads);
        fill_unbound(pads, Input::kDefaultPadBinds);
    }
    return true;
}

std::string Settings::serialise() const {
    std::string text = std::string(kHeader) + " " + std::to_string(kVersion) + "\n";
    text += "music_volume = " + std::to_string(music_volume) + "\n";
    text += "effects_volume = " + std::to_string(effects_volume) + "\n";
    text += std::string("fullscreen = ") + (fullscreen ? "yes" : "no") + "\n";
    text += std::string("screen_shake = ") + kShakeNames[static_cast<int>(shake)] + "\n";
    for (const Button action : kActions) {
        for (const int key : keys_of(action)) {
            text += "key " + action_name(action) + " = " + key_text(key) + "\n";
        }
    }
    for (const Button action : kActions) {
        for (const int button : pad_buttons_of(action)) {
            text += "pad " + action_name(action) + " = " + Input::pad_button_name(button) + "\n";
        }
    }
    return text;
}

double Settings::shake_factor() const {
    switch (shake) {
        case Shake::Off:
            return 0.0;
        case Shake::Half:
            return 0.5;
        case Shake::Full:
            break;
    }
    return 1.0;
}

void Settings::rebind_key(Button action, int key) { rebind(keys, action, key); }

void Settings::rebind_pad(Button action, int button) { rebind(pads, action, button); }

std::vector<int> Settings::keys_of(Button action) const { return bound_to(keys, action); }

std::vector<int> Settings::pad_buttons_of(Button action) const { return bound_to(pads, action); }

void Settings::apply_bindings(Input& input) const {
    input.key_binds.clear();
    for (const auto& [key, action] : keys) input.key_binds[key] = action;
    input.key_binds[Input::kEscapeKey] = Button::Escape;
    input.pad_binds.clear();
    for (const auto& [button, action] : pads) input.pad_binds[button] = action;
}
