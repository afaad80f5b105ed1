// The rules of one game: the map, the worm, the centipedes and the camera, moved on by one step
// of elapsed time and buttons at a time. The same steps from the same seed give the same game,
// whoever feeds them: the play screen live, the replay screen, `--verify` and the tools.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "game/world/camera.h"
#include "game/world/centipede.h"
#include "game/world/events.h"
#include "game/world/map.h"
#include "game/world/player.h"
#include "game/world/replay.h"

class World {
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

    // The fade of the pause and game-over states, from clear to `color`'s own alpha. Part of
    // the rules: the results can be left only once it has finished.
    class Fader {
    public:
        Fader() = default;
        void reset(unsigned int color, unsigned int duration);
        void update(unsigned int ms);

        uint32_t color = 0;  // 0xRRGGBBAA; the alpha is the one reached at the end
        uint32_t duration = 0;
        uint32_t elapsed = 0;  // never more than duration
    };

    // A game of `seed` played with `assists` (a speed outside the rules' steps is held to the
    // nearest one), which its recording keeps.
    explicit World(unsigned int seed, Assists assists = {});

    // One step, live or from a recording: records it, replaces `events` with what happened,
    // and neither draws, sounds nor touches a file. False when the player leaves the results. A
    // paused step that neither resumes nor gives up changes nothing and is not recorded, so that
    // a pause costs a recording two steps however long it lasts; the pause's fade is drawing,
    // and the play screen runs it.
    // A playing step moves the game on by `assists.speed` percent of the step's time; the
    // recording keeps the time as it was given.
    bool step(const Replay::Step& step);
    // The game is over and its fade has finished: the results are what is shown.
    bool results_shown() const {
        return state == State::GameOver && fader.elapsed >= fader.duration;
    }

    // Declaration order is construction order: rng's first output seeds the map, its second
    // the camera's jitter, which only drawing uses (see CameraShake).
    std::mt19937 rng;
    Map map;
    Player player;
    unsigned int shake_seed;
    Camera camera;
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
    GameEvents events;         // what the latest step did
    double shake_scale = 1.0;  // the player's screen shake setting
    uint64_t play_ms = 0;      // time spent playing, pauses left out: real time, not the game's
    const Assists assists;     // as given at construction, and in `recording`
    uint32_t speed_carry = 0;  // hundredths of a ms that the speed's division left over

private:
    // The parts of step. A paused step resumes or gives up, else only fades; a step after the
    // game ended fades, or leaves the results once they are shown.
    bool step_paused(const Replay::Step& step);
    bool step_over(const Replay::Step& step);
    // A playing step, in this order: the turns and a pause asked for; the worm, the camera
    // after it, the centipedes and their bites; food and centipedes coming on their timers;
    // eating; then the end of the game and the depth and length reached.
    void steer(const Replay::Step& step);
    void move_creatures(unsigned int elapsed);
    void spawn(const GridPoint& head, unsigned int elapsed);
    void keep_score(const GridPoint& head);
    // Ends the game as the worm's starving does: the fade to black, GameEvent::GameOver.
    void end_game();
    void record(const Replay::Step& step);
    // The game's time in a playing step of `ms` real ms.
    unsigned int game_ms(uint32_t ms);
};
