#include "game/screens/one_switch.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "game/screens/screen_flow.h"

SwitchScanner::SwitchScanner(int choices_, int period_ms)
    : choices(std::max(choices_, 1)), period(std::max(period_ms, 1)) {}

void SwitchScanner::set_period(int period_ms) { period = std::max(period_ms, 1); }

void SwitchScanner::restart(int choices_, int first) {
    choices = std::max(choices_, 1);
    highlight = std::clamp(first, 0, choices - 1);
    highlight_ms = 0;
}

namespace {

// Keys and controller buttons as one set of numbers; -1 for a number no device has (anyone may
// push an event), which is not a switch, so that the set of keys down stays small.
int key_id(int key) { return key > 0 && key < Input::kKeyCount ? key : -1; }
int pad_id(int button) {
    return button >= 0 && button < Input::kPadButtonCount ? Input::kKeyCount + button : -1;
}

}  // namespace

bool SwitchScanner::any_press(const Input& input) {
    return std::any_of(input.pressed_keys.begin(), input.pressed_keys.end(),
                       [](int key) { return key_id(key) >= 0; }) ||
           std::any_of(input.pressed_pad_buttons.begin(), input.pressed_pad_buttons.end(),
                       [](int button) { return pad_id(button) >= 0; });
}

void SwitchScanner::update(const Input& input, unsigned int elapsed) {
    short_press = false;
    long_press = false;
    moved = 0;
    if (input.interrupted()) {
        // The key-ups of a window left with a key down may never come.
        held.clear();
        active = false;
    }
    // Taken from the highlight as the last frame showed it, before this frame's time moves it.
    const bool began = !active && any_press(input);
    if (began) {
        active = true;
        long_told = false;
        held_ms = 0;
        taken = highlight;
    }
    for (const int key : input.pressed_keys) held.insert(key_id(key));
    for (const int button : input.pressed_pad_buttons) held.insert(pad_id(button));
    held.erase(-1);
    for (const int key : input.released_keys) held.erase(key_id(key));
    for (const int button : input.released_pad_buttons) held.erase(pad_id(button));

    if (active && held.empty()) {
        active = false;
        short_press = !long_told;
        highlight_ms = 0;
        return;
    }
    if (active) {
        // The frame the switch went down counts nothing: its time passed before the press.
        if (!began) held_ms = elapsed >= kLongPressMs - held_ms ? kLongPressMs : held_ms + elapsed;
        if (!long_told && held_ms >= kLongPressMs) {
            long_told = true;
            long_press = true;
        }
        return;
    }
    // Worked out at once rather than step by step: a frame may be as long as anyone says.
    const uint64_t total = uint64_t{highlight_ms} + elapsed;
    const auto whole = static_cast<uint64_t>(period);
    const uint64_t periods = total / whole;
    highlight_ms = static_cast<uint32_t>(total % whole);
    highlight = static_cast<int>(
        (static_cast<uint64_t>(highlight) + periods % static_cast<uint64_t>(choices)) %
        static_cast<uint64_t>(choices));
    moved = static_cast<int>(std::min<uint64_t>(periods, INT32_MAX));
}

Input SwitchScanner::menu_input(const Input& input) const {
    Input menu = input;
    menu.pressed_buttons.clear();
    menu.released_buttons.clear();
    menu.held_buttons.clear();
    // At most one Down a frame: the loop caps a frame's time well below the shortest period.
    if (moved > 0) menu.press(Input::Button::Down);
    if (chosen()) menu.press(Input::Button::Start);
    return menu;
}

SwitchedMenu::SwitchedMenu(std::unique_ptr<Screen> inner_, ScreenFlow& flow_)
    : inner(std::move(inner_)), flow(flow_), scanner(1, flow_.profile.settings.switch_period) {}

bool SwitchedMenu::update(const Input& input, Audio& audio, unsigned int elapsed) {
    const Settings& settings = flow.profile.settings;
    if (!settings.one_switch) return inner->update(input, audio, elapsed);
    // The period may have just been changed in this very menu.
    scanner.set_period(settings.switch_period);
    scanner.update(input, elapsed);
    return inner->update(scanner.menu_input(input), audio, elapsed);
}
