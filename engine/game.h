// The application: owns SDL, the window, the sound, the input and the current screen, and
// runs the main loop.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/audio.h"
#include "engine/background_writer.h"
#include "engine/graphics.h"
#include "engine/input.h"
#include "engine/screen.h"

class Game {
public:
    struct Config {
        Graphics::Config graphics;
        Audio::Config audio;
    };

    // Initialises every SDL subsystem and the input; no window yet.
    explicit Game(const Config& config);
    Game(std::string title, int width, int height);
    // shut_down: the writer's jobs, audio, then Graphics, then the screen, then SDL_Quit.
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    void init();
    // What the destructor does: finishes the writer's jobs, releases sound, window and screen,
    // then SDL. Called by the destructor, and when a web page's loop ends, where main never
    // returns. Calling it twice is harmless.
    void shut_down();
    // Creates window and sound and installs the first screen (owned from here on). False
    // (after one line on stderr) when no window could be made; the screen is then dropped.
    bool start(Screen* first);
    // One iteration of the main loop; false when the program should end. A hidden or minimised
    // window is not drawn into. The screen sees at
    // most kLongestStep of play however long the clock says the step took (a suspend, a window
    // frozen while dragged), so that a stall cannot starve the worm or dig through rock.
    // Where there are no threads the writer's jobs run at its end, after the frame is shown.
    bool step();
    // Called between steps by loop: when presenting does not wait for the display (a hidden or
    // minimised window, vsync refused), sleeps out the rest of the display's frame time, so
    // that the loop does not spin a core. Does nothing while vsync paces the loop. Not used in
    // a web page, where the browser paces the steps.
    void pace();
    // start, then step (and pace) until it returns false. False when no window could be made. In
    // a web page it does not return: the browser calls step once per animation frame.
    bool loop(Screen* first);
    // Installs `next` (owned from here on), destroys the current screen, switches the music.
    void set_screen(Screen* next);

    static constexpr uint32_t kLongestStep = 250;  // ms of play one step may count

    void bind_key(SDL_Scancode key, Input::Button b) { input.bind_key(key, b); }
    void bind_pad(SDL_GameControllerButton button, Input::Button b) { input.bind_pad(button, b); }
    void bind_axis(int axis, Input::Button negative, Input::Button positive) {
        input.bind_axis(axis, negative, positive);
    }

    // Called after the Fullscreen button switched the window, with the new mode, so that
    // whoever keeps a setting of it keeps it in step. Unset: only the window changes.
    std::function<void(bool fullscreen)> fullscreen_switched;
    // Whether the Fullscreen button switches the window before the screen sees it. Off, its
    // key is as any other to the screens (a game played with one key, which may be that one).
    bool fullscreen_button = true;

    Config config;
    // Writes the player's files posted by the screens, off the frame; joined at exit.
    BackgroundWriter writer;
    Input input;
    std::unique_ptr<Screen> screen;
    std::unique_ptr<Graphics> graphics;
    std::unique_ptr<Audio> audio;
    uint32_t last_ticks = 0;
    std::string music_track;
    uint64_t frame_start = 0;  // performance counter at the end of the last pace()
};
