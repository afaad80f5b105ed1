#include "game/game_screen.h"

#include <algorithm>
#include <limits>

#include "engine/audio.h"
#include "engine/graphics.h"
#include "engine/input.h"
#include "engine/util.h"
#include "game/replay_files.h"
#include "game/screen_flow.h"
#include "game/sounds.h"
#include "game/world/draws.h"

namespace {

constexpr uint32_t kPauseColor = 0x000000CC;
constexpr uint32_t kPauseFade = 500;  // ms
constexpr uint32_t kGameOverColor = 0x000000FF;
constexpr uint32_t kGameOverFade = 3000;  // ms
constexpr int kPausedMusicVolume = 3;     // of 10
constexpr int kFullMusicVolume = 10;

constexpr int kSpawnDistanceMin = 15;  // cells east or west of the worm
constexpr int kSpawnDistanceMax = 35;
constexpr int kSpawnRowsBelowMax = 2;
constexpr double kSpawnDepth = 1.0;        // metres
constexpr double kBiteRumble = 0.75;       // of full strength, both motors
constexpr uint32_t kBiteRumbleTime = 250;  // ms

constexpr int64_t kShakeCentre = 5;     // cells: the distance that shakes the most
constexpr double kShakeSpread = 625.0;  // 25 cells squared: no shake from 30 cells on

constexpr double kStarvingLength = 2.0;  // below it the red border shows
constexpr int kBorderWidth = 32;         // pixels
constexpr uint32_t kBorderColor = 0xFF000000;

constexpr int kPromptBelowCentre = 64;    // pixels: the pause keys, clear of the worm
constexpr int kBestColumn = 112;          // pixels right of the centre: the best figures
constexpr int kResultsPromptAbove = 168;  // pixels above the bottom: the results prompt
constexpr const char* kNewBest = "New best";

// Elapsed times are unsigned; a timer stops at the lowest value instead of wrapping round to
// a huge positive one after an absurdly long frame.
int32_t count_down(int32_t timer, unsigned int ms) {
    const int64_t left = static_cast<int64_t>(timer) - static_cast<int64_t>(ms);
    return static_cast<int32_t>(std::max<int64_t>(left, std::numeric_limits<int32_t>::min()));
}

int uniform(std::mt19937& rng, int low, int high) { return Draws::integer(rng, low, high); }

// A centipede 15 to 37 cells east or west of the worm and up to two rows lower, crawling
// towards the worm's column. The draws keep a fixed order so that a seed replays a game.
Centipede new_centipede(std::mt19937& rng, const GridPoint& worm) {
    const int distance = uniform(rng, kSpawnDistanceMin, kSpawnDistanceMax);
    const int rows_below = uniform(rng, 0, kSpawnRowsBelowMax);
    const int length =
        2 * uniform(rng, GameScreen::kSpawnHalfLengthMin, GameScreen::kSpawnHalfLengthMax);
    const double side = Draws::unit(rng);
    const int64_t r = worm.r + rows_below;
    if (side < 0.5) {
        return Centipede(GridPoint{worm.q + distance, r}, length, Direction::W);
    }
    // Each row down shifts a cell half a tile east: subtracting the rows keeps the west side
    // exactly as far away as the east side.
    return Centipede(GridPoint{worm.q - distance - rows_below, r}, length, Direction::E);
}

}  // namespace

void GameScreen::Fader::reset(unsigned int color_, unsigned int duration_) {
    color = color_;
    duration = duration_;
    elapsed = 0;
}

void GameScreen::Fader::update(unsigned int ms) {
    if (elapsed < duration) {
        elapsed = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{elapsed} + ms, duration));
    }
}

void GameScreen::Fader::draw(Graphics& graphics) const {
    // A fader that was never started is clear rather than a division by zero.
    const double progress = duration == 0 ? 0.0 : static_cast<double>(elapsed) / duration;
    const auto alpha = static_cast<uint32_t>(progress * (color & 0xFF));
    graphics.draw_rect({0, 0}, {graphics.config.width, graphics.config.height},
                       (color & 0xFFFFFF00) | alpha, true);
}

GameScreen::GameScreen() : GameScreen(Util::random_seed()) {}

// The member order makes rng's first output the map's seed and its second the camera's.
GameScreen::GameScreen(unsigned int seed, ScreenFlow* flow_)
    : rng(seed),
      gameover("gameover.png"),
      map(static_cast<unsigned int>(rng())),
      player(map),
      camera(static_cast<unsigned int>(rng()), player.segments.front().position.center()),
      text("text.png", 8, 16),
      bigtext("bigtext.png", 24, 48),
      flow(flow_) {
    recording.seed = seed;
    recording.game_version = Replay::current_game_version();
    const Settings defaults;
    const Settings& settings = flow != nullptr ? flow->profile.settings : defaults;
    shake_scale = settings.shake_factor();
    const std::string start = settings.labels_of(Input::Button::Start);
    pause_prompt = start + ": resume    " + settings.back_labels() + ": give up";
    results_prompt = start + ": continue";
}

void GameScreen::end_game() {
    // A pause ended this way never gets its resume, which alone would bring the music back up.
    if (state == State::Paused) events.push_back(GameEvent::Resumed);
    state = State::GameOver;
    fader.reset(kGameOverColor, kGameOverFade);
    events.push_back(GameEvent::GameOver);
    recording.max_depth = max_depth;
    recording.max_length = max_length;
    // The game's own figures, until (with a flow) the records give the best so far.
    result = Profile::Outcome{};
    result.record = finished_record();
    result.best_depth = max_depth;
    result.best_length = max_length;
}

Record GameScreen::finished_record() const {
    Record record;
    record.depth = max_depth;
    record.length = max_length;
    record.seed = recording.seed;
    record.play_time = static_cast<double>(play_ms) / 1000.0;
    return record;
}

void GameScreen::record(const Replay::Step& step) {
    if (recording_on) recording.steps.push_back(step);
}

void GameScreen::store_result() {
    if (flow == nullptr) return;
    storing = std::make_shared<StoredOutcome>();
    Profile& profile = flow->profile;
    // The flow waits for the writer before any other screen reads the profile, and this one
    // does not touch it meanwhile.
    flow->writer().post(
        [&profile, stored = storing, record = finished_record(), replay = recording] {
            // Records and replays under one lock, so that another copy of the game cannot
            // drop a replay this one has just kept.
            Profile::Outcome outcome = ReplayFiles(profile).store(record, replay);
            const std::lock_guard lock(stored->mutex);
            stored->outcome = std::move(outcome);
        });
}

void GameScreen::collect_result() {
    if (storing == nullptr) return;
    std::optional<Profile::Outcome> outcome;
    {
        const std::lock_guard lock(storing->mutex);
        outcome = std::move(storing->outcome);
    }
    if (!outcome) return;
    result = std::move(*outcome);
    storing.reset();
}

Replay::Step step_of(const Input& input, unsigned int elapsed) {
    Replay::Step step{elapsed, 0, 0};
    // Leaving the window, or unplugging the controller in use, is recorded as the focus bit.
    if (input.interrupted()) step.pressed |= Replay::kFocusLost;
    for (Input::Button b : input.pressed_buttons) step.pressed |= Replay::bit(static_cast<int>(b));
    for (Input::Button b : input.released_buttons) {
        step.released |= Replay::bit(static_cast<int>(b));
    }
    return step;
}

void play_events(const GameEvents& events, Audio& audio) {
    for (GameEvent event : events) {
        switch (event) {
            case GameEvent::RockDug:
                Sounds::play(audio, Sounds::kCronch);
                break;
            case GameEvent::FoodEaten:
                Sounds::play(audio, Sounds::kYum);
                break;
            case GameEvent::Bitten:
                Sounds::play(audio, Sounds::kOuch);
                break;
            case GameEvent::Spawned:
                Sounds::play(audio, Sounds::kBoom);
                break;
            case GameEvent::Paused:
                audio.music_volume(kPausedMusicVolume);
                break;
            case GameEvent::Resumed:
                audio.music_volume(kFullMusicVolume);
                break;
            case GameEvent::GameOver:
                audio.play_music(Sounds::kResultsMusic, true);
                break;
        }
    }
}

bool GameScreen::update(const Input& input, Audio& audio, unsigned int elapsed) {
    const bool was_paused = state == State::Paused;
    const bool keep = advance(step_of(input, elapsed));
    // The pause's fade is drawing, not rules: it runs here, on the pause's frames.
    if (was_paused && state != State::GameOver) fader.update(elapsed);
    // The rules report the end; the files are written after the frame, off the loop.
    if (std::find(events.begin(), events.end(), GameEvent::GameOver) != events.end()) {
        store_result();
    }
    collect_result();
    play_events(events, audio);
    // A bite is felt as well as heard, on a controller that can.
    if (std::find(events.begin(), events.end(), GameEvent::Bitten) != events.end()) {
        input.rumble(kBiteRumble, kBiteRumble, kBiteRumbleTime);
    }
    return keep;
}

namespace {

bool pressed(const Replay::Step& step, Input::Button b) {
    return (step.pressed & Replay::bit(static_cast<int>(b))) != 0;
}

}  // namespace

bool GameScreen::advance(const Replay::Step& step) {
    events.clear();
    if (state == State::Paused) return advance_paused(step);
    if (state == State::GameOver) return advance_over(step);

    record(step);
    play_ms += step.ms;
    steer(step);
    move_creatures(step.ms);
    // The worm moves only in its own update: this is its head for the rest of the frame.
    const GridPoint head = player.segments.front().position;
    spawn(head, step.ms);
    const int eaten = map.eat_food(head);
    if (eaten > 0) player.eat(events, eaten);
    keep_score(head);
    return true;
}

bool GameScreen::advance_paused(const Replay::Step& step) {
    using Button = Input::Button;
    const bool resume = pressed(step, Button::Start);
    const bool give_up = pressed(step, Button::Escape) || pressed(step, Button::Select);
    if (!resume && !give_up) return true;
    record(step);
    if (resume) {
        state = State::Playing;
        events.push_back(GameEvent::Resumed);
    } else {
        // Giving up ends the game as if the worm had starved this moment.
        end_game();
    }
    return true;
}

bool GameScreen::advance_over(const Replay::Step& step) {
    // Only once the results are on screen: a Start meant for the pause, pressed as the worm
    // died, must not skip them.
    if (pressed(step, Input::Button::Start) && results_shown()) return false;
    fader.update(step.ms);
    return true;
}

void GameScreen::steer(const Replay::Step& step) {
    using Button = Input::Button;
    if (pressed(step, Button::Left)) player.turn_left();
    if (pressed(step, Button::Right)) player.turn_right();
    // The pause starts after this frame's step, so the press frame still moves the world. A
    // player taken away from the window or whose controller came unplugged is paused too.
    if (pressed(step, Button::Start) || pressed(step, Button::Escape) ||
        (step.pressed & Replay::kFocusLost) != 0) {
        state = State::Paused;
        fader.reset(kPauseColor, kPauseFade);
        events.push_back(GameEvent::Paused);
    }
}

void GameScreen::move_creatures(unsigned int elapsed) {
    player.update(events, map, elapsed);
    camera.update(player.segments.front().position.center(),
                  elapsed);  // clears the shake; the centipedes raise it again below
    const GridPoint head = player.segments.front().position;
    for (Centipede& centipede : centipedes) {
        centipede.update(events, map, elapsed);
        player.injure(events, centipede);
        const int64_t off = head.dist(centipede.head) - kShakeCentre;
        camera.shake(shake_scale * (1.0 - static_cast<double>(off * off) / kShakeSpread));
    }
    std::erase_if(centipedes,
                  [&](const Centipede& c) { return head.dist(c.head) >= kFarDistance; });
}

void GameScreen::spawn(const GridPoint& head, unsigned int elapsed) {
    food_timer = count_down(food_timer, elapsed);
    if (food_timer < 0) {
        map.spawn_food(head);
        food_timer += uniform(rng, kFoodIntervalMin, kFoodIntervalMax);
    }
    // max_depth still holds the previous frames' value here: a new depth record counts from
    // the next frame on.
    if (max_depth >= kSpawnDepth) spawn_timer = count_down(spawn_timer, elapsed);
    if (spawn_timer < 0) {
        spawn_timer += uniform(rng, kSpawnIntervalMin, kSpawnIntervalMax);
        centipedes.push_back(new_centipede(rng, head));
        events.push_back(GameEvent::Spawned);
    }
}

void GameScreen::keep_score(const GridPoint& head) {
    const double depth = static_cast<double>(head.center().y) * kMetresPerPixel;
    if (depth > max_depth) max_depth = depth;
    if (kCentimetresPerLength * player.length > max_length) {
        max_length = kCentimetresPerLength * player.length;
    }
    // Ended after the results above, which still count the frame the worm starved in. A pause
    // pressed in this very frame is over before it began.
    if (player.length <= kDeathLength) end_game();
}

void GameScreen::draw(Graphics& graphics) const {
    const int width = graphics.config.width;
    const int height = graphics.config.height;

    // Each object takes its own jitter, so near centipedes make everything wobble separately.
    const Point map_offset = camera.shaken_offset();
    map.draw(graphics, map_offset.x, map_offset.y);
    const Point player_offset = camera.shaken_offset();
    player.draw(graphics, player_offset.x, player_offset.y);
    for (const Centipede& centipede : centipedes) {
        const Point offset = camera.shaken_offset();
        centipede.draw(graphics, offset.x, offset.y);
    }

    if (player.length < kStarvingLength && state != State::GameOver) {
        const double strength = std::min(kStarvingLength - player.length, 1.0);
        for (int i = 0; i < kBorderWidth; ++i) {
            const auto alpha = static_cast<uint32_t>((255 - 255 * i / kBorderWidth) * strength);
            graphics.draw_rect({i, i}, {width - i, height - i}, kBorderColor | alpha, false);
        }
    }

    const bool results_screen = results_shown();
    if (state != State::Playing) fader.draw(graphics);
    if (state == State::Paused) {
        text.draw(graphics, "P A U S E", width / 2, height / 2 - 8, Text::Alignment::Center);
        // Well below the middle, where the worm's head usually is.
        text.draw(graphics, pause_prompt, width / 2, height / 2 + kPromptBelowCentre,
                  Text::Alignment::Center);
    }
    if (results_screen) {
        gameover.draw(graphics);
        bigtext.draw(graphics, format("", max_depth, "m"), width / 2, height - 128,
                     Text::Alignment::Center);
        bigtext.draw(graphics, format("", max_length, "cm"), width / 2, height - 64,
                     Text::Alignment::Center);
        // Beside the run's figures, inside the panel of the picture; known once the records
        // are written, which is long before the fade ends unless the disk is very slow.
        const int best_x = width / 2 + kBestColumn;
        if (storing == nullptr) {
            text.draw(graphics, format("Best", result.best_depth, "m"), best_x, height - 128 + 4,
                      Text::Alignment::Left);
            if (result.new_best_depth) {
                text.draw(graphics, kNewBest, best_x, height - 128 + 24, Text::Alignment::Left);
            }
            text.draw(graphics, format("Best", result.best_length, "cm"), best_x, height - 64 + 4,
                      Text::Alignment::Left);
            if (result.new_best_length) {
                text.draw(graphics, kNewBest, best_x, height - 64 + 24, Text::Alignment::Left);
            }
        }
        text.draw(graphics, "Seed " + std::to_string(recording.seed), width - 16, height - 24,
                  Text::Alignment::Right);
        text.draw(graphics, results_prompt, width / 2, height - kResultsPromptAbove,
                  Text::Alignment::Center);
    } else {
        text.draw(graphics, format("Max Depth", max_depth, "m"), 4, height - 40,
                  Text::Alignment::Left);
        text.draw(graphics, format("Max Length", max_length, "cm"), 4, height - 20,
                  Text::Alignment::Left);
    }
}

Screen* GameScreen::next_screen() const { return flow != nullptr ? flow->title() : nullptr; }
