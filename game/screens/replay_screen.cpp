#include "game/screens/replay_screen.h"

#include <algorithm>
#include <utility>

#include "engine/graphics.h"
#include "engine/input.h"
#include "game/screens/one_switch.h"
#include "game/screens/screen_flow.h"
#include "game/screens/sounds.h"

namespace {

// A step that claims more than this is shown for this long: the game is the same either way,
// and a damaged or crafted recording cannot freeze the screen for days.
constexpr uint32_t kLongestWaitMs = 1000;
constexpr int kLabelY = 8;
constexpr int kLineHeight = 20;

bool any_held_but_fullscreen(const Input& input) {
    return std::any_of(input.held_buttons.begin(), input.held_buttons.end(),
                       [](Input::Button b) { return b != Input::Button::Fullscreen; });
}

}  // namespace

ReplayScreen::ReplayScreen(Replay replay_, Mode mode_, ScreenFlow* flow_)
    : replay(std::move(replay_)),
      mode(mode_),
      flow(flow_),
      game(replay.seed, nullptr, replay.assists),
      text("text.png", 8, 16) {
    game.world.recording_on = false;
    if (flow != nullptr) {
        const Settings& settings = flow->profile.settings;
        game.world.shake_scale = settings.shake_factor();
        game.set_ui_scale(settings.ui_factor());
        text.scale = settings.ui_factor();
        game.starving_warning.steady = settings.reduce_flashing;
    }
}

bool ReplayScreen::update(const Input& input, Audio& audio, unsigned int elapsed) {
    game.show_prompts_for(input.device());
    // The key that ends a demo is not passed on: the title sees only later presses. Escape
    // (or the controller's Back) leaves a replay at once; other keys only speed it up.
    if (mode == Mode::Demo && input.any_pressed_but_fullscreen()) return false;
    // With one switch every key is the switch, and the switch leaves a replay as it does a demo.
    if (flow != nullptr && flow->profile.settings.one_switch && SwitchScanner::any_press(input)) {
        return false;
    }
    if (input.key_pressed(Input::Button::Escape) || input.key_pressed(Input::Button::Select)) {
        return false;
    }

    fast_forward = mode == Mode::Replay && any_held_but_fullscreen(input);
    const uint64_t played = uint64_t{elapsed} * (fast_forward ? kFastForward : 1);
    const bool recorded =
        next_step < replay.steps.size() && game.world.state != GameScreen::State::GameOver;
    if (recorded) {
        budget += played;
        for (std::size_t fed = 0; fed < kMaxStepsPerUpdate && next_step < replay.steps.size() &&
                                  game.world.state != GameScreen::State::GameOver;
             ++fed) {
            const Replay::Step& step = replay.steps[next_step];
            // A pause recorded frame by frame (older recordings keep them so) is passed over
            // at once: nothing moves in it.
            const uint32_t wait = game.world.state == GameScreen::State::Paused
                                      ? 0
                                      : std::min(step.ms, kLongestWaitMs);
            if (budget < wait) break;
            budget -= wait;
            ++next_step;
            game.advance(step);
            if (mode == Mode::Replay) play_events(game.world.events, audio);
        }
        return true;
    }

    // The recording is over. A game that never ended has no results to show.
    if (game.world.state != GameScreen::State::GameOver) return false;
    const bool results_up = game.world.fader.elapsed >= game.world.fader.duration;
    if (results_up && input.any_pressed_but_fullscreen()) return false;
    game.advance(
        Replay::Step{static_cast<uint32_t>(std::min<uint64_t>(played, kLongestWaitMs)), 0, 0});
    // Real time, fast or not: the results are there to be read.
    if (results_up) results_ms = std::min(results_ms + std::min(elapsed, kResultsMs), kResultsMs);
    return results_ms < kResultsMs;
}

void ReplayScreen::draw(Graphics& graphics) const {
    game.draw(graphics);
    const char* label = mode == Mode::Demo ? "DEMO" : fast_forward ? "REPLAY x4" : "REPLAY";
    text.draw(graphics, label, graphics.config.width / 2, kLabelY, Text::Alignment::Center);
    // The results say it themselves.
    if (replay.assists.any() && !game.results_shown()) {
        text.draw(graphics, assisted_line(replay.assists), graphics.config.width / 2,
                  kLabelY + kLineHeight, Text::Alignment::Center);
    }
}

Screen* ReplayScreen::next_screen() const { return flow != nullptr ? flow->title() : nullptr; }

std::string ReplayScreen::get_music_track() const {
    // The demo plays under the title's music, which goes on without a restart.
    return mode == Mode::Demo ? Sounds::kTitleMusic : game.get_music_track();
}
