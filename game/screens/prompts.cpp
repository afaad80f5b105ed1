#include "game/screens/prompts.h"

#include <algorithm>
#include <vector>

#include "engine/text.h"
#include "game/view/sheets.h"

namespace {

using Button = Input::Button;

static_assert(ButtonSheet::kCellSize == Text::kPictureCell);
static_assert(ButtonSheet::kColumns == Text::kPictureColumns);
static_assert(ButtonSheet::kRows * ButtonSheet::kColumns <= Text::kPictureCount);

int family_row(Input::Device device) {
    switch (device) {
        case Input::Device::Xbox:
            return ButtonSheet::kXbox;
        case Input::Device::PlayStation:
            return ButtonSheet::kPlayStation;
        case Input::Device::Nintendo:
            return ButtonSheet::kNintendo;
        case Input::Device::Keys:
        case Input::Device::Pad:
            break;
    }
    return ButtonSheet::kGeneric;
}

// The sheet's cell of a controller button, or -1.
int cell_of(Input::Device device, int button) {
    const auto family = [&](int column) {
        return ButtonSheet::family_cell(family_row(device), column);
    };
    switch (button) {
        case Input::kPadA:
            return family(ButtonSheet::kA);
        case Input::kPadB:
            return family(ButtonSheet::kB);
        case Input::kPadX:
            return family(ButtonSheet::kX);
        case Input::kPadY:
            return family(ButtonSheet::kY);
        case Input::kPadLeftShoulder:
            return family(ButtonSheet::kLeftShoulder);
        case Input::kPadRightShoulder:
            return family(ButtonSheet::kRightShoulder);
        case Input::kPadBack:
            return family(ButtonSheet::kBack);
        case Input::kPadStart:
            return family(ButtonSheet::kStart);
        case Input::kPadUp:
            return ButtonSheet::shared_cell(ButtonSheet::kDpadUp);
        case Input::kPadDown:
            return ButtonSheet::shared_cell(ButtonSheet::kDpadDown);
        case Input::kPadLeft:
            return ButtonSheet::shared_cell(ButtonSheet::kDpadLeft);
        case Input::kPadRight:
            return ButtonSheet::shared_cell(ButtonSheet::kDpadRight);
        case Input::kPadLeftStick:
            return ButtonSheet::shared_cell(ButtonSheet::kLeftStick);
        case Input::kPadRightStick:
            return ButtonSheet::shared_cell(ButtonSheet::kRightStick);
        case Input::kPadGuide:
            return ButtonSheet::shared_cell(ButtonSheet::kGuide);
        default:
            return -1;
    }
}

// The arrow key of a direction, or -1: named before W, A, S and D, which read as letters.
int arrow_of(Button action) {
    switch (action) {
        case Button::Up:
            return Input::kUpKey;
        case Button::Down:
            return Input::kDownKey;
        case Button::Left:
            return Input::kLeftKey;
        case Button::Right:
            return Input::kRightKey;
        default:
            return -1;
    }
}

}  // namespace

Prompts::Prompts(const Settings& settings_, Input::Device device_)
    : settings(settings_), device(device_) {}

std::string Prompts::pad_button(Input::Device device, int button) {
    const int cell = cell_of(device, button);
    return cell < 0 ? Settings::pad_label(button) : Text::picture(cell);
}

std::string Prompts::of(Button action) const {
    if (device != Input::Device::Keys) {
        const std::vector<int> buttons = settings.pad_buttons_of(action);
        if (!buttons.empty()) return pad_button(device, buttons.front());
    }
    const std::vector<int> keys = settings.keys_of(action);
    if (keys.empty()) return "";
    const int arrow = arrow_of(action);
    const bool arrow_bound = std::find(keys.begin(), keys.end(), arrow) != keys.end();
    return Settings::key_label(arrow_bound ? arrow : keys.front());
}

std::string Prompts::back() const {
    if (device != Input::Device::Keys) {
        const std::vector<int> buttons = settings.pad_buttons_of(Button::Select);
        if (!buttons.empty()) return pad_button(device, buttons.front());
    }
    return Settings::key_label(Input::kEscapeKey);
}

std::string Prompts::any() const { return device == Input::Device::Keys ? "key" : "button"; }
