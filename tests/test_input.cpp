// Input fed with real SDL events through SDL's own queue.
#include "engine/input.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using Button = Input::Button;
using test::attach_pad;
using test::Motors;

void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

void push_key(Uint32 type, SDL_Scancode scancode, Uint8 repeat = 0, Uint16 mod = KMOD_NONE) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = mod;
    push(event);
}

void push_pad_button(Uint32 type, SDL_GameControllerButton button, SDL_JoystickID which = 0) {
    SDL_Event event{};
    event.type = type;
    event.cbutton.which = which;
    event.cbutton.button = static_cast<Uint8>(button);
    event.cbutton.state = type == SDL_CONTROLLERBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    push(event);
}

void push_axis(Uint8 axis, Sint16 value, SDL_JoystickID controller = 0) {
    SDL_Event event{};
    event.type = SDL_CONTROLLERAXISMOTION;
    event.caxis.which = controller;
    event.caxis.axis = axis;
    event.caxis.value = value;
    push(event);
}

void push_text(Uint32 type, const char* text) {
    SDL_Event event{};
    event.type = type;
    char* field = type == SDL_TEXTINPUT ? event.text.text : event.edit.text;
    std::strncpy(field, text, SDL_TEXTINPUTEVENT_TEXT_SIZE - 1);
    push(event);
}

void push_type(Uint32 type) {
    SDL_Event event{};
    event.type = type;
    push(event);
}

std::set<Button> as_set(const Input::ButtonSet& buttons) {
    return std::set<Button>(buttons.begin(), buttons.end());
}

// The mappings as the text file holds them: one per line, blank lines and '#' comments skipped.
std::vector<std::string> mappings_in_text_file() {
    std::ifstream file("data/gamecontrollerdb.txt", std::ios::binary);
    std::vector<std::string> mappings;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        mappings.push_back(line);
    }
    return mappings;
}

std::string guid_of(const std::string& mapping) { return mapping.substr(0, mapping.find(',')); }

class InputEvents : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS | SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        input.init();
        ASSERT_TRUE(input.process());  // drains whatever SDL queued while starting up
    }
    void TearDown() override { SDL_Quit(); }

    Input input;
};

TEST(InputBindings, StartFromDefaultsWithoutSdl) {
    ASSERT_EQ(SDL_WasInit(0), 0u);
    Input input;
    EXPECT_EQ(input.keybind(SDL_SCANCODE_W), Button::Up);
    EXPECT_EQ(input.keybind(SDL_SCANCODE_UP), Button::Up);
    EXPECT_EQ(input.keybind(SDL_SCANCODE_RETURN), Button::Start);
    EXPECT_EQ(input.keybind(SDL_SCANCODE_F), Button::Fullscreen);
    EXPECT_EQ(input.keybind(SDL_SCANCODE_Q), Button::None);
    EXPECT_EQ(input.key_binds.size(), Input::kDefaultKeyBinds.size());
    EXPECT_EQ(input.pad_binds.size(), Input::kDefaultPadBinds.size());
    EXPECT_EQ(input.axis_binds.size(), Input::kDefaultAxisBinds.size());
    EXPECT_FALSE(input.editing());
    EXPECT_TRUE(input.typed.empty());
}

TEST(InputBindings, FaceButtonsFollowTheirPositionNotSdlLabels) {
    Input input;
    EXPECT_EQ(input.padbind(SDL_CONTROLLER_BUTTON_A), Button::B);  // south
    EXPECT_EQ(input.padbind(SDL_CONTROLLER_BUTTON_B), Button::A);  // east
    EXPECT_EQ(input.padbind(SDL_CONTROLLER_BUTTON_X), Button::Y);  // west
    EXPECT_EQ(input.padbind(SDL_CONTROLLER_BUTTON_Y), Button::X);  // north
    EXPECT_EQ(input.padbind(SDL_CONTROLLER_BUTTON_GUIDE), Button::None);
    EXPECT_EQ(input.padbind(SDL_CONTROLLER_BUTTON_LEFTSTICK), Button::None);
}

TEST_F(InputEvents, HeldKeyGivesOnePressDespiteRepeats) {
    push_key(SDL_KEYDOWN, SDL_SCANCODE_SPACE);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_SPACE, 1);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.key_pressed(Button::A));
    EXPECT_TRUE(input.key_held(Button::A));

    push_key(SDL_KEYDOWN, SDL_SCANCODE_SPACE, 1);
    ASSERT_TRUE(input.process());
    EXPECT_FALSE(input.key_pressed(Button::A));
    EXPECT_FALSE(input.any_pressed());
    EXPECT_TRUE(input.key_held(Button::A));

    push_key(SDL_KEYUP, SDL_SCANCODE_SPACE);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.key_released(Button::A));
    EXPECT_FALSE(input.key_held(Button::A));

    ASSERT_TRUE(input.process());
    EXPECT_FALSE(input.key_released(Button::A));
}

TEST_F(InputEvents, ReleasingOneOfTwoKeysOfAButtonReleasesIt) {
    push_key(SDL_KEYDOWN, SDL_SCANCODE_W);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_UP);
    ASSERT_TRUE(input.process());
    EXPECT_EQ(input.all_pressed(), std::vector<Button>{Button::Up});

    push_key(SDL_KEYUP, SDL_SCANCODE_UP);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.key_released(Button::Up));
    EXPECT_FALSE(input.key_held(Button::Up));  // although W is still down
}

TEST_F(InputEvents, ReleaseWithoutPressIsStillReported) {
    push_key(SDL_KEYUP, SDL_SCANCODE_RETURN);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.key_released(Button::Start));
    EXPECT_FALSE(input.key_held(Button::Start));
    EXPECT_FALSE(input.any_pressed());
}

TEST_F(InputEvents, PressAndReleaseInOneFrameCountBoth) {
    push_key(SDL_KEYDOWN, SDL_SCANCODE_X);
    push_key(SDL_KEYUP, SDL_SCANCODE_X);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.key_pressed(Button::B));
    EXPECT_TRUE(input.key_released(Button::B));
    EXPECT_FALSE(input.key_held(Button::B));
}

TEST_F(InputEvents, UnboundKeysAndOtherEventsChangeNothing) {
    push_key(SDL_KEYDOWN, SDL_SCANCODE_Q);
    push_key(SDL_KEYUP, SDL_SCANCODE_Q);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_UNKNOWN);
    push_type(SDL_MOUSEBUTTONDOWN);
    push_type(SDL_JOYBUTTONDOWN);
    push_type(SDL_USEREVENT);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.all_pressed().empty());
    EXPECT_TRUE(input.released_buttons.empty());
    EXPECT_TRUE(input.held_buttons.empty());
}

TEST_F(InputEvents, AllPressedListsEveryButtonOfTheFrame) {
    EXPECT_TRUE(input.all_pressed().empty());
    push_key(SDL_KEYDOWN, SDL_SCANCODE_A);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_RETURN);
    push_pad_button(SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLER_BUTTON_B);
    ASSERT_TRUE(input.process());
    auto pressed = input.all_pressed();
    std::sort(pressed.begin(), pressed.end());
    EXPECT_EQ(pressed, (std::vector<Button>{Button::Left, Button::Start, Button::A}));
}

TEST_F(InputEvents, QuitStopsInTheMiddleOfTheQueue) {
    push_key(SDL_KEYDOWN, SDL_SCANCODE_D);
    push_type(SDL_QUIT);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_RETURN);
    EXPECT_FALSE(input.process());
    EXPECT_TRUE(input.key_pressed(Button::Right));
    EXPECT_FALSE(input.key_pressed(Button::Start));

    // The rest is still queued for the next frame.
    EXPECT_TRUE(input.process());
    EXPECT_TRUE(input.key_pressed(Button::Start));
    EXPECT_FALSE(input.key_pressed(Button::Right));
    EXPECT_TRUE(input.key_held(Button::Right));
}

TEST_F(InputEvents, RebindingToNoneMakesAKeyInert) {
    input.bind_key(SDL_SCANCODE_F, Button::None);
    EXPECT_EQ(input.keybind(SDL_SCANCODE_F), Button::None);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_F);
    ASSERT_TRUE(input.process());
    EXPECT_FALSE(input.key_pressed(Button::Fullscreen));
    EXPECT_FALSE(input.any_pressed());
    EXPECT_FALSE(input.held_buttons.count(Button::None));
}

TEST_F(InputEvents, RebindingMovesKeysAndPadButtons) {
    input.bind_key(SDL_SCANCODE_Q, Button::Start);
    input.bind_pad(SDL_CONTROLLER_BUTTON_GUIDE, Button::Select);
    input.bind_pad(SDL_CONTROLLER_BUTTON_START, Button::None);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_Q);
    push_pad_button(SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLER_BUTTON_GUIDE);
    push_pad_button(SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLER_BUTTON_START);
    ASSERT_TRUE(input.process());
    EXPECT_EQ(as_set(input.pressed_buttons), (std::set<Button>{Button::Start, Button::Select}));

    push_key(SDL_KEYUP, SDL_SCANCODE_Q);
    push_pad_button(SDL_CONTROLLERBUTTONUP, SDL_CONTROLLER_BUTTON_GUIDE);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.held_buttons.empty());
}

TEST_F(InputEvents, PadButtonsPressAndRelease) {
    push_pad_button(SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLER_BUTTON_A);
    push_pad_button(SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    push_pad_button(SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLER_BUTTON_LEFTSTICK);  // unbound
    ASSERT_TRUE(input.process());
    EXPECT_EQ(as_set(input.pressed_buttons), (std::set<Button>{Button::Left, Button::B}));

    push_pad_button(SDL_CONTROLLERBUTTONUP, SDL_CONTROLLER_BUTTON_A);
    push_pad_button(SDL_CONTROLLERBUTTONUP, SDL_CONTROLLER_BUTTON_LEFTSTICK);
    ASSERT_TRUE(input.process());
    EXPECT_EQ(as_set(input.released_buttons), std::set<Button>{Button::B});
    EXPECT_EQ(as_set(input.held_buttons), std::set<Button>{Button::Left});
}

// SDL's event field is a byte, wider than the button enumeration: a stray number is ignored.
TEST_F(InputEvents, PadButtonNumbersBeyondTheKnownOnesAreIgnored) {
    for (const Uint32 type : {SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLERBUTTONUP}) {
        SDL_Event event{};
        event.type = type;
        event.cbutton.button = 200;
        push(event);
    }
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.pressed_buttons.empty());
    EXPECT_TRUE(input.released_buttons.empty());
}

TEST_F(InputEvents, StickDeadZoneEndsAt16000) {
    push_axis(SDL_CONTROLLER_AXIS_LEFTX, 16000);
    push_axis(SDL_CONTROLLER_AXIS_LEFTY, -16000);
    ASSERT_TRUE(input.process());
    EXPECT_FALSE(input.any_pressed());

    push_axis(SDL_CONTROLLER_AXIS_LEFTX, 16001);
    push_axis(SDL_CONTROLLER_AXIS_LEFTY, -16001);
    ASSERT_TRUE(input.process());
    EXPECT_EQ(as_set(input.pressed_buttons), (std::set<Button>{Button::Up, Button::Right}));
    EXPECT_EQ(input.axis_state[SDL_CONTROLLER_AXIS_LEFTX], 1);
    EXPECT_EQ(input.axis_state[SDL_CONTROLLER_AXIS_LEFTY], -1);

    push_axis(SDL_CONTROLLER_AXIS_LEFTX, 16000);
    push_axis(SDL_CONTROLLER_AXIS_LEFTY, -16000);
    ASSERT_TRUE(input.process());
    EXPECT_EQ(as_set(input.released_buttons), (std::set<Button>{Button::Up, Button::Right}));
    EXPECT_TRUE(input.held_buttons.empty());
}

TEST_F(InputEvents, StickHeldOnASideGivesOnePress) {
    push_axis(SDL_CONTROLLER_AXIS_RIGHTY, 20000);
    push_axis(SDL_CONTROLLER_AXIS_RIGHTY, 32767);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.key_pressed(Button::Down));

    push_axis(SDL_CONTROLLER_AXIS_RIGHTY, 25000);
    ASSERT_TRUE(input.process());
    EXPECT_FALSE(input.any_pressed());
    EXPECT_TRUE(input.key_held(Button::Down));
}

TEST_F(InputEvents, StickCrossingSidesInOneEventReleasesAndPresses) {
    push_axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    ASSERT_TRUE(input.process());
    ASSERT_TRUE(input.key_held(Button::Left));

    push_axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.key_released(Button::Left));
    EXPECT_TRUE(input.key_pressed(Button::Right));
    EXPECT_EQ(as_set(input.held_buttons), std::set<Button>{Button::Right});

    push_axis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.key_released(Button::Right));
    EXPECT_TRUE(input.key_pressed(Button::Left));
    EXPECT_EQ(as_set(input.held_buttons), std::set<Button>{Button::Left});
}

TEST_F(InputEvents, ControllersShareOneStatePerAxis) {
    push_axis(SDL_CONTROLLER_AXIS_LEFTX, -30000, 0);
    ASSERT_TRUE(input.process());
    ASSERT_TRUE(input.key_pressed(Button::Left));

    // The second pad on the same axis finds it already on that side: no second press.
    push_axis(SDL_CONTROLLER_AXIS_LEFTX, -30000, 1);
    ASSERT_TRUE(input.process());
    EXPECT_FALSE(input.any_pressed());

    // Its return to the centre releases the button the first pad still pushes.
    push_axis(SDL_CONTROLLER_AXIS_LEFTX, 0, 1);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.key_released(Button::Left));
    EXPECT_EQ(input.axis_state[SDL_CONTROLLER_AXIS_LEFTX], 0);
}

TEST_F(InputEvents, UnboundAxisIsIgnoredAndKeepsItsState) {
    push_axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 30000);
    ASSERT_TRUE(input.process());
    EXPECT_FALSE(input.any_pressed());
    EXPECT_EQ(input.axis_state[SDL_CONTROLLER_AXIS_TRIGGERRIGHT], 0);

    // Once bound, the same position is a fresh press, because nothing was recorded before.
    input.bind_axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, Button::None, Button::R);
    push_axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 30000);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.key_pressed(Button::R));
}

TEST_F(InputEvents, AxisSideBoundToNoneDoesNothing) {
    input.bind_axis(SDL_CONTROLLER_AXIS_LEFTX, Button::None, Button::Right);
    push_axis(SDL_CONTROLLER_AXIS_LEFTX, -30000);
    ASSERT_TRUE(input.process());
    EXPECT_FALSE(input.any_pressed());
    EXPECT_EQ(input.axis_state[SDL_CONTROLLER_AXIS_LEFTX], -1);

    push_axis(SDL_CONTROLLER_AXIS_LEFTX, 30000);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.key_pressed(Button::Right));
    EXPECT_TRUE(input.released_buttons.empty());
}

TEST_F(InputEvents, AxisNumbersAbove63AreIgnored) {
    input.bind_axis(64, Button::Left, Button::Right);
    input.bind_axis(255, Button::Left, Button::Right);
    push_axis(64, 30000);
    push_axis(255, -30000);
    ASSERT_TRUE(input.process());
    EXPECT_FALSE(input.any_pressed());

    input.bind_axis(63, Button::Up, Button::Down);
    push_axis(63, 30000);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.key_pressed(Button::Down));
    EXPECT_EQ(input.axis_state[63], 1);
}

// In an entry, keys type rather than press their buttons (F must not switch the window), and
// the screen gets each frame's typing and erasing to apply to its own text.
TEST_F(InputEvents, AnEntryTypesErasesAndPastesInsteadOfPressingButtons) {
    push_text(SDL_TEXTINPUT, "ignored");
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.typed.empty());  // no entry open
    EXPECT_FALSE(SDL_IsTextInputActive());

    input.begin_editing();
    EXPECT_TRUE(SDL_IsTextInputActive());
    push_text(SDL_TEXTINPUT, "ab");
    push_text(SDL_TEXTINPUT, "\xc3\xa9");  // one character, two bytes
    push_key(SDL_KEYDOWN, SDL_SCANCODE_F);
    push_text(SDL_TEXTINPUT, "f");
    push_key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, 1);  // held: erases again
    push_pad_button(SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLER_BUTTON_START);
    ASSERT_TRUE(input.process());
    EXPECT_EQ(input.typed, "ab");
    EXPECT_EQ(input.erased, 0);
    EXPECT_FALSE(input.key_pressed(Button::Fullscreen));
    EXPECT_EQ(input.pressed_keys, std::vector<int>{SDL_SCANCODE_F});  // for Return and Escape
    EXPECT_TRUE(input.key_pressed(Button::Start));  // a controller still presses its buttons

    push_key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE, 1);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.typed.empty());
    EXPECT_EQ(input.erased, 2);  // of what the screen had before

    input.end_editing();
    EXPECT_FALSE(SDL_IsTextInputActive());
    push_key(SDL_KEYDOWN, SDL_SCANCODE_F);
    push_text(SDL_TEXTINPUT, "f");
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.key_pressed(Button::Fullscreen));
    EXPECT_TRUE(input.typed.empty());
}

TEST_F(InputEvents, PastedAndTypedTextIsOneLineOfBoundedLength) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    input.begin_editing();
    ASSERT_EQ(SDL_SetClipboardText("https://dig.example\r\n\tslash/"), 0) << SDL_GetError();
    push_key(SDL_KEYDOWN, SDL_SCANCODE_V, 0, KMOD_LCTRL);
    ASSERT_TRUE(input.process());
    EXPECT_EQ(input.typed, "https://dig.exampleslash/");

    // A clipboard far longer than an entry, ending in the middle of a two-byte character.
    std::string book(Input::kMaxTyped - 1, 'x');
    for (int i = 0; i < 5000; ++i) book += "\xc3\xa9";
    ASSERT_EQ(SDL_SetClipboardText(book.c_str()), 0);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_V, 0, KMOD_LCTRL);
    ASSERT_TRUE(input.process());
    EXPECT_EQ(input.typed, book.substr(0, Input::kMaxTyped + 1));

    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::memset(event.text.text, 'x', sizeof event.text.text);  // unterminated
    push(event);
    ASSERT_TRUE(input.process());
    EXPECT_EQ(input.typed, std::string(sizeof event.text.text, 'x'));
    input.end_editing();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// A virtual pad stands in for real hardware: SDL announces it like a plugged-in controller.
TEST_F(InputEvents, PluggedInControllerIsOpenedAndFeedsTheButtons) {
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
    ASSERT_TRUE(input.process());
    SDL_GameController* pad = SDL_GameControllerFromInstanceID(id);
    ASSERT_NE(pad, nullptr);

    SDL_Joystick* stick = SDL_GameControllerGetJoystick(pad);
    SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
    SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_LEFTX, -30000);
    ASSERT_TRUE(input.process());
    EXPECT_EQ(as_set(input.pressed_buttons), (std::set<Button>{Button::Left, Button::B}));

    // Unplugged while held: SDL centres the open pad first, so nothing stays stuck down, and
    // the scan that follows the removal finds no device.
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
    ASSERT_TRUE(input.process());
    EXPECT_EQ(as_set(input.released_buttons), (std::set<Button>{Button::Left, Button::B}));
    EXPECT_TRUE(input.held_buttons.empty());
    EXPECT_EQ(SDL_NumJoysticks(), 0);
}

// Plugged in and out all evening, a pad holds one handle while it is there and none after.
TEST_F(InputEvents, ReplugingKeepsOneHandlePerController) {
    for (int round = 0; round < 10; ++round) {
        const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
        ASSERT_GE(index, 0) << SDL_GetError();
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
        push_type(SDL_CONTROLLERDEVICEADDED);  // a second scan while it is plugged in
        ASSERT_TRUE(input.process());
        EXPECT_EQ(input.controllers.size(), 1u);
        EXPECT_EQ(input.controllers.count(id), 1u);

        ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
        ASSERT_TRUE(input.process());
        EXPECT_TRUE(input.controllers.empty());
        EXPECT_EQ(SDL_GameControllerFromInstanceID(id), nullptr);
    }
}

TEST_F(InputEvents, ScancodesOutsideSdlsRangeAreIgnored) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    const int32_t stray = 0x7FFFFF00;
    std::memcpy(&event.key.keysym.scancode, &stray, sizeof stray);
    SDL_PushEvent(&event);
    event.type = SDL_KEYUP;
    SDL_PushEvent(&event);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.pressed_buttons.empty());
    EXPECT_TRUE(input.released_buttons.empty());
}

TEST_F(InputEvents, DeviceEventsWithoutDevicesAreHarmless) {
    push_type(SDL_CONTROLLERDEVICEADDED);
    push_type(SDL_CONTROLLERDEVICEREMOVED);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_TAB);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.key_pressed(Button::Select));
}

// ---- Interruptions and rumble ----

void push_window(Uint8 kind) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = kind;
    push(event);
}

TEST_F(InputEvents, FocusLossMinimisingAndHidingInterruptForOneFrame) {
    for (Uint8 kind :
         {SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_HIDDEN}) {
        push_window(kind);
        ASSERT_TRUE(input.process());
        EXPECT_TRUE(input.interrupted()) << int(kind);
        ASSERT_TRUE(input.process());
        EXPECT_FALSE(input.interrupted()) << "still after " << int(kind);
    }
    // SDL hides and shows a window in one go when a renderer re-creates it.
    push_window(SDL_WINDOWEVENT_HIDDEN);
    push_window(SDL_WINDOWEVENT_SHOWN);
    push_window(SDL_WINDOWEVENT_FOCUS_GAINED);
    push_window(SDL_WINDOWEVENT_RESTORED);
    ASSERT_TRUE(input.process());
    EXPECT_FALSE(input.interrupted());
    // Coming back is no reason to interrupt, nor to resume anything by itself.
    for (Uint8 kind : {SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_RESTORED,
                       SDL_WINDOWEVENT_SHOWN, SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_MOVED,
                       SDL_WINDOWEVENT_SIZE_CHANGED, SDL_WINDOWEVENT_MAXIMIZED}) {
        push_window(kind);
        ASSERT_TRUE(input.process());
        EXPECT_FALSE(input.interrupted()) << int(kind);
    }
}

// Presses Start on the pad at `index` (after the input has opened it).
void press_start_on(int index, Uint8 state = SDL_PRESSED) {
    SDL_Joystick* stick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(index));
    ASSERT_NE(stick, nullptr);
    SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_START, state);
    SDL_JoystickUpdate();
}

TEST_F(InputEvents, UnpluggingTheControllerLastUsedInterruptsAnotherDoesNot) {
    Motors first_motors, second_motors;
    const int first = attach_pad(first_motors);
    const int second = attach_pad(second_motors);
    ASSERT_GE(first, 0) << SDL_GetError();
    ASSERT_GE(second, 0) << SDL_GetError();
    ASSERT_TRUE(input.process());
    ASSERT_EQ(input.controllers.size(), 2u);

    press_start_on(second);
    ASSERT_TRUE(input.process());
    ASSERT_TRUE(input.key_pressed(Button::Start));
    // The other pad is pulled out: play goes on.
    ASSERT_EQ(SDL_JoystickDetachVirtual(first), 0);
    ASSERT_TRUE(input.process());
    EXPECT_FALSE(input.interrupted());
    // The one in the player's hands is (the second pad, now device 0).
    ASSERT_EQ(SDL_JoystickDetachVirtual(0), 0);
    ASSERT_TRUE(input.process());
    EXPECT_TRUE(input.interrupted());
}

TEST_F(InputEvents, UnpluggingAPadAfterTheKeyboardWasUsedDoesNotInterrupt) {
    Motors motors;
    const int index = attach_pad(motors);
    ASSERT_GE(index, 0) << SDL_GetError();
    ASSERT_TRUE(input.process());
    press_start_on(index);
    ASSERT_TRUE(input.process());
    push_key(SDL_KEYDOWN, SDL_SCANCODE_LEFT);
    ASSERT_TRUE(input.process());
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
    ASSERT_TRUE(input.process());
    EXPECT_FALSE(input.interrupted());
}

TEST_F(InputEvents, RumbleGoesToTheControllerLastUsedOnly) {
    Motors used, idle;
    const int a = attach_pad(used);
    const int b = attach_pad(idle);
    ASSERT_GE(a, 0) << SDL_GetError();
    ASSERT_GE(b, 0) << SDL_GetError();
    ASSERT_TRUE(input.process());

    input.rumble(1.0, 1.0, 100);  // nothing used yet
    EXPECT_EQ(used.calls + idle.calls, 0);

    press_start_on(a);
    ASSERT_TRUE(input.process());
    input.rumble(0.5, 2.0, 100);
    EXPECT_EQ(used.calls, 1);
    EXPECT_EQ(used.low, 0x7FFF);
    EXPECT_EQ(used.high, 0xFFFF);  // pinned to full strength
    EXPECT_EQ(idle.calls, 0);

    // After a key press the player holds the keyboard: no rumble.
    push_key(SDL_KEYDOWN, SDL_SCANCODE_RIGHT);
    ASSERT_TRUE(input.process());
    input.rumble(1.0, 1.0, 100);
    EXPECT_EQ(used.calls, 1);
    SDL_JoystickDetachVirtual(b);
    SDL_JoystickDetachVirtual(a);
    ASSERT_TRUE(input.process());
    input.rumble(1.0, 1.0, 100);  // nothing open: nothing happens
}

TEST(InputInit, OpensControllersAlreadyConnected) {
    ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS | SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    Input input;
    input.axis_state.fill(1);
    input.init();
    EXPECT_NE(SDL_GameControllerFromInstanceID(SDL_JoystickGetDeviceInstanceID(index)), nullptr);
    EXPECT_TRUE(std::all_of(input.axis_state.begin(), input.axis_state.end(),
                            [](int32_t side) { return side == 0; }));
    SDL_Quit();
}

// Every controller type this SDL reports, in its numbering, and the family its prompts show.
TEST(InputDevice, EveryControllerTypeHasAFamily) {
    using Device = Input::Device;
    const std::vector<std::pair<SDL_GameControllerType, Device>> table = {
        {SDL_CONTROLLER_TYPE_UNKNOWN, Device::Pad},
        {SDL_CONTROLLER_TYPE_XBOX360, Device::Xbox},
        {SDL_CONTROLLER_TYPE_XBOXONE, Device::Xbox},
        {SDL_CONTROLLER_TYPE_PS3, Device::PlayStation},
        {SDL_CONTROLLER_TYPE_PS4, Device::PlayStation},
        {SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_PRO, Device::Nintendo},
        {SDL_CONTROLLER_TYPE_VIRTUAL, Device::Pad},
        {SDL_CONTROLLER_TYPE_PS5, Device::PlayStation},
        {SDL_CONTROLLER_TYPE_AMAZON_LUNA, Device::Xbox},
        {SDL_CONTROLLER_TYPE_GOOGLE_STADIA, Device::Xbox},
        {SDL_CONTROLLER_TYPE_NVIDIA_SHIELD, Device::Xbox},
        // Held sideways, a single Joy-Con's buttons are known by where they sit.
        {SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_LEFT, Device::Pad},
        {SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_RIGHT, Device::Pad},
        {SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_PAIR, Device::Nintendo},
    };
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto [type, family] = table[i];
        EXPECT_EQ(static_cast<std::size_t>(type), i) << "the table skips a type";
        EXPECT_EQ(Input::device_of(type), family) << "type " << i;
    }
}

// What the prompts show follows the first press of the other device, and a controller
// connected before the start is taken as the one in the player's hands.
TEST(InputDevice, FollowsTheFirstPressOfTheOtherDevice) {
    using Device = Input::Device;
    ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS | SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    Motors motors;
    const int index = attach_pad(motors, 0x054C, 0x09CC);  // a PlayStation 4 pad
    ASSERT_GE(index, 0) << SDL_GetError();
    const SDL_JoystickID pad = SDL_JoystickGetDeviceInstanceID(index);
    Input input;
    EXPECT_EQ(input.device(), Device::Keys);
    input.init();
    EXPECT_EQ(input.device(), Device::PlayStation);
    // The device after a frame of the events pushed so far.
    const auto device_after_frame = [&input] {
        EXPECT_TRUE(input.process());
        return input.device();
    };

    device_after_frame();
    push_key(SDL_KEYDOWN, SDL_SCANCODE_LEFT);
    EXPECT_EQ(device_after_frame(), Device::Keys);
    push_key(SDL_KEYUP, SDL_SCANCODE_LEFT);
    EXPECT_EQ(device_after_frame(), Device::Keys) << "a key let go is no press";

    press_start_on(index);
    EXPECT_EQ(device_after_frame(), Device::PlayStation);
    push_key(SDL_KEYDOWN, SDL_SCANCODE_LEFT, 1);
    EXPECT_EQ(device_after_frame(), Device::PlayStation) << "a key's repeat is no press";

    // A stick counts once it leaves the dead zone; a button pushed by someone else for a
    // controller that is not open counts as a plain pad.
    push_key(SDL_KEYDOWN, SDL_SCANCODE_RIGHT);
    push_axis(SDL_CONTROLLER_AXIS_LEFTX, 1000, pad);
    EXPECT_EQ(device_after_frame(), Device::Keys);
    push_axis(SDL_CONTROLLER_AXIS_LEFTX, -30000, pad);
    EXPECT_EQ(device_after_frame(), Device::PlayStation);
    push_pad_button(SDL_CONTROLLERBUTTONDOWN, SDL_CONTROLLER_BUTTON_A, 12345);
    EXPECT_EQ(device_after_frame(), Device::Pad);

    // Unplugged, its prompts go with it.
    press_start_on(index, SDL_RELEASED);
    press_start_on(index);
    device_after_frame();
    ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
    EXPECT_EQ(device_after_frame(), Device::Keys);
    SDL_Quit();
}

TEST(GamepadTable, HoldsTheTextFileEntryForEntry) {
    const std::vector<std::string> expected = mappings_in_text_file();
    ASSERT_EQ(expected.size(), 918u) << "data/gamecontrollerdb.txt not found or changed";
    ASSERT_EQ(Input::kGamepadDB.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Input::kGamepadDB[i], expected[i]) << "entry " << i;
    }
}

TEST(GamepadTable, SdlAcceptsEveryMapping) {
    ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    for (std::size_t i = 0; i < Input::kGamepadDB.size(); ++i) {
        EXPECT_GE(SDL_GameControllerAddMapping(Input::kGamepadDB[i]), 0)
            << "entry " << i << ": " << SDL_GetError();
    }
    SDL_Quit();
}

// Where the table maps one GUID more than once, the entry stored last must win.
TEST(GamepadTable, InitRegistersInStoredOrder) {
    std::map<std::string, std::vector<std::string>> by_guid;
    std::set<std::string> hinted;  // hint-dependent entries may be skipped by SDL
    for (const char* mapping : Input::kGamepadDB) {
        const std::string guid = guid_of(mapping);
        by_guid[guid].push_back(mapping);
        if (std::strstr(mapping, "hint:") != nullptr) hinted.insert(guid);
    }

    ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS | SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    Input input;
    input.init();
    int checked = 0;
    for (const auto& [guid, entries] : by_guid) {
        if (guid.size() != 32 || hinted.count(guid) != 0) continue;
        if (std::all_of(entries.begin(), entries.end(),
                        [&](const std::string& entry) { return entry == entries.back(); }))
            continue;
        char* held = SDL_GameControllerMappingForGUID(SDL_JoystickGetGUIDFromString(guid.c_str()));
        ASSERT_NE(held, nullptr) << guid;
        EXPECT_EQ(std::string(held), entries.back());
        SDL_free(held);
        ++checked;
    }
    SDL_Quit();
    EXPECT_GT(checked, 10);
}

}  // namespace
