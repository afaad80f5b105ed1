// Logical buttons fed by keys, controller buttons and sticks; the only reader of SDL events.
#pragma once

#include <SDL.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "engine/util.h"

class Input {
public:
    enum class Button : int {
        None = 0,
        Up = 1,
        Down = 2,
        Left = 3,
        Right = 4,
        Start = 5,
        Select = 6,
        A = 7,
        B = 8,
        X = 9,
        Y = 10,
        L = 11,
        R = 12,
        // The Escape key's own button: leaves, pauses or gives up, depending on the screen.
        // Not offered for rebinding, so that there is always a way back.
        Escape = 13,
        Fullscreen = 17,
    };
    using ButtonSet = std::unordered_set<Button, Util::CastHash<Button>>;

    // What the player holds, as prompts name it: the keyboard, or a controller of a family
    // whose buttons look alike (Pad: any other, its buttons known only by position).
    enum class Device : int { Keys = 0, Xbox, PlayStation, Nintendo, Pad };
    // The family of a controller of SDL's `type`; Pad for types this table does not know.
    static Device device_of(SDL_GameControllerType type);

    // Built-in tables, in stored order, copied into every new Input.
    static const std::vector<std::pair<int, Button>> kDefaultKeyBinds;  // scancode -> button
    static const std::vector<std::pair<int, Button>> kDefaultPadBinds;  // controller button
    static const std::vector<std::pair<int, std::pair<Button, Button>>> kDefaultAxisBinds;
    // Controller mappings in SDL's format, generated from data/gamecontrollerdb.txt.
    static const std::vector<const char*> kGamepadDB;

    // Touches no SDL function, so it can run before SDL_Init.
    Input();
    // After SDL_Init: registers kGamepadDB, opens the controllers, zeroes axis_state.
    void init();
    void process_controllers();
    // Closes the handle of a controller that was unplugged.
    void close_controller(SDL_JoystickID id);

    // Once per main-loop step: clears the per-frame sets and consumes all pending events.
    // Returns false as soon as a quit event is seen (the rest stays queued).
    bool process();

    // Whether the player was taken away from the game during the latest process(): the window
    // lost the focus, was minimised or hidden, or the controller last used was unplugged. A
    // screen that can pause does so; only the player resumes.
    bool interrupted() const { return interruption; }

    // Rumbles the controller last used, if it can, at strengths from 0 to 1 for `ms`
    // milliseconds; a newer rumble replaces one still running. Nothing happens after the
    // keyboard was used last or when no controller is open.
    void rumble(double low, double high, uint32_t ms) const;

    // The device whose press came last: keys or a controller family. From init() on, a
    // controller already connected counts as used, so that its prompts show from the start.
    Device device() const { return last_device; }

    bool key_pressed(Button b) const { return pressed_buttons.count(b) != 0; }
    bool key_held(Button b) const { return held_buttons.count(b) != 0; }
    bool key_released(Button b) const { return released_buttons.count(b) != 0; }
    bool any_pressed() const { return !pressed_buttons.empty(); }
    // What "press any key" means on a screen: Fullscreen is the main loop's, on every screen,
    // and never also does what a screen's other buttons do.
    bool any_pressed_but_fullscreen() const {
        return pressed_buttons.size() > pressed_buttons.count(Button::Fullscreen);
    }
    std::vector<Button> all_pressed() const;
    Button keybind(SDL_Scancode key) const;
    Button padbind(SDL_GameControllerButton button) const;

    // Names as players see them and as settings files store them: SDL's key names ("Return",
    // "Left Shift") and controller button names ("a", "dpleft"). Unknown numbers give an empty
    // name; unknown names give -1. No SDL initialisation needed.
    static std::string key_name(int scancode);
    static int key_from_name(const std::string& name);
    static std::string pad_button_name(int button);
    static int pad_button_from_name(const std::string& name);
    static constexpr int kKeyCount = SDL_NUM_SCANCODES;
    static constexpr int kEscapeKey = SDL_SCANCODE_ESCAPE;  // always bound to Button::Escape
    static constexpr int kPadButtonCount = SDL_CONTROLLER_BUTTON_MAX;
    // Controller buttons and arrow keys by SDL's numbers, for game code, which never names SDL.
    enum PadButton : int {
        kPadA = SDL_CONTROLLER_BUTTON_A,
        kPadB = SDL_CONTROLLER_BUTTON_B,
        kPadX = SDL_CONTROLLER_BUTTON_X,
        kPadY = SDL_CONTROLLER_BUTTON_Y,
        kPadBack = SDL_CONTROLLER_BUTTON_BACK,
        kPadGuide = SDL_CONTROLLER_BUTTON_GUIDE,
        kPadStart = SDL_CONTROLLER_BUTTON_START,
        kPadLeftStick = SDL_CONTROLLER_BUTTON_LEFTSTICK,
        kPadRightStick = SDL_CONTROLLER_BUTTON_RIGHTSTICK,
        kPadLeftShoulder = SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
        kPadRightShoulder = SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
        kPadUp = SDL_CONTROLLER_BUTTON_DPAD_UP,
        kPadDown = SDL_CONTROLLER_BUTTON_DPAD_DOWN,
        kPadLeft = SDL_CONTROLLER_BUTTON_DPAD_LEFT,
        kPadRight = SDL_CONTROLLER_BUTTON_DPAD_RIGHT,
    };
    static constexpr int kReturnKey = SDL_SCANCODE_RETURN;
    static constexpr int kEnterKey = SDL_SCANCODE_KP_ENTER;
    static constexpr int kUpKey = SDL_SCANCODE_UP;
    static constexpr int kDownKey = SDL_SCANCODE_DOWN;
    static constexpr int kLeftKey = SDL_SCANCODE_LEFT;
    static constexpr int kRightKey = SDL_SCANCODE_RIGHT;

    void key_down(const SDL_Event& event);
    void edit_key(const SDL_Event& event);  // a key down while editing
    void key_up(const SDL_Event& event);
    void pad_down(const SDL_Event& event);
    void pad_up(const SDL_Event& event);
    void pad_axis(const SDL_Event& event);
    void press(Button b);
    void release(Button b);
    void window_event(const SDL_Event& event);

    void bind_key(SDL_Scancode key, Button b);
    void bind_pad(SDL_GameControllerButton button, Button b);
    void bind_axis(int axis, Button negative, Button positive);

    // Text entry. While it is on, keys type instead of pressing their buttons (so that "f"
    // does not switch the window), Backspace erases, even held, and Ctrl+V pastes; controller
    // buttons still press theirs. What was typed arrives frame by frame in `typed` and
    // `erased`: the screen that asked keeps the text itself. The keys pressed still arrive in
    // pressed_keys, for Return and Escape.
    bool editing() const { return editing_text; }
    void begin_editing();
    void end_editing();
    // Adds what was typed or pasted, up to kMaxTyped bytes a frame; nothing when not editing.
    void text_input(const std::string& text);
    static constexpr std::size_t kMaxTyped = 256;

    ButtonSet held_buttons;
    ButtonSet pressed_buttons;   // went down during the latest process()
    ButtonSet released_buttons;  // went up during the latest process()
    // Raw keys and controller buttons that went down during the latest process(), bound or
    // not, in order: what a screen that changes the bindings listens to.
    std::vector<int> pressed_keys;
    std::vector<int> pressed_pad_buttons;
    // And those that went up: with the above, whether any key at all is still down.
    std::vector<int> released_keys;
    std::vector<int> released_pad_buttons;
    bool editing_text = false;
    std::string typed;  // during the latest process(), after the erasures it did not undo
    int erased = 0;     // characters erased from what was there before that process()
    std::array<int32_t, 64> axis_state{};  // last side per axis number: -1, 0 or +1
    std::unordered_map<int, Button> key_binds;
    std::unordered_map<int, Button> pad_binds;
    std::unordered_map<int, std::pair<Button, Button>> axis_binds;        // negative, positive
    std::unordered_map<SDL_JoystickID, SDL_GameController*> controllers;  // open, by instance
    bool interruption = false;                                            // see interrupted()
    // What the window events said last: SDL may hide and show a window within one frame (as
    // when a renderer re-creates it), which is no reason to pause.
    bool window_hidden = false;
    bool window_minimised = false;
    bool focus_lost = false;
    bool window_changed = false;          // one of the three changed during the latest process()
    SDL_JoystickID last_controller = -1;  // the controller that sent the last press; -1: keys
    Device last_device = Device::Keys;    // see device()

private:
    // The family of an open controller; Pad for one not open (as events pushed by hand).
    Device device_of_controller(SDL_JoystickID id) const;
};
