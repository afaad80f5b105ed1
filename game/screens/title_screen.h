// The first screen and the one after every game: the title picture, the best depth so far, the
// daily dig's time left and best of the day, and a prompt that blinks unless the player reduces
// flashing. Escape quits, Select opens the options, Y starts the daily dig, any other button but
// Fullscreen starts a game; 20 seconds without one bring the demo. In one-switch play a
// highlight steps through play, the daily dig, the options and quit instead, and a press of any
// key takes it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/backdrop.h"
#include "engine/input.h"
#include "engine/screen.h"
#include "engine/text.h"
#include "game/screens/one_switch.h"
#include "game/screens/sounds.h"
#include "game/world/replay.h"

class ScreenFlow;

class TitleScreen : public Screen {
public:
    static constexpr uint32_t kBlinkCycle = 844;     // ms; the prompt shows in the first half
    static constexpr uint32_t kDemoAfterMs = 20000;  // idle time before the demo
    static constexpr const char* kBundledDemo = "demo.replay";  // in the content folder

    enum class Choice : int { Play = 0, Options = 1, Quit = 2, Demo = 3, Daily = 4 };

    // "Daily dig: 5 h 12 min left" at Unix time `now`.
    static std::string time_left(int64_t now);

    explicit TitleScreen(ScreenFlow& flow);
    ~TitleScreen() override = default;

    bool update(const Input& input, Audio& audio, unsigned int elapsed) override;
    void draw(Graphics& graphics) const override;
    // What the player chose, as the flow makes it; null (the end of the program) for Quit.
    Screen* next_screen() const override;
    std::string get_music_track() const override { return Sounds::kTitleMusic; }

    ScreenFlow& flow;
    Backdrop background;
    Text text;
    uint32_t blink_timer = 0;
    bool reduce_flashing = false;  // the player's: the prompt holds still instead of blinking
    // Loads the first demo of demo_paths that parses; a player's file that does not is set
    // aside with one line.
    bool load_demo();

    Choice choice = Choice::Play;
    uint32_t idle_ms = 0;
    // Where a demo may come from, best first: the player's best records, then the bundled one.
    std::vector<std::string> demo_paths;
    std::string bundled_demo;      // the game's own, in the content folder found
    std::unique_ptr<Replay> demo;  // loaded when it is due
    bool demo_failed = false;      // none loaded: no more tries from this screen
    // The prompts for the device used last: "Press any key", "L: daily dig" or the
    // controller's button; made again when the device changes.
    void make_prompts();
    Input::Device prompts_for = Input::Device::Keys;
    std::string start_prompt;
    std::string daily_prompt;
    std::string daily_left;   // the time left, as of the last update
    bool one_switch = false;  // from the settings
    SwitchScanner scanner;    // one-switch play: the highlight over kSwitchChoices
    static const std::vector<std::pair<Choice, std::string>> kSwitchChoices;
};
