#include "game/screens/options_screen.h"

#include <algorithm>

#include "engine/audio.h"
#include "engine/graphics.h"
#include "engine/rect.h"
#include "game/profile/settings.h"
#include "game/screens/prompts.h"
#include "game/screens/screen_flow.h"
#include "game/screens/sounds.h"

namespace {

using Button = Input::Button;

constexpr int kPanelLeft = 272;  // pixels: the dark panel that keeps the text readable
constexpr int kPanelTop = 208;   // below the title lettering
constexpr int kPanelRight = 1008;
constexpr int kPanelBottom = 648;
constexpr unsigned int kPanelColor = 0x000000C0;
constexpr int kMenuLeft = 304;
constexpr int kMenuTop = 280;
constexpr int kLabelWidth = 24;  // characters
constexpr int kKeysWidth = 30;

const char* const kMainLabels[] = {"Music volume", "Effects volume", "Fullscreen",
                                   "Screen shake", "Controls",       "Reset to defaults",
                                   "Back"};

// Cut to leave a column's last character free, then filled out to the column's width.
std::string padded(std::string text, std::size_t width) {
    if (text.size() >= width) text = text.substr(0, width - 4) + "...";
    text.resize(width, ' ');
    return text;
}

std::string action_label(Button action) {
    switch (action) {
        case Button::Up:
            return "Up (menus)";
        case Button::Down:
            return "Down (menus)";
        case Button::Left:
            return "Turn left";
        case Button::Right:
            return "Turn right";
        case Button::Start:
            return "Pause, resume, select";
        case Button::Select:
            return "Options, give up";
        case Button::Fullscreen:
            return "Fullscreen";
        default:
            break;
    }
    return "Button " + Settings::action_name(action);
}

// "A, Left": every key of an action.
std::string joined(const std::vector<int>& codes, std::string (*label)(int)) {
    std::string text;
    for (const int code : codes) text += (text.empty() ? "" : ", ") + label(code);
    return text.empty() ? "-" : text;
}

bool chosen(const Input& input) {
    return input.key_pressed(Button::Start) || input.key_pressed(Button::A) ||
           input.key_pressed(Button::B);
}

bool back(const Input& input) {
    return input.key_pressed(Button::Escape) || input.key_pressed(Button::Select);
}

}  // namespace

OptionsScreen::OptionsScreen(ScreenFlow& flow_)
    : flow(flow_),
      background("title.png"),
      text("text.png", 8, 16),
      menu("text.png"),
      controls("text.png") {
    for (const char* label : kMainLabels) menu.add_entry(label);
    for (std::size_t i = 0; i <= Settings::kActions.size(); ++i) controls.add_entry("");
    refresh();
}

void OptionsScreen::refresh() {
    const Settings& s = flow.profile.settings;
    const auto value_of = [&](Entry entry) -> std::string {
        switch (entry) {
            case Entry::Music:
                return std::to_string(s.music_volume);
            case Entry::Effects:
                return std::to_string(s.effects_volume);
            case Entry::Fullscreen:
                return flow.fullscreen() ? "On" : "Off";
            case Entry::Shake:
                return std::to_string(s.shake) + "%";
            default:
                break;
        }
        return "";
    };
    for (std::size_t i = 0; i < menu.entries.size(); ++i) {
        const std::string value = value_of(static_cast<Entry>(i));
        menu.entries[i] = value.empty() ? kMainLabels[i]
                                        : padded(kMainLabels[i], kLabelWidth) + "< " + value + " >";
    }
    for (std::size_t i = 0; i < Settings::kActions.size(); ++i) {
        const Button action = Settings::kActions[i];
        controls.entries[i] = padded(action_label(action), kLabelWidth) +
                              padded(joined(s.keys_of(action), Settings::key_label), kKeysWidth) +
                              joined(s.pad_buttons_of(action), Settings::pad_label);
    }
    controls.entries.back() = "Back";
    const Prompts prompts(s, prompts_for);
    const std::string start = prompts.of(Button::Start);
    moves_prompt = prompts.of(Button::Up) + ", " + prompts.of(Button::Down) + ": choose    " +
                   prompts.of(Button::Left) + ", " + prompts.of(Button::Right) + ": change";
    main_prompt = start + ": select    " + prompts.back() + ": save and leave";
    controls_prompt = start + ": change    " + prompts.back() + ": back";
    // Any controller button is taken as the new one: only the key cancels.
    waiting_prompt = Settings::key_label(Input::kEscapeKey) + ": cancel";
}

bool OptionsScreen::leave() {
    flow.profile.save_settings();
    return false;
}

void OptionsScreen::change(Entry entry, int step, Audio& audio) {
    Settings& s = flow.profile.settings;
    switch (entry) {
        case Entry::Music:
            s.music_volume = std::clamp(s.music_volume + step, 0, Settings::kMaxVolume);
            audio.set_music_level(s.music_volume);
            break;
        case Entry::Effects:
            s.effects_volume = std::clamp(s.effects_volume + step, 0, Settings::kMaxVolume);
            audio.set_effects_level(s.effects_volume);
            // So that the player hears the new level at once.
            Sounds::play(audio, Sounds::kYum);
            break;
        case Entry::Fullscreen:
            flow.set_fullscreen(!flow.fullscreen());
            break;
        case Entry::Shake:
            s.shake = Settings::kShakeRange.moved(s.shake, step);
            break;
        default:
            return;
    }
    refresh();
}

void OptionsScreen::choose(Entry entry, Audio& audio) {
    switch (entry) {
        case Entry::Fullscreen:
            change(entry, 1, audio);
            break;
        case Entry::Controls:
            page = Page::Controls;
            break;
        case Entry::Reset: {
            Settings& s = flow.profile.settings;
            s = Settings();
            audio.set_music_level(s.music_volume);
            audio.set_effects_level(s.effects_volume);
            flow.apply_fullscreen();
            flow.apply_bindings();
            refresh();
            break;
        }
        default:
            break;
    }
}

void OptionsScreen::update_controls(const Input& input) {
    Settings& s = flow.profile.settings;
    if (waiting != Button::None) {
        const auto& keys = input.pressed_keys;
        if (std::find(keys.begin(), keys.end(), Input::kEscapeKey) != keys.end()) {
            waiting = Button::None;
        } else if (!keys.empty()) {
            s.rebind_key(waiting, keys.front());
            waiting = Button::None;
        } else if (!input.pressed_pad_buttons.empty()) {
            s.rebind_pad(waiting, input.pressed_pad_buttons.front());
            waiting = Button::None;
        }
        if (waiting == Button::None) {
            flow.apply_bindings();
            refresh();
        }
        return;
    }
    if (input.key_pressed(Button::Up)) controls.prev();
    if (input.key_pressed(Button::Down)) controls.next();
    const bool on_back = controls.selected() + 1 == controls.entries.size();
    if (back(input) || (chosen(input) && on_back)) {
        page = Page::Main;
    } else if (chosen(input)) {
        waiting = Settings::kActions[controls.selected()];
    }
}

bool OptionsScreen::update(const Input& input, Audio& audio, unsigned int) {
    // The main loop has just switched the window: show it. The prompts follow the device.
    if (input.key_pressed(Button::Fullscreen) || input.device() != prompts_for) {
        prompts_for = input.device();
        refresh();
    }
    if (page == Page::Controls) {
        update_controls(input);
        return true;
    }
    if (input.key_pressed(Button::Up)) menu.prev();
    if (input.key_pressed(Button::Down)) menu.next();
    const auto entry = static_cast<Entry>(menu.selected());
    if (input.key_pressed(Button::Left)) change(entry, -1, audio);
    if (input.key_pressed(Button::Right)) change(entry, 1, audio);
    if (back(input) || (chosen(input) && entry == Entry::Back)) return leave();
    if (chosen(input)) choose(entry, audio);
    return true;
}

void OptionsScreen::draw(Graphics& graphics) const {
    const int width = graphics.config.width;
    background.draw(graphics);
    Rect(kPanelLeft, kPanelTop, kPanelRight, kPanelBottom).draw(graphics, 0, 0, kPanelColor, true);
    const int centre = width / 2;
    if (page == Page::Main) {
        text.draw(graphics, "O P T I O N S", centre, kPanelTop + 24, Text::Alignment::Center);
        menu.draw(graphics, kMenuLeft, kMenuTop);
        text.draw(graphics, moves_prompt, centre, kPanelBottom - 56, Text::Alignment::Center);
        text.draw(graphics, main_prompt, centre, kPanelBottom - 36, Text::Alignment::Center);
        return;
    }
    text.draw(graphics, "C O N T R O L S", centre, kPanelTop + 24, Text::Alignment::Center);
    text.draw(graphics, padded("", kLabelWidth) + padded("Keyboard", kKeysWidth) + "Controller",
              kMenuLeft + 16, kMenuTop - 24, Text::Alignment::Left);
    controls.draw(graphics, kMenuLeft, kMenuTop);
    if (waiting != Button::None) {
        text.draw(graphics, "Press the new key or button for " + action_label(waiting), centre,
                  kPanelBottom - 56, Text::Alignment::Center);
        text.draw(graphics, waiting_prompt, centre, kPanelBottom - 36, Text::Alignment::Center);
    } else {
        text.draw(graphics, controls_prompt, centre, kPanelBottom - 36, Text::Alignment::Center);
    }
}

Screen* OptionsScreen::next_screen() const { return flow.title(); }
