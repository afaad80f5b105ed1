// The screen on which one game is played, from its first frame to leaving the results.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/backdrop.h"
#include "engine/screen.h"
#include "engine/text.h"
#include "game/camera.h"
#include "game/centipede.h"
#include "game/events.h"
#include "game/format.h"
#include "game/map.h"
#include "game/player.h"
#include "game/profile.h"
#include "game/replay.h"
#include "game/sounds.h"

class ScreenFlow;

class GameScreen : public Screen {
public:
    enum class State : int32_t { Playing = 0, Paused = 1, GameOver = 2 };

    // The rules' figures, which the simulator's checks hold the game to.
    static constexpr int32_t kFoodIntervalMin = 1000;  // ms between attempts to place food
    static constexpr int32_t kFoodIntervalMax = 3000;
    static constexpr int32_t kSpawnIntervalMin = 20000;  // ms between centipedes
    static constexpr int32_t kSpawnIntervalMax = 40000;
    static constexpr int kSpawnHalfLengthMin = 3;  // centipede lengths 6 to 14, always even
    static constexpr int kSpawnHalfLengthMax = 7;
    static constexpr int64_t kFarDistance = 70;  // cells: centipedes this far away are dropped
    static constexpr double kMetresPerPixel = 0.0625 * 0.005;  // 16 pixels: half a centimetre
    static constexpr double kDeathLength = 1.0;  // the game ends at this length or below
    static constexpr double kCentimetresPerLength = 0.5;

    // The overlay of the pause and game-over states: fades from clear to `color`'s own alpha.
    class Fader {
    public:
        Fader() = default;
        void reset(unsigned int color, unsigned int duration);
        void update(unsigned int ms);
        void draw(Graphics& graphics) const;

        uint32_t color = 0;  // 0xRRGGBBAA; the alpha is the one reached at the end
        uint32_t duration = 0;
        uint32_t elapsed = 0;  // never more than duration
    };

    // A new game seeded from the operating system, kept nowhere.
    GameScreen();
    // A new game from a chosen seed, so that the same inputs and frame times replay it. With a
    // flow, its result goes into the player's records and the title follows it; without one
    // (tools, tests, replays) nothing is stored and nothing follows.
    explicit GameScreen(unsigned int seed, ScreenFlow* flow = nullptr);
    ~GameScreen() override = default;

    // Takes the step the input and the elapsed time make, runs it through `advance`, then
    // plays what it did. When the game has just ended, hands its result to the flow's writer,
    // which writes the files after this frame; `result` follows once they are written.
    bool update(const Input& input, Audio& audio, unsigned int elapsed) override;
    // One step of the rules alone, live or from a recording: records the step, replaces
    // `events` with what happened, and neither draws nor sounds nor touches a file. False when
    // the player leaves the results. A paused step that neither resumes nor gives up changes
    // nothing and is not recorded, so that a pause costs a recording two steps however long
    // it lasts.
    bool advance(const Replay::Step& step);
    // Advances nothing but the camera's jitter source.
    void draw(Graphics& graphics) const override;
    Screen* next_screen() const override;  // the title, as the flow makes it
    std::string get_music_track() const override { return Sounds::kPlayMusic; }
    // The game is over and its fade has finished: the results screen is what is drawn.
    bool results_shown() const {
        return state == State::GameOver && fader.elapsed >= fader.duration;
    }

    // Declaration order is construction order: rng's first output seeds the map, its second
    // the camera.
    std::mt19937 rng;
    Backdrop gameover;
    Map map;
    Player player;
    Camera camera;
    Text text;
    Text bigtext;
    State state = State::Playing;
    int32_t food_timer = 500;
    int32_t spawn_timer = 0;
    double max_depth = 0.0;   // metres
    double max_length = 0.0;  // centimetres
    Fader fader;
    std::vector<Centipede> centipedes;  // in order of spawning
    // Every step of the rules up to the one in which the game ended, with the results then
    // reached. Playbacks turn `recording_on` off: their steps are in the file already.
    Replay recording;
    bool recording_on = true;
    GameEvents events;  // what the latest step did

    ScreenFlow* flow = nullptr;
    double shake_scale = 1.0;  // the player's screen shake setting
    uint64_t play_ms = 0;      // time spent playing, pauses left out
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
    // Key names for the overlays, from the bindings: "Return or Start: resume ...".
    std::string pause_prompt;
    std::string results_prompt;

private:
    // The parts of advance. A paused step resumes or gives up, else only fades; a step after
    // the game ended fades, or leaves the results once they are shown.
    bool advance_paused(const Replay::Step& step);
    bool advance_over(const Replay::Step& step);
    // A playing step, in this order: the turns and a pause asked for; the worm, the camera
    // after it, the centipedes and their bites; food and centipedes coming on their timers;
    // eating; then the end of the game and the depth and length reached.
    void steer(const Replay::Step& step);
    void move_creatures(unsigned int elapsed);
    void spawn(const GridPoint& head, unsigned int elapsed);
    void keep_score(const GridPoint& head);
    // Ends the game as the worm's starving does: fade to black, the game-over music.
    void end_game();
    // Posts the finished game to the flow's writer: records, then replays.
    void store_result();
    // Takes the writer's outcome into `result` once it is there.
    void collect_result();
    Record finished_record() const;
    void record(const Replay::Step& step);
};

// The step of the play screen that a frame's input and elapsed time make.
Replay::Step step_of(const Input& input, unsigned int elapsed);
// The sounds and music changes of the events, in their order.
void play_events(const GameEvents& events, Audio& audio);
