// A recorded game played back on screen, at the speed it was played: for `--replay FILE`, and
// as the demo that the title screen shows when nobody plays.
#pragma once

#include <cstdint>
#include <string>

#include "engine/screen.h"
#include "engine/text.h"
#include "game/screens/game_screen.h"
#include "game/world/replay.h"

class ScreenFlow;

class ReplayScreen : public Screen {
public:
    enum class Mode {
        // "REPLAY": a held key plays 4 times as fast; the results, then the title. Escape or
        // Select (the controller's Back) goes to the title at once.
        Replay,
        Demo,  // "DEMO", silent: any key but Fullscreen goes back to the title
    };
    static constexpr unsigned int kFastForward = 4;
    static constexpr uint32_t kResultsMs = 5000;  // the results stay this long (real time)
    static constexpr std::size_t kMaxStepsPerUpdate = 4096;

    // With a flow the title follows and the player's shake, flashing and UI scale settings
    // apply; without one (tests) nothing follows. The game played back never touches the records.
    ReplayScreen(Replay replay, Mode mode, ScreenFlow* flow = nullptr);
    ~ReplayScreen() override = default;

    // Feeds the recorded steps that fit into the time that passed. Once they run out the game
    // fades to its results, which stay kResultsMs (or until a key) before the title follows.
    // In one-switch play any key or button leaves at once, a replay as a demo.
    bool update(const Input& input, Audio& audio, unsigned int elapsed) override;
    void draw(Graphics& graphics) const override;
    Screen* next_screen() const override;  // the title
    std::string get_music_track() const override;

    Replay replay;
    Mode mode;
    ScreenFlow* flow;
    GameScreen game;
    Text text;
    std::size_t next_step = 0;  // index into replay.steps
    uint64_t budget = 0;        // ms of playback time not yet spent on steps
    uint32_t results_ms = 0;    // how long the results have been on screen
    bool fast_forward = false;  // a key was held in the latest update
};
