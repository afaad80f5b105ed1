#include "engine/input.h"

#include <algorithm>
#include <cstring>

namespace {

// SDL's text fields are fixed arrays; never read past them even if one arrived unterminated.
template <std::size_t N>
std::string from_field(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

// Looked up by number: SDL's event fields are wider than its enumerations, and turning a stray
// number into one of them is undefined.
Input::Button bound(const std::unordered_map<int, Input::Button>& binds, int key) {
    const auto found = binds.find(key);
    return found == binds.end() ? Input::Button::None : found->second;
}

// The scancode as the number it is: an event pushed by anyone may carry a value outside SDL's
// enumeration, and loading that as the enumeration is undefined.
int raw_scancode(const SDL_Event& event) {
    int32_t raw = 0;
    static_assert(sizeof raw == sizeof event.key.keysym.scancode);
    std::memcpy(&raw, &event.key.keysym.scancode, sizeof raw);
    return raw;
}

constexpr int kAxisCount = 64;
// Stick values from -kDeadZone to kDeadZone inclusive count as centred.
constexpr int kDeadZone = 16000;

}  // namespace

using Button = Input::Button;

const std::vector<std::pair<int, Button>> Input::kDefaultKeyBinds = {
    {SDL_SCANCODE_UP, Button::Up},        {SDL_SCANCODE_W, Button::Up},
    {SDL_SCANCODE_A, Button::Left},       {SDL_SCANCODE_LEFT, Button::Left},
    {SDL_SCANCODE_S, Button::Down},       {SDL_SCANCODE_DOWN, Button::Down},
    {SDL_SCANCODE_D, Button::Right},      {SDL_SCANCODE_RIGHT, Button::Right},
    {SDL_SCANCODE_SPACE, Button::A},      {SDL_SCANCODE_J, Button::B},
    {SDL_SCANCODE_K, Button::X},          {SDL_SCANCODE_L, Button::Y},
    {SDL_SCANCODE_Z, Button::A},          {SDL_SCANCODE_X, Button::B},
    {SDL_SCANCODE_C, Button::X},          {SDL_SCANCODE_V, Button::Y},
    {SDL_SCANCODE_LSHIFT, Button::L},     {SDL_SCANCODE_RSHIFT, Button::R},
    {SDL_SCANCODE_TAB, Button::Select},   {SDL_SCANCODE_RETURN, Button::Start},
    {SDL_SCANCODE_F, Button::Fullscreen}, {SDL_SCANCODE_ESCAPE, Button::Escape},
};

// Face buttons follow their position on the pad, not SDL's labels: south is B, east is A.
const std::vector<std::pair<int, Button>> Input::kDefaultPadBinds = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, Button::Up},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, Button::Left},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, Button::Down},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, Button::Right},
    {SDL_CONTROLLER_BUTTON_A, Button::B},
    {SDL_CONTROLLER_BUTTON_B, Button::A},
    {SDL_CONTROLLER_BUTTON_X, Button::Y},
    {SDL_CONTROLLER_BUTTON_Y, Button::X},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, Button::L},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, Button::R},
    {SDL_CONTROLLER_BUTTON_BACK, Button::Select},
    {SDL_CONTROLLER_BUTTON_START, Button::Start},
};

const std::vector<std::pair<int, std::pair<Button, Button>>> Input::kDefaultAxisBinds = {
    {SDL_CONTROLLER_AXIS_LEFTX, {Button::Left, Button::Right}},
    {SDL_CONTROLLER_AXIS_LEFTY, {Button::Up, Button::Down}},
    {SDL_CONTROLLER_AXIS_RIGHTX, {Button::Left, Button::Right}},
    {SDL_CONTROLLER_AXIS_RIGHTY, {Button::Up, Button::Down}},
};

Input::Input()
    : key_binds(kDefaultKeyBinds.begin(), kDefaultKeyBinds.end()),
      pad_binds(kDefaultPadBinds.begin(), kDefaultPadBinds.end()),
      axis_binds(kDefaultAxisBinds.begin(), kDefaultAxisBinds.end()) {}

Input::Device Input::device_of(SDL_GameControllerType type) {
    switch (type) {
        case SDL_CONTROLLER_TYPE_XBOX360:
        case SDL_CONTROLLER_TYPE_XBOXONE:
        // The same four letters in the same places as on an Xbox pad.
        case SDL_CONTROLLER_TYPE_AMAZON_LUNA:
        case SDL_CONTROLLER_TYPE_GOOGLE_STADIA:
        case SDL_CONTROLLER_TYPE_NVIDIA_SHIELD:
            return Device::Xbox;
        case SDL_CONTROLLER_TYPE_PS3:
        case SDL_CONTROLLER_TYPE_PS4:
        case SDL_CONTROLLER_TYPE_PS5:
            return Device::PlayStation;
        case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_PRO:
        case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_PAIR:
            return Device::Nintendo;
        // A single Joy-Con is held sideways: its letters (or arrows) no longer say where a
        // button is, its position does.
        case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_LEFT:
        case SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_RIGHT:
        case SDL_CONTROLLER_TYPE_VIRTUAL:
        case SDL_CONTROLLER_TYPE_UNKNOWN:
        default:
            return Device::Pad;
    }
}

Input::Device Input::device_of_controller(SDL_JoystickID id) const {
    const auto found = controllers.find(id);
    if (found == controllers.end()) return Device::Pad;
    return device_of(SDL_GameControllerGetType(found->second));
}

void Input::init() {
    // Every mapping first, so that the scan recognises pads known only to our table.
    for (const char* mapping : kGamepadDB) SDL_GameControllerAddMapping(mapping);
    process_controllers();
    axis_state.fill(0);
    // A controller connected at start is most likely what the player will use; the lowest
    // instance is the one connected first.
    if (!controllers.empty()) {
        SDL_JoystickID first = controllers.begin()->first;
        for (const auto& entry : controllers) first = std::min(first, entry.first);
        last_device = device_of_controller(first);
    }
    // SDL starts with text input on; it stays off until a screen asks for an entry, so that
    // no input method pops up over a game.
    SDL_StopTextInput();
}

void Input::process_controllers() {
    // One handle per device: opening an open device again would take another reference that is
    // never given back, and a controller plugged in and out all evening would pile them up.
    // SDL closes whatever is still open at SDL_Quit.
    const int count = SDL_NumJoysticks();
    for (int index = 0; index < count; ++index) {
        if (!SDL_IsGameController(index)) continue;
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        if (controllers.count(id) != 0) continue;
        if (SDL_GameController* controller = SDL_GameControllerOpen(index)) {
            controllers[id] = controller;
        }
    }
}

void Input::close_controller(SDL_JoystickID id) {
    const auto found = controllers.find(id);
    if (found == controllers.end()) return;
    SDL_GameControllerClose(found->second);
    controllers.erase(found);
}

bool Input::process() {
    pressed_buttons.clear();
    released_buttons.clear();
    interruption = false;
    window_changed = false;
    pressed_keys.clear();
    pressed_pad_buttons.clear();
    typed.clear();
    erased = 0;
    released_keys.clear();
    released_pad_buttons.clear();
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
            case SDL_QUIT:
                // Whatever is still queued waits for the next call.
                return false;
            case SDL_KEYDOWN:
                if (editing_text) {
                    edit_key(event);
                } else if (event.key.repeat == 0) {
                    key_down(event);
                }
                if (event.key.repeat == 0) {
                    last_controller = -1;
                    last_device = Device::Keys;
                }
                break;
            case SDL_KEYUP:
                key_up(event);
                break;
            case SDL_TEXTINPUT:
                text_input(from_field(event.text.text));
                break;
            case SDL_CONTROLLERAXISMOTION:
                pad_axis(event);
                if (event.caxis.value < -kDeadZone || event.caxis.value > kDeadZone) {
                    last_controller = event.caxis.which;
                    last_device = device_of_controller(last_controller);
                }
                break;
            case SDL_CONTROLLERBUTTONDOWN:
                pad_down(event);
                last_controller = event.cbutton.which;
                last_device = device_of_controller(last_controller);
                break;
            case SDL_CONTROLLERBUTTONUP:
                pad_up(event);
                break;
            case SDL_CONTROLLERDEVICEREMOVED:
                if (event.cdevice.which == last_controller) {
                    interruption = true;
                    last_controller = -1;
                    last_device = Device::Keys;
                }
                close_controller(event.cdevice.which);
                process_controllers();
                // The pad taken as used at start may go before it was ever pressed.
                if (controllers.empty()) last_device = Device::Keys;
                break;
            case SDL_CONTROLLERDEVICEADDED:
                process_controllers();
                break;
            case SDL_WINDOWEVENT:
                window_event(event);
                break;
            default:
                break;
        }
    }
    // Judged on where the events left the window, once they are all in.
    if (window_changed && (window_hidden || window_minimised || focus_lost)) interruption = true;
    return true;
}

void Input::window_event(const SDL_Event& event) {
    switch (event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_LOST:
            focus_lost = true;
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            focus_lost = false;
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            window_minimised = true;
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            window_minimised = false;
            break;
        case SDL_WINDOWEVENT_HIDDEN:
            window_hidden = true;
            break;
        case SDL_WINDOWEVENT_SHOWN:
            window_hidden = false;
            break;
        default:
            return;
    }
    window_changed = true;
}

void Input::rumble(double low, double high, uint32_t ms) const {
    const auto found = controllers.find(last_controller);
    if (found == controllers.end()) return;
    const auto strength = [](double s) {
        return static_cast<Uint16>(std::clamp(s, 0.0, 1.0) * 0xFFFF);
    };
    // Controllers without motors refuse; that is all rumbling can do wrong.
    SDL_GameControllerRumble(found->second, strength(low), strength(high), ms);
}

std::vector<Button> Input::all_pressed() const {
    return std::vector<Button>(pressed_buttons.begin(), pressed_buttons.end());
}

Button Input::keybind(SDL_Scancode key) const { return bound(key_binds, key); }

Button Input::padbind(SDL_GameControllerButton button) const { return bound(pad_binds, button); }

void Input::key_down(const SDL_Event& event) {
    const int key = raw_scancode(event);
    pressed_keys.push_back(key);
    press(bound(key_binds, key));
}

void Input::key_up(const SDL_Event& event) {
    const int key = raw_scancode(event);
    released_keys.push_back(key);
    release(bound(key_binds, key));
}

void Input::pad_down(const SDL_Event& event) {
    pressed_pad_buttons.push_back(event.cbutton.button);
    press(bound(pad_binds, event.cbutton.button));
}

void Input::pad_up(const SDL_Event& event) {
    released_pad_buttons.push_back(event.cbutton.button);
    release(bound(pad_binds, event.cbutton.button));
}

void Input::pad_axis(const SDL_Event& event) {
    const int axis = event.caxis.axis;
    if (axis >= kAxisCount) return;
    const int value = event.caxis.value;
    const int side = value < -kDeadZone ? -1 : value > kDeadZone ? 1 : 0;
    const auto bound = axis_binds.find(axis);
    if (bound == axis_binds.end()) return;
    const auto [negative, positive] = bound->second;
    const int previous = axis_state[axis];
    // A stick held on one side sends a stream of motion events but gives one press.
    if (side == previous) return;
    if (side == 0) {
        if (previous == -1) release(negative);
        if (previous == 1) release(positive);
    } else if (side == 1) {
        if (previous == -1) release(negative);
        press(positive);
    } else {
        press(negative);
        if (previous == 1) release(positive);
    }
    axis_state[axis] = side;
}

void Input::press(Button b) {
    if (b == Button::None) return;
    pressed_buttons.insert(b);
    held_buttons.insert(b);
}

void Input::release(Button b) {
    if (b == Button::None) return;
    released_buttons.insert(b);
    held_buttons.erase(b);
}

void Input::bind_key(SDL_Scancode key, Button b) { key_binds[key] = b; }

void Input::bind_pad(SDL_GameControllerButton button, Button b) { pad_binds[button] = b; }

void Input::bind_axis(int axis, Button negative, Button positive) {
    axis_binds[axis] = {negative, positive};
}

std::string Input::key_name(int scancode) {
    if (scancode <= SDL_SCANCODE_UNKNOWN || scancode >= kKeyCount) return "";
    const char* name = SDL_GetScancodeName(static_cast<SDL_Scancode>(scancode));
    return name == nullptr ? "" : name;
}

int Input::key_from_name(const std::string& name) {
    if (name.empty()) return -1;
    const SDL_Scancode key = SDL_GetScancodeFromName(name.c_str());
    return key == SDL_SCANCODE_UNKNOWN ? -1 : static_cast<int>(key);
}

std::string Input::pad_button_name(int button) {
    if (button < 0 || button >= kPadButtonCount) return "";
    const char* name =
        SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(button));
    return name == nullptr ? "" : name;
}

int Input::pad_button_from_name(const std::string& name) {
    if (name.empty()) return -1;
    const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(name.c_str());
    return button == SDL_CONTROLLER_BUTTON_INVALID ? -1 : static_cast<int>(button);
}

void Input::begin_editing() {
    editing_text = true;
    SDL_StartTextInput();
}

void Input::end_editing() {
    editing_text = false;
    SDL_StopTextInput();
}

void Input::text_input(const std::string& new_text) {
    if (!editing_text) return;
    for (const char byte : new_text) {
        // Control bytes (a pasted line's end, a tab) have no place in a one-line entry.
        if (static_cast<unsigned char>(byte) < ' ' || byte == '\x7f') continue;
        // Whole characters only: a cut in the middle of one would leave a broken sequence.
        if (typed.size() >= kMaxTyped && (static_cast<unsigned char>(byte) & 0xC0) != 0x80) break;
        if (typed.size() >= kMaxTyped + 3) break;
        typed += byte;
    }
}

void Input::edit_key(const SDL_Event& event) {
    const int key = raw_scancode(event);
    if (key == SDL_SCANCODE_BACKSPACE) {
        // One character, however many bytes it took.
        if (typed.empty()) {
            ++erased;
        } else {
            while (!typed.empty() && (static_cast<unsigned char>(typed.back()) & 0xC0) == 0x80) {
                typed.pop_back();
            }
            if (!typed.empty()) typed.pop_back();
        }
        return;
    }
    if (event.key.repeat != 0) return;
    pressed_keys.push_back(key);
    const bool paste = (key == SDL_SCANCODE_V && (event.key.keysym.mod & KMOD_CTRL) != 0) ||
                       (key == SDL_SCANCODE_INSERT && (event.key.keysym.mod & KMOD_SHIFT) != 0);
    if (!paste || !SDL_HasClipboardText()) return;
    char* clipboard = SDL_GetClipboardText();
    if (clipboard == nullptr) return;
    // Read no further than a frame can take: the clipboard may hold a whole book.
    text_input(std::string(clipboard, strnlen(clipboard, kMaxTyped + 4)));
    SDL_free(clipboard);
}
