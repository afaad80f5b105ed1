#include "game/screens/game_screen.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/graphics.h"
#include "engine/input.h"
#include "engine/util.h"
#include "game/profile/replay_files.h"
#include "game/screens/prompts.h"
#include "game/screens/screen_flow.h"
#include "game/screens/sounds.h"
#include "game/view/format.h"
#include "game/view/text_layout.h"

namespace {

constexpr int kPausedMusicVolume = 3;  // of 10
constexpr int kFullMusicVolume = 10;

constexpr double kBiteRumble = 0.75;       // of full strength, both motors
constexpr uint32_t kBiteRumbleTime = 250;  // ms

// Positions follow from the text's size at the player's UI scale: rows are stacked by its
// height with a quarter of it between them, so the normal size keeps its old pixels.
constexpr int kHudEdge = 4;         // pixels between the HUD and the canvas's edges
constexpr int kEdge = 16;           // pixels between the results' corner lines and the sides
constexpr int kBottomEdge = 8;      // ... and the bottom
constexpr int kPromptLines = 2;     // a prompt too wide for the canvas breaks once
constexpr int kAnswerLines = 4;     // a leaderboard's answer may be long: a refusal's reason
constexpr int kPauseKeysBelow = 4;  // text heights below the centre: clear of the worm
constexpr int kFigureChars = 8;     // "999.99cm": the width the figures' column makes room for
constexpr const char* kNewBest = "New best";
// The game-over picture, in its own pixels (it is stretched over the canvas), as
// tools/content/pictures.cpp draws it: where its lettering ends, and its panel, whose rows
// read "DEPTH" and "LENGTH".
constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 360;
constexpr int kLetteringBottom = 98;
constexpr int kPanelLeft = 152;
constexpr int kPanelRight = 488;
constexpr int kPanelRowPitch = 32;
constexpr int kPanelBottomGap = 8;  // below the lower row's figure
constexpr int kPanelLabelsLeft = 198;
constexpr int kPanelLabelsTop = 298;
constexpr int kPanelLabelsRight = 252;
constexpr int kPanelLabelsBottom = 348;
constexpr uint32_t kPanelColor = 0x120B07FF;  // its commonest pixel

// One-switch play: the pause's choices, in the order the highlight takes them, and where the
// turn line sits (pixels above the bottom, over the depth and length).
const std::vector<std::string> kPauseChoices = {"Resume", "Give up"};
constexpr int kResumeChoice = 0;

// A recording stores the engine's buttons by number; the rules read them by these.
static_assert(static_cast<int>(Replay::Button::Left) == static_cast<int>(Input::Button::Left));
static_assert(static_cast<int>(Replay::Button::Right) == static_cast<int>(Input::Button::Right));
static_assert(static_cast<int>(Replay::Button::Start) == static_cast<int>(Input::Button::Start));
static_assert(static_cast<int>(Replay::Button::Select) == static_cast<int>(Input::Button::Select));
static_assert(static_cast<int>(Replay::Button::Escape) == static_cast<int>(Input::Button::Escape));

// The speed setting offers exactly the speeds the rules play.
static_assert(Settings::kSpeedRange.least == Assists::kSlowest &&
              Settings::kSpeedRange.most == Assists::kNormal &&
              Settings::kSpeedRange.step == Assists::kSpeedStep);

}  // namespace

Assists assists_of(const Settings& settings) {
    return Assists{settings.game_speed, settings.one_switch};
}

std::string assisted_line(const Assists& assists) { return "Assisted: " + assists.describe(); }

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
    : GameScreen(seed, flow_, flow_ != nullptr ? assists_of(flow_->profile.settings) : Assists{}) {}

GameScreen::GameScreen(unsigned int seed, ScreenFlow* flow_, Assists assists)
    : world(seed, assists),
      shake(world.shake_seed),
      gameover("gameover.png"),
      text("text.png", 8, 16),
      bigtext("bigtext.png", 24, 48),
      flow(flow_) {
    const Settings defaults;
    const Settings& settings = flow != nullptr ? flow->profile.settings : defaults;
    world.shake_scale = settings.shake_factor();
    set_ui_scale(settings.ui_factor());
    starving_warning.steady = settings.reduce_flashing;
    one_switch = settings.one_switch;
    scanner.set_period(settings.switch_period);
    make_prompts(settings);
}

void GameScreen::show_prompts_for(Input::Device device) {
    if (device == prompts_for) return;
    prompts_for = device;
    const Settings defaults;
    make_prompts(flow != nullptr ? flow->profile.settings : defaults);
}

void GameScreen::make_prompts(const Settings& settings) {
    const Prompts prompts(settings, prompts_for);
    const std::string start = prompts.of(Input::Button::Start);
    pause_prompt = start + ": resume    " + prompts.back() + ": give up";
    results_prompt = one_switch ? "Any key or button: continue" : start + ": continue";
}

void GameScreen::set_ui_scale(double factor) {
    text.scale = factor;
    bigtext.scale = factor;
}

Record GameScreen::finished_record() const {
    Record record;
    record.depth = world.max_depth;
    record.length = world.max_length;
    record.seed = world.recording.seed;
    record.play_time = static_cast<double>(world.play_ms) / 1000.0;
    record.assists = world.assists;
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
    show_prompts_for(input.device());
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

    const State state = world.state;
    // Under the pause's overlay; gone with the game.
    if (state != State::GameOver) {
        starving_warning.draw(graphics, text, world.player.length, world.play_ms);
    }

    if (state != State::Playing) draw_fader(graphics, world.fader);
    if (state == State::Paused) draw_pause(graphics);
    if (one_switch && state == State::Playing) {
        draw_turn_marks(graphics, world.player, static_cast<SwitchTurn>(scanner.highlighted()),
                        player_offset.x, player_offset.y);
    }
    if (results_shown()) {
        draw_results(graphics);
    } else {
        draw_hud(graphics);
    }
}

namespace {

// A quarter of a line's height: between rows of one block.
int row_gap(const Text& text) { return text.height() / 4; }

// Each line of `lines` centred on x, from y down; the y below the last.
int draw_centred(Graphics& graphics, const Text& text, const std::vector<std::string>& lines, int x,
                 int y) {
    for (const std::string& line : lines) {
        text.draw(graphics, line, x, y, Text::Alignment::Center);
        y += text.height() + row_gap(text);
    }
    return y;
}

}  // namespace

void GameScreen::draw_hud(Graphics& graphics) const {
    const int step = text.height() + row_gap(text);
    const int length_y = graphics.config.height - kHudEdge - text.height();
    text.draw(graphics, format("Max Depth", world.max_depth, "m"), kHudEdge, length_y - step,
              Text::Alignment::Left);
    text.draw(graphics, format("Max Length", world.max_length, "cm"), kHudEdge, length_y,
              Text::Alignment::Left);
    // One-switch play: the turn the switch would take, above the figures.
    if (one_switch && world.state == State::Playing) {
        draw_turn_line(graphics, text, static_cast<SwitchTurn>(scanner.highlighted()), kHudEdge,
                       length_y - 2 * step);
    }
}

void GameScreen::draw_pause(Graphics& graphics) const {
    const int width = graphics.config.width;
    const int middle = graphics.config.height / 2;
    text.draw(graphics, "P A U S E", width / 2, middle - text.height() / 2,
              Text::Alignment::Center);
    // Well below the middle, where the worm's head usually is. One-switch play shows its
    // choices there instead of the keys.
    const int below = middle + kPauseKeysBelow * text.height();
    if (one_switch) {
        draw_switch_choices(graphics, text, kPauseChoices, scanner.highlighted(), width / 2, below);
        return;
    }
    draw_centred(graphics, text, wrap_text(text, pause_prompt, width - 2 * kEdge, kPromptLines),
                 width / 2, below);
}

void GameScreen::draw_results(Graphics& graphics) const {
    const int width = graphics.config.width;
    const int height = graphics.config.height;
    const int h = text.height();
    const int gap = row_gap(text);
    const auto picture_x = [width](int x) { return x * width / kPictureWidth; };
    const auto picture_y = [height](int y) { return y * height / kPictureHeight; };
    gameover.draw(graphics);

    // The picture's panel holds the figures with their best figures beside them while a
    // figure leaves a line's height between its row and the next; larger, they go in one
    // column under the picture's lettering, each with its best figure below it.
    const int figure_half = bigtext.advance() * kFigureChars / 2;
    const int best_x = width / 2 + figure_half + kEdge;
    const bool in_panel =
        picture_y(kPanelRowPitch) - bigtext.height() >= h && 2 * (h + gap) <= bigtext.height() &&
        best_x + text.width(format("Best", 999.99, "cm")) <= picture_x(kPanelRight);
    const std::string depth = format("", world.max_depth, "m");
    const std::string length = format("", world.max_length, "cm");
    // The best figures are known once the records are written, which is long before the fade
    // ends unless the disk is very slow.
    const bool bests = storing == nullptr;
    const std::vector<std::string> prompt =
        wrap_text(text, results_prompt, width - 2 * kEdge, kPromptLines);
    int column_bottom = 0;  // in the column layout, where the corner lines may reach up to
    if (in_panel) {
        const int length_y = height - picture_y(kPanelBottomGap) - bigtext.height();
        const int depth_y = length_y - picture_y(kPanelRowPitch);
        const auto figure = [&](const std::string& shown, double best, const char* unit,
                                bool new_best, int y) {
            bigtext.draw(graphics, shown, width / 2, y, Text::Alignment::Center);
            if (!bests) return;
            text.draw(graphics, format("Best", best, unit), best_x, y + gap, Text::Alignment::Left);
            if (new_best) {
                text.draw(graphics, kNewBest, best_x, y + h + 2 * gap, Text::Alignment::Left);
            }
        };
        figure(depth, result.best_depth, "m", result.new_best_depth, depth_y);
        figure(length, result.best_length, "cm", result.new_best_length, length_y);
        const int prompt_height = static_cast<int>(prompt.size()) * (h + gap) - gap;
        draw_centred(graphics, text, prompt, width / 2, depth_y - 3 * h / 2 - prompt_height);
    } else {
        // The panel's labels name the figures beside them; with none there they are hidden
        // under the panel's own colour.
        graphics.draw_rect({picture_x(kPanelLabelsLeft), picture_y(kPanelLabelsTop)},
                           {picture_x(kPanelLabelsRight), picture_y(kPanelLabelsBottom)},
                           kPanelColor, true);
        int y = picture_y(kLetteringBottom) + gap;
        const auto figure = [&](const std::string& shown, double best, const char* unit,
                                bool new_best) {
            bigtext.draw(graphics, shown, width / 2, y, Text::Alignment::Center);
            y += bigtext.height() + gap;
            // The row is kept while the bests are unknown, so that nothing moves when they come.
            if (bests) {
                const std::string best_line = format("Best", best, unit);
                const int mark_x = text.width(best_line) + 2 * text.advance();
                const int row_width = new_best ? mark_x + text.width(kNewBest) : mark_x;
                const int left = width / 2 - row_width / 2;
                text.draw(graphics, best_line, left, y, Text::Alignment::Left);
                if (new_best) {
                    text.draw(graphics, kNewBest, left + mark_x, y, Text::Alignment::Left);
                }
            }
            y += h + 2 * gap;
        };
        figure(depth, result.best_depth, "m", result.new_best_depth);
        figure(length, result.best_length, "cm", result.new_best_length);
        column_bottom = draw_centred(graphics, text, prompt, width / 2, y);
    }

    // The bottom corners: the seed on the right, the daily dig's lines on the left, stacked
    // up from the bottom so that a long answer grows upwards, clear of the panel beside them
    // or of the column above them.
    const std::string seed = "Seed " + std::to_string(world.recording.seed);
    const int bottom_row = height - kBottomEdge - h;
    text.draw(graphics, seed, width - kEdge, bottom_row, Text::Alignment::Right);
    // An assisted game says so above its seed.
    const std::string assisted = world.assists.any() ? assisted_line(world.assists) : "";
    if (!assisted.empty()) {
        text.draw(graphics, assisted, width - kEdge, bottom_row - h - gap, Text::Alignment::Right);
    }
    if (daily == nullptr || !daily->known) return;
    const std::string kind = daily->ranked         ? "Daily dig: ranked"
                             : world.assists.any() ? "Daily dig: practice (assisted)"
                                                   : "Daily dig: practice";
    const std::string answer =
        daily->ranked && flow != nullptr ? flow->daily_client->answer(daily->date) : "";
    const int corner = std::max(text.width(seed), text.width(assisted));
    const int right = in_panel ? std::min(picture_x(kPanelLeft), width - 2 * kEdge - corner) - kEdge
                               : width - kEdge - corner - kEdge;
    const int rows_free = in_panel ? kAnswerLines : (bottom_row - column_bottom) / (h + gap) - 1;
    std::vector<std::string> lines =
        wrap_text(text, answer, right - kEdge, std::min(kAnswerLines, rows_free));
    if (lines.empty()) lines.emplace_back();  // the kind keeps its row above the answer's
    int y = bottom_row - static_cast<int>(lines.size()) * (h + gap);
    text.draw(graphics, kind, kEdge, y, Text::Alignment::Left);
    for (const std::string& line : lines) {
        y += h + gap;
        text.draw(graphics, line, kEdge, y, Text::Alignment::Left);
    }
}

Screen* GameScreen::next_screen() const { return flow != nullptr ? flow->title() : nullptr; }
