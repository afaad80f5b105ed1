#include "game/screens/replay_screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/game.h"
#include "engine/input.h"
#include "game/profile/replay_io.h"
#include "game/screens/screen_flow.h"
#include "game/screens/title_screen.h"
#include "game/world/verify.h"
#include "tests/support/support.h"
#include "tools/pilot.h"
#include "tools/support/headless.h"

namespace {

using Button = Input::Button;
using test::push_key;

// Runs from an empty content/ (nothing loads, nothing needs to); the golden replays are taken
// from the source tree, which was the working directory before.
class Playback : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SDL_InitSubSystem(SDL_INIT_AUDIO); }

    std::string golden(const std::string& name) const {
        return (content.previous / "tests/replays" / name).string();
    }
    Replay load(const std::string& name) const {
        Replay replay;
        std::string error;
        EXPECT_TRUE(load_replay(golden(name), replay, error)) << error;
        return replay;
    }
    bool update(Screen& screen, unsigned int ms, Button press = Button::None, bool hold = false) {
        input.pressed_buttons.clear();
        input.released_buttons.clear();
        input.held_buttons.clear();
        if (hold) input.held_buttons.insert(press);
        input.press(press);
        if (hold) input.pressed_buttons.clear();
        return screen.update(input, audio, ms);
    }

    test::TempContentDir content;
    Audio audio{Audio::Config{}};
    Input input;
    Profile profile;  // no folders: nothing is read or written
    ScreenFlow flow{profile};
};

// The recorded time of the first n steps.
uint64_t recorded_ms(const Replay& replay, std::size_t n) {
    uint64_t ms = 0;
    for (std::size_t i = 0; i < n; ++i) ms += replay.steps[i].ms;
    return ms;
}

}  // namespace

TEST_F(Playback, PlaysAtRecordedSpeedAndFourTimesAsFastWhileAKeyIsHeld) {
    const Replay replay = load("seed4_autopilot.replay");
    ReplayScreen screen(replay, ReplayScreen::Mode::Replay);
    ASSERT_TRUE(update(screen, 1000));
    const std::size_t after_second = screen.next_step;
    EXPECT_LE(recorded_ms(replay, after_second), 1000u);
    EXPECT_GT(recorded_ms(replay, after_second + 1), 1000u);

    ASSERT_TRUE(update(screen, 1000, Button::A, true));
    EXPECT_TRUE(screen.fast_forward);
    EXPECT_LE(recorded_ms(replay, screen.next_step), 5000u);
    EXPECT_GT(recorded_ms(replay, screen.next_step + 1), 5000u);
    ASSERT_TRUE(update(screen, 16));
    EXPECT_FALSE(screen.fast_forward);
}

TEST_F(Playback, EndsWithTheRecordedResultsThenTheTitle) {
    const Replay replay = load("seed10_pauses_144hz.replay");
    ReplayScreen screen(replay, ReplayScreen::Mode::Replay, &flow);
    long updates = 0;
    while (update(screen, 50, Button::A, true)) {
        ASSERT_LT(++updates, 100000);
    }
    EXPECT_EQ(screen.game.world.state, World::State::GameOver);
    EXPECT_EQ(screen.next_step, replay.steps.size());
    EXPECT_EQ(screen.game.world.max_depth, replay.max_depth);
    EXPECT_EQ(screen.game.world.max_length, replay.max_length);
    // The results were up for their full time before the title came.
    EXPECT_EQ(screen.game.world.fader.elapsed, screen.game.world.fader.duration);
    EXPECT_EQ(screen.results_ms, ReplayScreen::kResultsMs);
    std::unique_ptr<Screen> next(screen.next_screen());
    EXPECT_NE(dynamic_cast<TitleScreen*>(next.get()), nullptr);
    EXPECT_EQ(audio.current_track, "wormfood.ogg");  // the replay's sounds were played
    EXPECT_TRUE(profile.records.table.empty());      // and it made no record
}

// A slowed game recorded with the one-switch mark plays back as its own game to its recorded
// results, saying what it was played with all the way, and on the results.
TEST_F(Playback, AnAssistedReplayPlaysItsGameAndSaysSo) {
    World played(12, Assists{70, true});
    sim::Pilot pilot(sim::Policy::Autopilot, 12);
    uint32_t held = 0;
    for (long frame = 0; played.state != World::State::GameOver; ++frame) {
        ASSERT_LT(frame, 200000);
        const Replay::Step step{16, Replay::bit(pilot.choose(played)), held};
        held = step.pressed;
        played.step(step);
    }
    const Replay replay = played.recording;
    ReplayScreen screen(replay, ReplayScreen::Mode::Replay);
    auto graphics = test::make_graphics();
    std::vector<DrawnText> drawn;
    graphics->text_log = &drawn;
    auto says_assisted = [&] {
        drawn.clear();
        screen.draw(*graphics);
        return std::count_if(drawn.begin(), drawn.end(), [](const DrawnText& line) {
            return line.text == "Assisted: 70% speed, one switch";
        });
    };
    EXPECT_EQ(says_assisted(), 1);
    for (long updates = 0; !screen.game.results_shown(); ++updates) {
        ASSERT_LT(updates, 100000);
        ASSERT_TRUE(update(screen, 50, Button::A, true));
    }
    EXPECT_EQ(screen.game.world.max_depth, replay.max_depth);
    EXPECT_EQ(screen.game.world.max_length, replay.max_length);
    EXPECT_EQ(says_assisted(), 1);
}

TEST_F(Playback, AKeyOnTheResultsGoesStraightToTheTitle) {
    Replay replay = load("seed9_uneven_frames.replay");
    ReplayScreen screen(replay, ReplayScreen::Mode::Replay);
    while (screen.game.world.state != World::State::GameOver) ASSERT_TRUE(update(screen, 1000));
    EXPECT_TRUE(update(screen, 16, Button::Start));  // during the fade: ignored
    while (screen.game.world.fader.elapsed < screen.game.world.fader.duration) {
        ASSERT_TRUE(update(screen, 500));
    }
    EXPECT_FALSE(update(screen, 16, Button::Start));

    // A recording whose game never ends goes to the title when it runs out.
    replay.steps.resize(100);
    ReplayScreen unfinished(replay, ReplayScreen::Mode::Replay);
    while (unfinished.next_step < replay.steps.size()) ASSERT_TRUE(update(unfinished, 1000));
    EXPECT_FALSE(update(unfinished, 16));
}

TEST_F(Playback, DemoIsSilentAndLeavesOnAnyKey) {
    ReplayScreen screen(load("seed4_autopilot.replay"), ReplayScreen::Mode::Demo);
    EXPECT_EQ(screen.get_music_track(), "title.ogg");
    for (int i = 0; i < 600; ++i) ASSERT_TRUE(update(screen, 100));
    EXPECT_FALSE(screen.fast_forward);
    EXPECT_TRUE(audio.samples.empty());
    EXPECT_TRUE(update(screen, 16, Button::Fullscreen));  // only switches the window
    EXPECT_FALSE(update(screen, 16, Button::Left));
}

// Through a Game fed SDL events: Escape leaves a replay at once for the title, where Escape
// quits as ever; F only switches the window, other keys only speed the replay up.
TEST_F(Playback, EscapeLeavesAReplayForTheTitleWhereEscapeQuits) {
    Game::Config config;
    config.graphics = headless::graphics_config(320, 180, "test");
    Game game(config);
    ScreenFlow game_flow(profile, {}, &game);
    ASSERT_TRUE(game.start(
        new ReplayScreen(load("seed4_autopilot.replay"), ReplayScreen::Mode::Replay, &game_flow)));
    auto press = [&game](SDL_Scancode key) {
        push_key(key, true);
        const bool going = game.step();
        push_key(key, false);
        return going && game.step();
    };
    ASSERT_TRUE(press(SDL_SCANCODE_F));
    ASSERT_TRUE(press(SDL_SCANCODE_SPACE));
    auto* replay = dynamic_cast<ReplayScreen*>(game.screen.get());
    ASSERT_NE(replay, nullptr);
    EXPECT_EQ(replay->mode, ReplayScreen::Mode::Replay);
    ASSERT_TRUE(press(SDL_SCANCODE_ESCAPE));
    ASSERT_NE(dynamic_cast<TitleScreen*>(game.screen.get()), nullptr);
    push_key(SDL_SCANCODE_ESCAPE, true);
    EXPECT_FALSE(game.step());

    // The controller's Back (Select) leaves as Escape does.
    ReplayScreen direct(load("seed4_autopilot.replay"), ReplayScreen::Mode::Replay);
    EXPECT_TRUE(update(direct, 16, Button::A));
    EXPECT_FALSE(update(direct, 16, Button::Select));
}

// The whole way through a Game fed SDL events, as a player would: idle on the title, watch the
// demo, press a key, and be back on the title, not in a game.
TEST_F(Playback, IdleTitleShowsTheDemoAndAKeyReturnsWithoutStartingAGame) {
    Game::Config config;
    config.graphics = headless::graphics_config(320, 180, "test");
    Game game(config);
    ScreenFlow game_flow(profile, {}, &game);
    auto* title = new TitleScreen(game_flow);
    title->demo_paths = {golden("missing.replay"), golden("seed5_autopilot.replay")};
    ASSERT_TRUE(game.start(title));

    ASSERT_TRUE(game.step());
    // The loop counts at most a quarter second per step, so idle time passes in steps of that.
    auto idle = [&game](unsigned int ms) {
        for (; ms > 0; ms -= std::min(ms, Game::kLongestStep)) {
            game.last_ticks -= std::min(ms, Game::kLongestStep);
            if (!game.step()) return false;
        }
        return true;
    };
    ASSERT_TRUE(idle(TitleScreen::kDemoAfterMs - 1000));  // 19 s without a key
    ASSERT_NE(dynamic_cast<TitleScreen*>(game.screen.get()), nullptr);
    ASSERT_TRUE(idle(1500));
    auto* demo = dynamic_cast<ReplayScreen*>(game.screen.get());
    ASSERT_NE(demo, nullptr);
    EXPECT_EQ(demo->mode, ReplayScreen::Mode::Demo);
    EXPECT_EQ(demo->replay.seed, load("seed5_autopilot.replay").seed);
    for (int i = 0; i < 5; ++i) {
        game.last_ticks -= 500;
        ASSERT_TRUE(game.step());
    }
    EXPECT_GT(demo->next_step, 0u);

    push_key(SDL_SCANCODE_RETURN, true);
    ASSERT_TRUE(game.step());
    ASSERT_NE(dynamic_cast<TitleScreen*>(game.screen.get()), nullptr);
    push_key(SDL_SCANCODE_RETURN, false);
    ASSERT_TRUE(game.step());
    ASSERT_TRUE(game.step());
    EXPECT_NE(dynamic_cast<TitleScreen*>(game.screen.get()), nullptr);

    // A key on the fresh title starts a game as ever.
    push_key(SDL_SCANCODE_SPACE, true);
    ASSERT_TRUE(game.step());
    EXPECT_NE(dynamic_cast<GameScreen*>(game.screen.get()), nullptr);
}

// The bundled demo comes from the content folder found, not from the working folder.
TEST_F(Playback, TheBundledDemoIsFoundInTheContentFolder) {
    const std::filesystem::path elsewhere = content.root / "installed";
    std::filesystem::create_directory(elsewhere);
    std::filesystem::copy_file(golden("seed5_autopilot.replay"), elsewhere / "demo.replay");
    Game::Config config;
    config.graphics = headless::graphics_config(320, 180, "test");
    config.graphics.content = (elsewhere / "").string();
    Game game(config);
    ScreenFlow game_flow(profile, {}, &game);
    TitleScreen title(game_flow);
    ASSERT_EQ(title.demo_paths, std::vector<std::string>{(elsewhere / "demo.replay").string()});
    testing::internal::CaptureStderr();
    EXPECT_TRUE(title.load_demo());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(title.demo->seed, load("seed5_autopilot.replay").seed);

    // Without one, the title says so once and stays.
    std::filesystem::remove(elsewhere / "demo.replay");
    TitleScreen bare(game_flow);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(update(bare, TitleScreen::kDemoAfterMs));
    EXPECT_TRUE(update(bare, TitleScreen::kDemoAfterMs));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "No demo: " + (elsewhere / "demo.replay").string() + " is missing\n");
}

// The bundled demo is the game's own file: a broken one is reported and left where it is.
TEST_F(Playback, TitleWithoutAUsableDemoStaysAndSaysWhyOnce) {
    TitleScreen title(flow);
    const std::string bad = title.bundled_demo;
    std::ofstream(bad) << "not a replay";
    title.demo_paths = {(content.root / "missing.replay").string(), bad};
    testing::internal::CaptureStderr();
    EXPECT_TRUE(update(title, TitleScreen::kDemoAfterMs - 1));
    EXPECT_TRUE(update(title, 1));
    EXPECT_TRUE(update(title, TitleScreen::kDemoAfterMs));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "No demo: " + bad + ": not a Burrowgale replay (wrong magic number)\n");
    EXPECT_TRUE(std::filesystem::exists(bad));  // never ours to remove
    EXPECT_FALSE(update(title, 16, Button::A));
    std::unique_ptr<Screen> next(title.next_screen());
    EXPECT_NE(dynamic_cast<GameScreen*>(next.get()), nullptr);
}
