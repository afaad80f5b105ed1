#include "game/profile/settings.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <utility>

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

// A binding as a settings file gave it, with the line and the text it came from.
struct FileBind {
    Button action;
    int line;
    std::string value;
};
using FileBinds = std::map<int, FileBind>;

// A problem and the line it is on, so that all of them can be listed in the file's order.
using Problems = std::vector<std::pair<int, std::string>>;

std::string line_prefix(int line) { return "line " + std::to_string(line) + ": "; }

// After reading a file: every action keeps a binding on a device it has defaults for. One the
// file left without any gets its defaults back, taken from whatever action the file gave them
// to (that line is reported): a player must never be locked out of pausing or leaving.
// Codes taken back are bound to their own default action, so none is taken twice and the
// loop ends.
std::map<int, Button> keep_every_action_bound(FileBinds& file,
                                              const std::vector<std::pair<int, Button>>& table,
                                              const char* device, Problems& problems) {
    std::map<int, Button> binds;
    for (const auto& [code, bind] : file) binds[code] = bind.action;
    for (bool changed = true; changed;) {
        changed = false;
        for (const Button action : Settings::kActions) {
            if (!bound_to(binds, action).empty()) continue;
            for (const auto& [code, bound] : table) {
                if (bound != action) continue;
                const auto given = file.find(code);
                if (given != file.end()) {
                    problems.emplace_back(given->second.line,
                                          line_prefix(given->second.line) + "'" +
                                              given->second.value + "' would leave " +
                                              Settings::action_name(action) + " without a " +
                                              device + "; ignored");
                    file.erase(given);
                }
                binds[code] = action;
                changed = true;
            }
        }
    }
    return binds;
}

std::map<int, Button> defaults_without_escape(const std::vector<std::pair<int, Button>>& table) {
    std::map<int, Button> binds;
    for (const auto& [code, action] : table) {
        if (action != Button::Escape) binds[code] = action;
    }
    return binds;
}

// One plain setting of the file. The table below is the whole reader and writer of them: a new
// setting is a new row (and a field). The bindings, whose names carry an action, are read apart.
struct Entry {
    const char* name;  // "music_volume"
    // Stores the value, or puts the default back and returns what was wrong (for "line N: ").
    std::string (*read)(Settings& settings, const std::string& value);
    std::string (*write)(const Settings& settings);
};

std::string read_volume_into(int& volume, const char* name, const std::string& value) {
    if (read_volume(value, volume)) return "";
    volume = Settings::kMaxVolume;
    return std::string(name) + " must be a whole number from 0 to 10, not '" + value +
           "'; using 10";
}

// A whole number within `range` on its step, else `fallback` and what was wrong.
std::string read_stepped(int& out, const Settings::Range& range, int fallback, const char* name,
                         const std::string& value) {
    int read = 0;
    const auto [end, fault] = std::from_chars(value.data(), value.data() + value.size(), read);
    if (!value.empty() && fault == std::errc() && end == value.data() + value.size() &&
        range.holds(read)) {
        out = read;
        return "";
    }
    out = fallback;
    return std::string(name) + " must be " + std::to_string(range.least) + " to " +
           std::to_string(range.most) + " in steps of " + std::to_string(range.step) + ", not '" +
           value + "'; using " + std::to_string(fallback);
}

// "1.5" as 150; -1 for anything but a plain decimal with at most two decimals.
int read_hundredths(const std::string& value) {
    const auto dot = value.find('.');
    const std::string whole = value.substr(0, dot);
    std::string part = dot == std::string::npos ? "" : value.substr(dot + 1);
    if (whole.empty() || whole.size() > 3 || part.size() > 2 ||
        (dot != std::string::npos && part.empty())) {
        return -1;
    }
    part.resize(2, '0');
    for (const char c : whole + part) {
        if (c < '0' || c > '9') return -1;
    }
    return std::stoi(whole) * 100 + std::stoi(part);
}

const Entry kEntries[] = {
    {"music_volume",
     [](Settings& s, const std::string& value) {
         return read_volume_into(s.music_volume, "music_volume", value);
     },
     [](const Settings& s) { return std::to_string(s.music_volume); }},
    {"effects_volume",
     [](Settings& s, const std::string& value) {
         return read_volume_into(s.effects_volume, "effects_volume", value);
     },
     [](const Settings& s) { return std::to_string(s.effects_volume); }},
    {"fullscreen",
     [](Settings& s, const std::string& value) {
         if (read_yes_no(value, s.fullscreen)) return std::string();
         s.fullscreen = false;
         return "fullscreen must be yes or no, not '" + value + "'; using no";
     },
     [](const Settings& s) { return std::string(s.fullscreen ? "yes" : "no"); }},
    {"game_speed",
     [](Settings& s, const std::string& value) {
         return read_stepped(s.game_speed, Settings::kSpeedRange, 100, "game_speed", value);
     },
     [](const Settings& s) { return std::to_string(s.game_speed); }},
    {"one_switch",
     [](Settings& s, const std::string& value) {
         if (read_yes_no(value, s.one_switch)) return std::string();
         s.one_switch = false;
         return "one_switch must be yes or no, not '" + value + "'; using no";
     },
     [](const Settings& s) { return std::string(s.one_switch ? "yes" : "no"); }},
    {"switch_period_ms",
     [](Settings& s, const std::string& value) {
         return read_stepped(s.switch_period, Settings::kSwitchPeriodRange, 1000,
                             "switch_period_ms", value);
     },
     [](const Settings& s) { return std::to_string(s.switch_period); }},
    {"screen_shake",
     [](Settings& s, const std::string& value) {
         // Files from before the percentages said off, half or full.
         const auto* found = std::find(std::begin(kShakeNames), std::end(kShakeNames), value);
         if (found != std::end(kShakeNames)) {
             s.shake = 50 * static_cast<int>(found - std::begin(kShakeNames));
             return std::string();
         }
         return read_stepped(s.shake, Settings::kShakeRange, 100, "screen_shake", value);
     },
     [](const Settings& s) { return std::to_string(s.shake); }},
    {"reduce_flashing",
     [](Settings& s, const std::string& value) {
         if (read_yes_no(value, s.reduce_flashing)) return std::string();
         s.reduce_flashing = false;
         return "reduce_flashing must be yes or no, not '" + value + "'; using no";
     },
     [](const Settings& s) { return std::string(s.reduce_flashing ? "yes" : "no"); }},
    {"ui_scale",
     [](Settings& s, const std::string& value) {
         const int hundredths = read_hundredths(value);
         if (Settings::kUiScaleRange.holds(hundredths)) {
             s.ui_scale = hundredths;
             return std::string();
         }
         s.ui_scale = 100;
         return "ui_scale must be 1, 1.25, 1.5, 1.75 or 2, not '" + value + "'; using 1";
     },
     [](const Settings& s) { return Settings::hundredths_text(s.ui_scale); }},
    {"leaderboard_url",
     [](Settings& s, const std::string& value) {
         const std::string wrong = Settings::check_leaderboard_url(value);
         s.leaderboard_url = wrong.empty() ? value : "";
         return wrong.empty() ? wrong : "leaderboard_url: " + wrong + "; sending nothing";
     },
     [](const Settings& s) { return s.leaderboard_url; }},
    {"player_name",
     [](Settings& s, const std::string& value) {
         const std::string wrong = Settings::check_player_name(value);
         s.player_name = wrong.empty() ? value : Settings::kDefaultPlayerName;
         return wrong.empty() ? wrong
                              : "player_name: " + wrong + "; using " + Settings::kDefaultPlayerName;
     },
     [](const Settings& s) { return s.player_name; }},
};

// "key left = A" or "pad start = back" into `binds`; what is wrong with it, or "".
std::string read_binding(bool is_key, const std::string& action_text, const std::string& value,
                         int line, FileBinds& binds) {
    const Button action = action_named(action_text);
    const int code = is_key ? key_from_text(value) : Input::pad_button_from_name(value);
    if (action == Button::None) return "no action called '" + action_text + "'; ignored";
    if (code < 0) {
        return std::string("no ") + (is_key ? "key" : "controller button") + " called '" + value +
               "'; ignored";
    }
    if (is_key && code == Input::kEscapeKey) return "Escape cannot be rebound; ignored";
    const auto taken = binds.find(code);
    if (taken != binds.end() && taken->second.action != action) {
        return "'" + value + "' is already bound to " +
               Settings::action_name(taken->second.action) + "; ignored";
    }
    binds[code] = FileBind{action, line, value};
    return "";
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

std::string Settings::check_leaderboard_url(const std::string& url) {
    if (url.empty()) return "";
    if (url.size() > kMaxUrlLength) {
        return "longer than " + std::to_string(kMaxUrlLength) + " characters";
    }
    for (const char c : url) {
        if (c <= ' ' || c > '~') return "'" + url + "' has a space or a character not allowed";
    }
    for (const std::string scheme : {"http://", "https://"}) {
        if (url.rfind(scheme, 0) == 0 && url.size() > scheme.size() && url[scheme.size()] != '/') {
            return "";
        }
    }
    return "'" + url + "' is not an http:// or https:// address";
}

std::string Settings::check_player_name(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameLength) {
        return "'" + name + "' is not 1 to " + std::to_string(kMaxNameLength) + " characters";
    }
    for (const char c : name) {
        if (c < ' ' || c > '~') return "'" + name + "' has a character the game cannot draw";
    }
    if (name.front() == ' ' || name.back() == ' ')
        return "'" + name + "' starts or ends in a space";
    return "";
}

Settings::Settings()
    : keys(defaults_without_escape(Input::kDefaultKeyBinds)),
      pads(defaults_without_escape(Input::kDefaultPadBinds)) {}

bool Settings::parse(const std::string& text, std::vector<std::string>& problems,
                     std::string& error) {
    *this = Settings();
    FileBinds file_keys;
    FileBinds file_pads;
    bool any_key = false;
    bool any_pad = false;
    Problems found;

    std::size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool complete = end != std::string::npos;
        if (!complete) end = text.size();
        const std::string raw = text.substr(start, end - start);
        start = end + 1;
        ++number;
        const std::string where = line_prefix(number);

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
            found.emplace_back(number, where + "too long; ignored");
            continue;
        }
        const std::string line = trim(raw);
        if (line.empty() || line[0] == '#') continue;
        // A last line without its end may have been cut anywhere, its value included.
        if (!complete) {
            found.emplace_back(number, where + "cut off (no end of line); ignored");
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            found.emplace_back(number, where + "not 'name = value'; ignored");
            continue;
        }
        const std::string name = trim(line.substr(0, equals));
        const std::string value = trim(line.substr(equals + 1));

        std::string problem;
        const auto* entry = std::find_if(std::begin(kEntries), std::end(kEntries),
                                         [&name](const Entry& e) { return name == e.name; });
        if (entry != std::end(kEntries)) {
            problem = entry->read(*this, value);
        } else if (name.rfind("key ", 0) == 0 || name.rfind("pad ", 0) == 0) {
            const bool is_key = name[0] == 'k';
            (is_key ? any_key : any_pad) = true;
            problem = read_binding(is_key, trim(name.substr(4)), value, number,
                                   is_key ? file_keys : file_pads);
        } else {
            problem = "unknown setting '" + name + "'; ignored";
        }
        if (!problem.empty()) found.emplace_back(number, where + problem);
    }
    if (number == 0) {
        error = "empty";
        return false;
    }
    // A file that binds nothing on a device keeps that device's defaults; one that binds some
    // actions only gets the defaults for the rest.
    if (any_key) {
        keys = keep_every_action_bound(file_keys, Input::kDefaultKeyBinds, "key", found);
    }
    if (any_pad) {
        pads =
            keep_every_action_bound(file_pads, Input::kDefaultPadBinds, "controller button", found);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [line, problem] : found) problems.push_back(std::move(problem));
    return true;
}

std::string Settings::serialise() const {
    std::string text = std::string(kHeader) + " " + std::to_string(kVersion) + "\n";
    for (const Entry& entry : kEntries) {
        text += std::string(entry.name) + " = " + entry.write(*this) + "\n";
    }
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

std::string Settings::hundredths_text(int value) {
    std::string text = std::to_string(value / 100);
    const int part = value % 100;
    if (part == 0) return text;
    text += '.' + std::to_string(part / 10);
    if (part % 10 != 0) text += std::to_string(part % 10);
    return text;
}

int Settings::Range::moved(int value, int steps) const {
    return std::clamp(value + steps * step, least, most);
}

bool Settings::Range::holds(int value) const {
    return value >= least && value <= most && (value - least) % step == 0;
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
