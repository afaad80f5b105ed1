#include "game/screens/game_screen.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/graphics.h"
#include "engine/input.h"
#include "engine/util.h"
#include "game/profile/replay_files.h"
#include "game/screens/screen_flow.h"
#include "game/screens/sounds.h"
#include "game/view/format.h"

namespace {

constexpr int kPausedMusicVolume = 3;  // of 10
constexpr int kFullMusicVolume = 10;

constexpr double kBiteRumble = 0.75;       // of full strength, both motors
constexpr uint32_t kBiteRumbleTime = 250;  // ms

constexpr double kStarvingLength = 2.0;  // below it the red border shows
constexpr int kBorderWidth = 32;         // pixels
constexpr uint32_t kBorderColor = 0xFF000000;

constexpr int kPromptBelowCentre = 64;    // pixels: the pause keys, clear of the worm
constexpr int kBestColumn = 112;          // pixels right of the centre: the best figures
constexpr int kResultsPromptAbove = 168;  // pixels above the bottom: the results prompt
constexpr const char* kNewBest = "New best";

// One-switch play: the pause's choices, in the order the highlight takes them, and where the
// turn line sits (pixels above the bottom, over the depth and length).
const std::vector<std::string> kPauseChoices = {"Resume", "Give up"};
constexpr int kResumeChoice = 0;
constexpr int kTurnLineAbove = 64;

// A recording stores the engine's buttons by number; the rules read them by these.
static_assert(static_cast<int>(Replay::Button::Left) == static_cast<int>(Input::Button::Left));
static_assert(static_cast<int>(Replay::Button::Right) == static_cast<int>(Input::Button::Right));
static_assert(static_cast<int>(Replay::Button::Start) == static_cast<int>(Input::Button::Start));
static_assert(static_cast<int>(Replay::Button::Select) == static_cast<int>(Input::Button::Select));
static_assert(static_cast<int>(Replay::Button::Escape) == static_cast<int>(Input::Button::Escape));

}  // namespace

void GameScreen::draw_fader(Graphics& graphics, const Fader& fader) {
    // A fader that was never started is clear rather than a division by zero.
    const double progress =
        fader.duration == 0 ? 0.0 : static_cast<double>(fader.elapsed) / fader.duration;
    const auto alpha = static_cast<uint32_t>(progress * (fader.color & 0xFF));
    graphics.draw_rect({0, 0}, {graphics.config.width, graphics.config.height},
                       (fader.color & 0xFFFFFF00) | alpha, true);
}

GameScreen::GameScreen() : GameScreen(Util::random_seed()) {}

GameScreen::GameScreen(unsigned int seed, ScreenFlow* flow_)
    : world(seed),
      shake(world.shake_seed),
      gameover("gameover.png"),
      text("text.png", 8, 16),
      bigtext("bigtext.png", 24, 48),
      flow(flow_) {
    const Settings defaults;
    const Settings& settings = flow != nullptr ? flow->profile.settings : defaults;
    world.shake_scale = settings.shake_factor();
    const std::string start = settings.labels_of(Input::Button::Start);
    pause_prompt = start + ": resume    " + settings.back_labels() + ": give up";
    results_prompt = start + ": continue";
    one_switch = settings.one_switch;
    scanner.set_period(settings.switch_period);
    if (one_switch) results_prompt = "Any key or button: continue";
}

Record GameScreen::finished_record() const {
    Record record;
    record.depth = world.max_depth;
    record.length = world.max_length;
    record.seed = world.recording.seed;
    record.play_time = static_cast<double>(world.play_ms) / 1000.0;
    return record;
}

void GameScreen::store_result() {
    if (flow == nullptr) return;
    storing = std::make_shared<StoredOutcome>();
    Profile& profile = flow->profile;
    // The flow waits for the writer before any other screen reads the profile, and this one
    // does not touch it meanwhile.
    flow->writer().post([&profile, stored = storing, record = finished_record(),
                         replay = world.recording, game_of_day = daily, flow = flow] {
        // Records and replays under one lock, so that another copy of the game cannot
        // drop a replay this one has just kept.
        Profile::Outcome outcome = ReplayFiles(profile).store(record, replay);
        // The writer claimed the day's try before this job: `ranked` is settled. The run
        // is on disk before it is sent, so that it waits there if nobody answers.
        if (game_of_day != nullptr && game_of_day->ranked) {
            flow->daily_runs.finish(game_of_day->date, record.depth, record.length, replay);
            const std::vector<uint8_t> bytes = replay.encode();
            flow->daily_client->send(game_of_day->date, std::string(bytes.begin(), bytes.end()));
        }
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

Replay::Step GameScreen::switch_step(const Input& input, unsigned int elapsed) {
    using Button = Input::Button;
    scanner.update(input, elapsed);
    Replay::Step step{elapsed, 0, 0};
    if (input.interrupted()) step.pressed |= Replay::kFocusLost;
    const auto press = [&step](Button b) { step.pressed |= Replay::bit(static_cast<int>(b)); };
    switch (world.state) {
        case State::Playing:
            // The long press is told while the switch is still down, and its release is no
            // turn: holding to pause never also turns the worm.
            if (scanner.long_pressed()) {
                press(Button::Start);
            } else if (scanner.pressed()) {
                const auto turn = static_cast<SwitchTurn>(scanner.choice());
                if (turn == SwitchTurn::Left) press(Button::Left);
                if (turn == SwitchTurn::Right) press(Button::Right);
            }
            break;
        case State::Paused:
            if (scanner.chosen()) {
                press(scanner.choice() == kResumeChoice ? Button::Start : Button::Escape);
            }
            break;
        case State::GameOver:
            if (scanner.chosen()) press(Button::Start);
            break;
    }
    return step;
}

bool GameScreen::update(const Input& input, Audio& audio, unsigned int elapsed) {
    const State before = world.state;
    const bool was_paused = before == State::Paused;
    const bool keep = advance(one_switch ? switch_step(input, elapsed) : step_of(input, elapsed));
    if (one_switch && world.state != before) {
        // The pause has its own choices; back in play the turns start over from the left.
        if (world.state == State::Paused) scanner.restart(static_cast<int>(kPauseChoices.size()));
        if (world.state == State::Playing) scanner.restart(kSwitchTurns);
    }
    // The pause's fade is drawing, not rules: it runs here, on the pause's frames.
    if (was_paused && world.state != State::GameOver) world.fader.update(elapsed);
    const GameEvents& events = world.events;
    // The world reports the end; the files are written after the frame, off the loop.
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

bool GameScreen::advance(const Replay::Step& step) {
    const bool keep = world.step(step);
    const GameEvents& events = world.events;
    if (std::find(events.begin(), events.end(), GameEvent::GameOver) != events.end()) {
        // The game's own figures, until (with a flow) the records give the best so far.
        result = Profile::Outcome{};
        result.record = finished_record();
        result.best_depth = world.max_depth;
        result.best_length = world.max_length;
    }
    return keep;
}

void GameScreen::draw(Graphics& graphics) const {
    const int width = graphics.config.width;
    const int height = graphics.config.height;

    // Each object takes its own jitter, so near centipedes make everything wobble separately.
    const Camera& camera = world.camera;
    const Point map_offset = shake.shaken_offset(camera);
    map_view.draw(graphics, world.map, map_offset.x, map_offset.y);
    const Point player_offset = shake.shaken_offset(camera);
    worm_view.draw(graphics, world.player, player_offset.x, player_offset.y);
    for (const Centipede& centipede : world.centipedes) {
        const Point offset = shake.shaken_offset(camera);
        centipede_view.draw(graphics, centipede, offset.x, offset.y);
    }

    const double length = world.player.length;
    const State state = world.state;
    if (length < kStarvingLength && state != State::GameOver) {
        const double strength = std::min(kStarvingLength - length, 1.0);
        for (int i = 0; i < kBorderWidth; ++i) {
            const auto alpha = static_cast<uint32_t>((255 - 255 * i / kBorderWidth) * strength);
            graphics.draw_rect({i, i}, {width - i, height - i}, kBorderColor | alpha, false);
        }
    }

    const bool results_screen = results_shown();
    if (state != State::Playing) draw_fader(graphics, world.fader);
    if (state == State::Paused) {
        text.draw(graphics, "P A U S E", width / 2, height / 2 - 8, Text::Alignment::Center);
        // Well below the middle, where the worm's head usually is.
        if (!one_switch) {
            text.draw(graphics, pause_prompt, width / 2, height / 2 + kPromptBelowCentre,
                      Text::Alignment::Center);
        }
    }
    if (one_switch) draw_switch(graphics, player_offset);
    if (results_screen) {
        gameover.draw(graphics);
        bigtext.draw(graphics, format("", world.max_depth, "m"), width / 2, height - 128,
                     Text::Alignment::Center);
        bigtext.draw(graphics, format("", world.max_length, "cm"), width / 2, height - 64,
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
        text.draw(graphics, "Seed " + std::to_string(world.recording.seed), width - 16, height - 24,
                  Text::Alignment::Right);
        if (daily != nullptr && daily->known) {
            const std::string kind = daily->ranked ? "Daily dig: ranked" : "Daily dig: practice";
            text.draw(graphics, kind, 16, height - 44, Text::Alignment::Left);
            const std::string answer =
                daily->ranked && flow != nullptr ? flow->daily_client->answer(daily->date) : "";
            if (!answer.empty())
                text.draw(graphics, answer, 16, height - 24, Text::Alignment::Left);
        }
        text.draw(graphics, results_prompt, width / 2, height - kResultsPromptAbove,
                  Text::Alignment::Center);
    } else {
        text.draw(graphics, format("Max Depth", world.max_depth, "m"), 4, height - 40,
                  Text::Alignment::Left);
        text.draw(graphics, format("Max Length", world.max_length, "cm"), 4, height - 20,
                  Text::Alignment::Left);
    }
}

void GameScreen::draw_switch(Graphics& graphics, Point offset) const {
    const int width = graphics.config.width;
    const int height = graphics.config.height;
    if (world.state == State::Playing) {
        const auto turn = static_cast<SwitchTurn>(scanner.highlighted());
        draw_turn_marks(graphics, world.player, turn, offset.x, offset.y);
        draw_turn_line(graphics, text, turn, 4, height - kTurnLineAbove);
    } else if (world.state == State::Paused) {
        draw_switch_choices(graphics, text, kPauseChoices, scanner.highlighted(), width / 2,
                            height / 2 + kPromptBelowCentre);
    }
}

Screen* GameScreen::next_screen() const { return flow != nullptr ? flow->title() : nullptr; }
