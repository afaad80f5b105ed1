// The screen on which one game is played, from its first frame to leaving the results: it
// steps a World with the player's input, draws it, plays what it reports and stores the result.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "engine/backdrop.h"
#include "engine/input.h"
#include "engine/screen.h"
#include "engine/text.h"
#include "game/profile/profile.h"
#include "game/screens/one_switch.h"
#include "game/screens/sounds.h"
#include "game/view/camera_shake.h"
#include "game/view/centipede_view.h"
#include "game/view/map_view.h"
#include "game/view/one_switch_view.h"
#include "game/view/starving_warning.h"
#include "game/view/worm_view.h"
#include "game/world/daily.h"
#include "game/world/events.h"
#include "game/world/replay.h"
#include "game/world/world.h"

class ScreenFlow;

class GameScreen : public Screen {
public:
    using State = World::State;
    using Fader = World::Fader;

    // A new game seeded from the operating system, kept nowhere.
    GameScreen();
    // A new game from a chosen seed, so that the same inputs and frame times replay it. With a
    // flow, its result goes into the player's records and the title follows it; without one
    // (tools, tests, replays) nothing is stored and nothing follows.
    // The world is played with the assists of the flow's settings (none without a flow), or
    // with those given (a replay's).
    explicit GameScreen(unsigned int seed, ScreenFlow* flow = nullptr);
    GameScreen(unsigned int seed, ScreenFlow* flow, Assists assists);
    ~GameScreen() override = default;

    // Takes the step the input and the elapsed time make, runs it through `advance`, runs the
    // pause's fade, then plays what it did. When the game has just ended, hands its result to
    // the flow's writer, which writes the files after this frame; `result` follows once they
    // are written.
    bool update(const Input& input, Audio& audio, unsigned int elapsed) override;
    // One step of the world, live or from a recording; when it ends the game, `result` holds the
    // game's own figures. Neither draws nor sounds nor touches a file. False when the player
    // leaves the results.
    bool advance(const Replay::Step& step);
    // Advances nothing but the camera's jitter source.
    void draw(Graphics& graphics) const override;
    Screen* next_screen() const override;  // the title, as the flow makes it
    std::string get_music_track() const override { return Sounds::kPlayMusic; }
    bool results_shown() const { return world.results_shown(); }

    // The overlay of a fader: clear at its start, `color` at its end.
    static void draw_fader(Graphics& graphics, const Fader& fader);
    // Draws the HUD, the pause and the results at `factor` times the normal text size (1 to 2).
    void set_ui_scale(double factor);

    World world;
    CameraShake shake;  // seeded by the world, so that a replay draws alike
    MapView map_view;
    WormView worm_view;
    CentipedeView centipede_view;
    StarvingWarning starving_warning;  // steady with the player's reduce flashing
    Backdrop gameover;
    Text text;
    Text bigtext;

    ScreenFlow* flow = nullptr;
    // Filled when the game ends: in memory at once without a flow, else when the writer has
    // stored it (until then `storing` is set and the best figures are not shown).
    Profile::Outcome result;
    // Where the writer leaves the outcome for the screen; shared, as the screen may be gone
    // before the writer gets to it.
    struct StoredOutcome {
        std::mutex mutex;
        std::optional<Profile::Outcome> outcome;
    };
    std::shared_ptr<StoredOutcome> storing;  // from the game's end until `result` is filled
    // A daily dig's game: its day, and whether it is the ranked run, known once the writer has
    // claimed the day's try (long before the game ends).
    struct Daily {
        daily::Date date;
        std::atomic<bool> known = false;
        std::atomic<bool> ranked = false;
    };
    std::shared_ptr<Daily> daily;  // null for other games
    // The overlays' prompts for the device used last, from the bindings: "Return: resume ...",
    // or the controller's buttons. Made again only when the device changes; update() calls
    // this, and a screen that drives the game by advance() calls it itself.
    void show_prompts_for(Input::Device device);
    Input::Device prompts_for = Input::Device::Keys;
    std::string pause_prompt;
    std::string results_prompt;
    // One-switch play, from the settings: the switch's highlight steps through the turns while
    // playing and through "Resume" and "Give up" in the pause; a long press pauses.
    bool one_switch = false;
    SwitchScanner scanner{kSwitchTurns, Settings::kSwitchPeriodRange.least};  // period: settings

private:
    // The step the switch makes: the highlighted turn's Left or Right when a short press ends,
    // Start for a long one; in the pause Start or Escape; on the results Start. The rules and
    // the recording see the same buttons as in ordinary play.
    Replay::Step switch_step(const Input& input, unsigned int elapsed);
    // Posts the finished game to the flow's writer: records, then replays.
    void store_result();
    // Takes the writer's outcome into `result` once it is there.
    void collect_result();
    Record finished_record() const;
    void make_prompts(const Settings& settings);
    // The parts of draw over the world: the figures while playing, the pause's overlay, the
    // results. Each lays itself out from the text's size at the UI scale.
    void draw_hud(Graphics& graphics) const;
    void draw_pause(Graphics& graphics) const;
    void draw_results(Graphics& graphics) const;
};

// The assists of a game played with `settings`.
Assists assists_of(const Settings& settings);
// "Assisted: 70% speed, one switch": the line the results and the replay screen show.
std::string assisted_line(const Assists& assists);

// The step of the play screen that a frame's input and elapsed time make.
Replay::Step step_of(const Input& input, unsigned int elapsed);
// The sounds and music changes of the events, in their order.
void play_events(const GameEvents& events, Audio& audio);
