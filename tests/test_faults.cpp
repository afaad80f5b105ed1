// A real Game playing a seeded GameScreen under the dummy drivers, fed what a desktop can throw
// at it: controllers plugged and pulled every frame, window resizes, minimising and focus
// changes, absurd frame times and a flood of random events. It must keep running, keep every
// invariant and still answer the player.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/game.h"
#include "game/screens/game_screen.h"
#include "game/screens/screen_flow.h"
#include "game/screens/title_screen.h"
#include "tests/support/support.h"
#include "tools/invariants.h"
#include "tools/support/headless.h"

namespace {

using State = World::State;

Game::Config config() {
    Game::Config c;
    c.graphics = headless::graphics_config(1280, 720, "Burrowgale");
    return c;
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(game.start(new GameScreen(777, &flow))); }

    GameScreen* play() { return dynamic_cast<GameScreen*>(game.screen.get()); }

    // One main-loop step that SDL's clock sees as `ms` long (give or take the millisecond that
    // may tick during the step's own input processing). Checks every invariant afterwards.
    void step(unsigned int ms) {
        GameScreen* screen = play();
        ASSERT_NE(screen, nullptr) << "the play screen is gone";
        const sim::Snapshot before = sim::take_snapshot(screen->world);
        game.last_ticks = SDL_GetTicks() - ms;
        ASSERT_TRUE(game.step()) << "the main loop ended";
        if (play() != screen) return;  // finished: the checks are for a screen that goes on
        const uint32_t elapsed = screen->frame_times[(screen->frame_index + 29) % 30];
        const std::string broken = sim::check_invariants(screen->world, before, elapsed);
        ASSERT_EQ(broken, "") << "after a step of " << elapsed << " ms";
    }
    void steps(int count, unsigned int ms = 16) {
        for (int i = 0; i < count && !HasFatalFailure(); ++i) step(ms);
    }

    void push_key(SDL_Scancode key, bool down) {
        SDL_Event event{};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = key;
        SDL_PushEvent(&event);
    }
    // A press of Return, as a player makes it, answered within the next step.
    void press_start() {
        push_key(SDL_SCANCODE_RETURN, true);
        push_key(SDL_SCANCODE_RETURN, false);
    }
    void push_window_event(Uint8 kind, Sint32 data1 = 0, Sint32 data2 = 0) {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = SDL_GetWindowID(game.graphics->window);
        event.window.event = kind;
        event.window.data1 = data1;
        event.window.data2 = data2;
        SDL_PushEvent(&event);
    }

    test::TempContentDir content;  // nothing to load: faults, not art, are under test here
    Profile profile;               // records in memory only
    ScreenFlow flow{profile};
    Game game{config()};
};

int attach_virtual_controller() {
    return SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                     SDL_CONTROLLER_BUTTON_MAX, 0);
}

TEST_F(Faults, ControllersPluggedAndPulledEveryFrame) {
    std::mt19937 rng(1);
    for (int frame = 0; frame < 150 && !HasFatalFailure(); ++frame) {
        const int index = attach_virtual_controller();
        ASSERT_GE(index, 0) << SDL_GetError();
        step(16);
        SDL_JoystickDetachVirtual(index);
        // And events for devices that never existed.
        SDL_Event event{};
        event.type = frame % 2 == 0 ? SDL_CONTROLLERDEVICEADDED : SDL_CONTROLLERDEVICEREMOVED;
        event.cdevice.which = static_cast<Sint32>(rng());
        SDL_PushEvent(&event);
        step(16);
    }

    // A controller that stays still answers: its Start pauses the game.
    const int index = attach_virtual_controller();
    ASSERT_GE(index, 0) << SDL_GetError();
    step(16);
    ASSERT_TRUE(SDL_IsGameController(index));
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    ASSERT_NE(joystick, nullptr);
    ASSERT_EQ(play()->world.state, State::Playing);
    SDL_JoystickSetVirtualButton(joystick, SDL_CONTROLLER_BUTTON_START, SDL_PRESSED);
    SDL_JoystickUpdate();
    step(16);
    EXPECT_EQ(play()->world.state, State::Paused);
    SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(index);
    steps(5);
}

TEST_F(Faults, WindowResizedMinimisedAndUnfocusedPausesAndResumesOnStart) {
    SDL_Window* window = game.graphics->window;
    const std::pair<int, int> sizes[] = {
        {1, 1}, {640, 360}, {1281, 721}, {4000, 3000}, {1280, 720}};
    for (const auto& [w, h] : sizes) {
        SDL_SetWindowSize(window, w, h);
        steps(5);
    }
    SDL_MinimizeWindow(window);
    steps(10);
    SDL_RestoreWindow(window);
    SDL_MaximizeWindow(window);
    steps(5);
    SDL_HideWindow(window);
    steps(5);
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    steps(5);

    // The events a window manager sends, including nonsense sizes.
    const Uint8 kinds[] = {
        SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_MINIMIZED,    SDL_WINDOWEVENT_HIDDEN,
        SDL_WINDOWEVENT_EXPOSED,    SDL_WINDOWEVENT_SHOWN,        SDL_WINDOWEVENT_RESTORED,
        SDL_WINDOWEVENT_MAXIMIZED,  SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_TAKE_FOCUS,
        SDL_WINDOWEVENT_ENTER,      SDL_WINDOWEVENT_LEAVE,        SDL_WINDOWEVENT_MOVED,
        SDL_WINDOWEVENT_CLOSE};
    for (Uint8 kind : kinds) {
        push_window_event(kind, -5, 1 << 30);
        step(16);
    }
    push_window_event(SDL_WINDOWEVENT_RESIZED, 0, 0);
    push_window_event(SDL_WINDOWEVENT_SIZE_CHANGED, -1280, -720);
    steps(3);
    push_window_event(SDL_WINDOWEVENT_SIZE_CHANGED, 1280, 720);
    push_window_event(SDL_WINDOWEVENT_SHOWN);
    push_window_event(SDL_WINDOWEVENT_RESTORED);
    steps(3);

    // Minimised and unfocused, the game paused itself; only the player's Start resumes it.
    ASSERT_EQ(play()->world.state, State::Paused);
    press_start();
    step(16);
    EXPECT_EQ(play()->world.state, State::Playing);
    steps(5);
    EXPECT_EQ(play()->world.state, State::Playing);
}

TEST_F(Faults, TenSecondFramesCountAQuarterSecondAndZeroFramesChangeNothing) {
    steps(30);
    // Deep enough for centipedes, so that long frames also spawn and drive them.
    play()->world.max_depth = 1.0;
    for (int i = 0; i < 40 && play()->world.state == State::Playing && !HasFatalFailure(); ++i) {
        const double length = play()->world.player.length;
        step(10000);
        EXPECT_EQ(play()->frame_times[(play()->frame_index + 29) % 30], Game::kLongestStep);
        // No more than the decay of a quarter second and a segment for a second without a
        // step; a meal or a bite can only add or cut whole segments on top.
        EXPECT_LE(play()->world.player.length, length + 2.0);
    }
    EXPECT_GE(play()->world.centipedes.size(), 1u);

    play()->world.player.length = 0.5;
    step(10000);
    ASSERT_EQ(play()->world.state, State::GameOver);

    // Zero-millisecond frames in the fade: it does not advance, and nothing divides by zero.
    const uint32_t faded = play()->world.fader.elapsed;
    int zero_frames = 0;
    for (int i = 0; i < 100 && !HasFatalFailure(); ++i) {
        game.last_ticks = SDL_GetTicks();
        ASSERT_TRUE(game.step());
        if (play()->frame_times[(play()->frame_index + 29) % 30] == 0) ++zero_frames;
    }
    EXPECT_GT(zero_frames, 50);
    EXPECT_LE(play()->world.fader.elapsed, faded + 100);

    // Long frames end the fade a quarter second at a time; then the results show.
    for (int i = 0; i < 12; ++i) step(10000);
    EXPECT_EQ(play()->world.fader.elapsed, play()->world.fader.duration);
    press_start();
    ASSERT_TRUE(game.step());
    EXPECT_NE(dynamic_cast<TitleScreen*>(game.screen.get()), nullptr);
}

TEST_F(Faults, ZeroMillisecondFramesWhilePlayingAndPaused) {
    steps(20);
    const GridPoint head = play()->world.player.segments.front().position;
    const double length = play()->world.player.length;
    int zero_frames = 0;
    for (int i = 0; i < 120 && !HasFatalFailure(); ++i) {
        game.last_ticks = SDL_GetTicks();
        ASSERT_TRUE(game.step());
        if (play()->frame_times[(play()->frame_index + 29) % 30] == 0) ++zero_frames;
        if (i == 60) press_start();
    }
    EXPECT_GT(zero_frames, 60);
    // A few frames may have caught a tick; none can have given the worm time for a step
    // through soil.
    EXPECT_EQ(play()->world.player.segments.front().position.dist(head) <= 1, true);
    EXPECT_GT(play()->world.player.length, length - 0.01);
    EXPECT_EQ(play()->world.state, State::Paused);
    steps(5);
}

// Every event type SDL 2.26 defines, with random contents, except the request to quit, SDL's
// internal poll marker and the window-manager event (SDL copies the message it points to when
// the event is queued; only SDL makes those). Other pointers only SDL fills in are left null.
SDL_Event random_event(std::mt19937& rng, Uint32 window_id) {
    static constexpr Uint32 kTypes[] = {SDL_APP_TERMINATING,
                                        SDL_APP_LOWMEMORY,
                                        SDL_APP_WILLENTERBACKGROUND,
                                        SDL_APP_DIDENTERBACKGROUND,
                                        SDL_APP_WILLENTERFOREGROUND,
                                        SDL_APP_DIDENTERFOREGROUND,
                                        SDL_LOCALECHANGED,
                                        SDL_DISPLAYEVENT,
                                        SDL_WINDOWEVENT,
                                        SDL_KEYDOWN,
                                        SDL_KEYUP,
                                        SDL_TEXTEDITING,
                                        SDL_TEXTINPUT,
                                        SDL_KEYMAPCHANGED,
                                        SDL_TEXTEDITING_EXT,
                                        SDL_MOUSEMOTION,
                                        SDL_MOUSEBUTTONDOWN,
                                        SDL_MOUSEBUTTONUP,
                                        SDL_MOUSEWHEEL,
                                        SDL_JOYAXISMOTION,
                                        SDL_JOYBALLMOTION,
                                        SDL_JOYHATMOTION,
                                        SDL_JOYBUTTONDOWN,
                                        SDL_JOYBUTTONUP,
                                        SDL_JOYDEVICEADDED,
                                        SDL_JOYDEVICEREMOVED,
                                        SDL_JOYBATTERYUPDATED,
                                        SDL_CONTROLLERAXISMOTION,
                                        SDL_CONTROLLERBUTTONDOWN,
                                        SDL_CONTROLLERBUTTONUP,
                                        SDL_CONTROLLERDEVICEADDED,
                                        SDL_CONTROLLERDEVICEREMOVED,
                                        SDL_CONTROLLERDEVICEREMAPPED,
                                        SDL_CONTROLLERTOUCHPADDOWN,
                                        SDL_CONTROLLERTOUCHPADMOTION,
                                        SDL_CONTROLLERTOUCHPADUP,
                                        SDL_CONTROLLERSENSORUPDATE,
                                        SDL_FINGERDOWN,
                                        SDL_FINGERUP,
                                        SDL_FINGERMOTION,
                                        SDL_DOLLARGESTURE,
                                        SDL_DOLLARRECORD,
                                        SDL_MULTIGESTURE,
                                        SDL_CLIPBOARDUPDATE,
                                        SDL_DROPFILE,
                                        SDL_DROPTEXT,
                                        SDL_DROPBEGIN,
                                        SDL_DROPCOMPLETE,
                                        SDL_AUDIODEVICEADDED,
                                        SDL_AUDIODEVICEREMOVED,
                                        SDL_SENSORUPDATE,
                                        SDL_RENDER_TARGETS_RESET,
                                        SDL_RENDER_DEVICE_RESET,
                                        SDL_USEREVENT,
                                        SDL_LASTEVENT - 1};
    SDL_Event event;
    auto* bytes = reinterpret_cast<unsigned char*>(&event);
    for (std::size_t i = 0; i < sizeof event; ++i) bytes[i] = static_cast<unsigned char>(rng());
    event.type = kTypes[rng() % std::size(kTypes)];
    switch (event.type) {
        case SDL_TEXTEDITING_EXT:
            event.editExt.text = nullptr;
            break;
        case SDL_DROPFILE:
        case SDL_DROPTEXT:
        case SDL_DROPBEGIN:
        case SDL_DROPCOMPLETE:
            event.drop.file = nullptr;
            break;
        case SDL_USEREVENT:
            event.user.data1 = nullptr;
            event.user.data2 = nullptr;
            break;
        default:
            break;
    }
    // SDL only ever sends scancodes of its own enumeration; reading any other value as an
    // SDL_Scancode is undefined behaviour in whoever reads it.
    if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
        event.key.keysym.scancode = static_cast<SDL_Scancode>(rng() % SDL_NUM_SCANCODES);
    }
    // Half of the window events are about our window, so that SDL's renderer sees them too.
    if (event.type == SDL_WINDOWEVENT && rng() % 2 == 0) event.window.windowID = window_id;
    return event;
}

TEST_F(Faults, TenThousandRandomEventsInOneFrame) {
    steps(10);
    std::mt19937 rng(2024);
    const Uint32 window_id = SDL_GetWindowID(game.graphics->window);
    int queued = 0;
    for (int i = 0; i < 10000; ++i) {
        SDL_Event event = random_event(rng, window_id);
        if (SDL_PushEvent(&event) == 1) ++queued;
    }
    EXPECT_GT(queued, 9000);
    step(16);
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT), 0)
        << "the step left events queued";
    steps(60);

    // The window may have been told anything; once it hears the truth the player is heard.
    push_window_event(SDL_WINDOWEVENT_SHOWN);
    push_window_event(SDL_WINDOWEVENT_RESTORED);
    steps(2);
    const State state = play()->world.state;
    if (state != State::GameOver) {
        press_start();
        step(16);
        EXPECT_NE(play()->world.state, state);
    }
}

}  // namespace
