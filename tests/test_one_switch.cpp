#include "game/screens/one_switch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/game.h"
#include "engine/text.h"
#include "game/app/command_line.h"
#include "game/screens/game_screen.h"
#include "game/screens/replay_screen.h"
#include "game/screens/screen_flow.h"
#include "game/screens/title_screen.h"
#include "game/view/one_switch_view.h"
#include "tests/support/support.h"
#include "tools/support/headless.h"

namespace {

using Button = Input::Button;
using test::push_key;
using State = World::State;

// A frame of the scanner's input: which keys (or, above 1000, controller buttons) go down and
// up in it, and its time.
struct Frame {
    std::vector<int> down;
    std::vector<int> up;
    unsigned int ms = 16;
    bool interrupted = false;
};

constexpr int kSpace = SDL_SCANCODE_SPACE;
constexpr int kEscape = SDL_SCANCODE_ESCAPE;
constexpr int kPadA = 1000 + SDL_CONTROLLER_BUTTON_A;

Input input_of(const Frame& frame) {
    Input input;
    for (const int id : frame.down) {
        (id >= 1000 ? input.pressed_pad_buttons : input.pressed_keys).push_back(id % 1000);
    }
    for (const int id : frame.up) {
        (id >= 1000 ? input.released_pad_buttons : input.released_keys).push_back(id % 1000);
    }
    input.interruption = frame.interrupted;
    return input;
}

Frame wait(unsigned int ms) { return {{}, {}, ms}; }
Frame down(int id, unsigned int ms = 16) { return {{id}, {}, ms}; }
Frame up(int id) { return {{}, {id}, 16}; }

TEST(SwitchScanner, StepsEachPeriodTellsShortFromLongAndTakesWhatWasShown) {
    enum Told { Nothing, Short, Long };
    struct Case {
        const char* name;
        std::vector<Frame> frames;  // three choices, 500 ms each
        int highlighted;            // after the last frame; also the choice told
        Told told;                  // in the last frame
        bool down;
    };
    const Frame tap{{kSpace}, {kSpace}, 16};
    const Frame interrupted{{}, {}, 16, true};
    const std::vector<Case> cases = {
        {"one ms short of a period", {wait(499)}, 0, Nothing, false},
        {"a period on", {wait(499), wait(1)}, 1, Nothing, false},
        {"wraps after the last", {wait(1500)}, 0, Nothing, false},
        {"a frame of billions of ms at once", {wait(4000000000u)}, 2, Nothing, false},
        // Down as the second choice was about to show: the first is taken, as it was seen.
        {"short press", {wait(490), down(kSpace, 30), wait(300), up(kSpace)}, 0, Short, false},
        {"a tap within one frame", {wait(600), tap}, 1, Short, false},
        {"any key or button", {down(kPadA), up(kPadA)}, 0, Short, false},
        {"the highlight holds while down", {down(kEscape), wait(990)}, 0, Nothing, true},
        {"long press told on time", {down(kSpace), wait(984), wait(16)}, 0, Long, true},
        {"long press told once", {down(kSpace), wait(1000), wait(16)}, 0, Nothing, true},
        {"long press let go", {down(kSpace), wait(1000), up(kSpace)}, 0, Nothing, false},
        {"after a press a whole period again", {wait(400), tap, wait(499)}, 0, Nothing, false},
        {"down while a key is", {down(kSpace), down(kEscape), up(kSpace)}, 0, Nothing, true},
        {"two keys, both up", {down(kSpace), {{kEscape}, {kSpace}}, up(kEscape)}, 0, Short, false},
        {"lost focus cancels", {down(kSpace), interrupted, up(kSpace)}, 0, Nothing, false},
        {"a key no keyboard has is no switch", {{{-5, 0, 999}, {}}}, 0, Nothing, false},
    };
    for (const Case& c : cases) {
        SwitchScanner scanner(3, 500);
        for (const Frame& frame : c.frames) scanner.update(input_of(frame), frame.ms);
        EXPECT_EQ(scanner.highlighted(), c.highlighted) << c.name;
        EXPECT_EQ(scanner.pressed(), c.told == Short) << c.name;
        EXPECT_EQ(scanner.long_pressed(), c.told == Long) << c.name;
        EXPECT_TRUE(c.told == Nothing || scanner.choice() == c.highlighted) << c.name;
        EXPECT_EQ(scanner.down(), c.down) << c.name;
    }
}

// One-switch play on, the highlight moving on each 500 ms.
class OneSwitch : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SDL_InitSubSystem(SDL_INIT_AUDIO); }
    OneSwitch() {
        profile.settings.one_switch = true;
        profile.settings.switch_period = 500;
    }

    test::TempContentDir content;
    Audio audio{Audio::Config{}};
    Profile profile;  // no folders: the records are kept in memory
};

// A menu written for the ordinary buttons, keeping what it is given.
struct Recorder : Screen {
    bool update(const Input& input, Audio&, unsigned int) override {
        seen = input.pressed_buttons;
        return true;
    }
    void draw(Graphics&) const override {}
    Input::ButtonSet seen;
};

TEST_F(OneSwitch, MenuStepsAreDownPressesAPressIsStartAndNoKeyKeepsItsOwnJob) {
    ScreenFlow flow(profile);
    SwitchedMenu menu(std::make_unique<Recorder>(), flow);
    const auto frame = [&](const Frame& f) {
        Input input = input_of(f);
        for (const int key : f.down) input.press(input.keybind(static_cast<SDL_Scancode>(key)));
        menu.update(input, audio, f.ms);
        return static_cast<const Recorder&>(*menu.inner).seen;
    };
    using Set = Input::ButtonSet;
    EXPECT_EQ(frame({{}, {}, 499}), Set{});
    EXPECT_EQ(frame({{}, {}, 1}), Set{Button::Down});
    EXPECT_EQ(frame({{kEscape}, {}, 16}), Set{});  // Escape is the switch, not a way back
    EXPECT_EQ(frame({{}, {kEscape}, 16}), Set{Button::Start});
    EXPECT_EQ(frame({{kSpace}, {}, 16}), Set{});
    EXPECT_EQ(frame({{}, {}, 1000}), Set{Button::Start});  // a long press selects too
    EXPECT_EQ(frame({{}, {kSpace}, 16}), Set{});
    // Turned off in the menu itself: the keys are the menu's again at once.
    profile.settings.one_switch = false;
    EXPECT_EQ(frame({{kEscape}, {}, 16}), Set{Button::Escape});
}

// Whether `turn` turns the worm now: the head may not face back into its body, and with a free
// tile below gravity turns it down in the same step.
bool turns_on_ground(const World& world, SwitchTurn turn) {
    const Player::Segment& head = world.player.segments.front();
    for (const Direction below : {Direction::SE, Direction::SW}) {
        const GridPoint tile = head.position.apply(below);
        if (world.map.open(tile) && !world.player.occupying(tile)) return false;
    }
    return switch_heading(head.front, turn).angle(head.back) > 90;
}

int turns_fed(const World& world) {
    int turns = 0;
    for (const Replay::Step& step : world.recording.steps) {
        turns += (step.pressed & Replay::bit(static_cast<int>(Button::Left))) != 0;
        turns += (step.pressed & Replay::bit(static_cast<int>(Button::Right))) != 0;
    }
    return turns;
}

// The screens through the flow as the main loop runs them, 16 ms a frame, each frame drawn, and
// Space the only key ever pressed.
TEST_F(OneSwitch, SessionTitleGameLongPressPauseGiveUpResultsAndBackWithOneKey) {
    auto graphics = test::make_graphics();
    std::vector<DrawnText> drawn;
    graphics->text_log = &drawn;
    ScreenFlow flow(profile, 4242u);
    Input input;
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);  // what the new window said
    std::unique_ptr<Screen> screen(flow.title());
    const auto frame = [&] {
        ASSERT_TRUE(input.process());
        drawn.clear();
        if (screen->update(input, audio, 16)) {
            screen->draw(*graphics);
        } else {
            screen.reset(screen->next_screen());
        }
    };
    const auto tap = [&] {
        push_key(SDL_SCANCODE_SPACE, true);
        frame();
        push_key(SDL_SCANCODE_SPACE, false);
        frame();
    };
    const auto until = [&](const auto& done) {
        for (int i = 0; i < 1000 && !done(); ++i) frame();
        ASSERT_TRUE(done());
    };
    const auto shown = [&](const std::string& line) {
        return std::any_of(drawn.begin(), drawn.end(),
                           [&line](const DrawnText& d) { return d.text == line; });
    };

    // The title's highlight goes round its four choices, Play first; a press plays.
    const auto* title = dynamic_cast<TitleScreen*>(screen.get());
    std::vector<int> visited{title->scanner.highlighted()};
    until([&] {
        if (title->scanner.highlighted() != visited.back()) {
            visited.push_back(title->scanner.highlighted());
        }
        return visited.size() == 5;
    });
    EXPECT_EQ(visited, (std::vector<int>{0, 1, 2, 3, 0}));
    EXPECT_TRUE(shown("> Play <"));
    tap();
    auto* game = dynamic_cast<GameScreen*>(screen.get());
    ASSERT_NE(game, nullptr);
    ASSERT_TRUE(game->one_switch);
    const World& world = game->world;
    frame();

    // Whenever the highlighted turn would turn the worm, a press commits it: the step of the
    // release holds its button alone, and the head takes the heading its mark showed.
    int committed = 0;
    for (int guard = 0; committed < 20 && guard < 20000; ++guard) {
        ASSERT_EQ(world.state, State::Playing) << "after " << committed << " turns";
        const auto turn = static_cast<SwitchTurn>(game->scanner.highlighted());
        if (turn == SwitchTurn::Ahead || !turns_on_ground(world, turn)) {
            frame();
            continue;
        }
        EXPECT_TRUE(shown(turn_line(turn)));
        push_key(SDL_SCANCODE_SPACE, true);
        frame();
        const bool on_ground = turns_on_ground(world, turn);
        const Direction expected = switch_heading(world.player.segments.front().front, turn);
        push_key(SDL_SCANCODE_SPACE, false);
        frame();
        const Button button = turn == SwitchTurn::Left ? Button::Left : Button::Right;
        EXPECT_EQ(world.recording.steps.back().pressed, Replay::bit(static_cast<int>(button)));
        if (!on_ground) continue;  // it fell as the key went down: gravity has the head
        EXPECT_EQ(world.player.segments.front().front, expected) << "turn " << committed;
        ++committed;
    }
    ASSERT_EQ(committed, 20);
    const int turns = turns_fed(world);

    // Held for a second the switch pauses, while still down, and turns nothing.
    push_key(SDL_SCANCODE_SPACE, true);
    frame();
    for (unsigned int held = 16; held < SwitchScanner::kLongPressMs; held += 16) {
        frame();
        ASSERT_EQ(world.state, State::Playing) << held;
    }
    frame();
    EXPECT_EQ(world.state, State::Paused);
    push_key(SDL_SCANCODE_SPACE, false);
    frame();
    EXPECT_EQ(world.state, State::Paused);  // nor does its release resume
    EXPECT_EQ(turns_fed(world), turns);

    // The pause's highlight moves on to "Give up"; a press gives up, a press leaves the results.
    EXPECT_EQ(game->scanner.highlighted(), 0);
    until([&] { return game->scanner.highlighted() == 1; });
    EXPECT_TRUE(shown("> Give up <"));
    tap();
    EXPECT_EQ(world.state, State::GameOver);
    until([&] { return game->results_shown(); });
    EXPECT_TRUE(shown("Any key or button: continue"));
    tap();
    EXPECT_NE(dynamic_cast<TitleScreen*>(screen.get()), nullptr);
    EXPECT_EQ(profile.records.table.size(), 1u);  // kept, as any game given up
    graphics->text_log = nullptr;
}

// F is the switch like any other key: it starts the game and leaves the window as it was.
TEST(OneSwitchWindow, TheFullscreenKeyIsTheSwitchToo) {
    test::TempContentDir content;
    Profile profile;
    profile.settings.one_switch = true;
    Game::Config config = CommandLine().game_config(profile.settings);
    headless::make_headless(config.graphics);
    Game game(config);
    ScreenFlow flow(profile, {}, &game);
    ASSERT_TRUE(game.start(flow.title()));
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    const bool fullscreen = game.graphics->config.fullscreen;
    for (const bool down : {true, false}) {
        push_key(SDL_SCANCODE_F, down);
        ASSERT_TRUE(game.step());
    }
    EXPECT_EQ(game.graphics->config.fullscreen, fullscreen);
    EXPECT_NE(dynamic_cast<GameScreen*>(game.screen.get()), nullptr);
}

// A key bound to nothing leaves a replay at once, which without one switch only Escape does.
TEST_F(OneSwitch, AnyKeyLeavesAReplay) {
    ScreenFlow flow(profile);
    Replay replay;
    replay.steps.assign(100, Replay::Step{16, 0, 0});
    ReplayScreen screen(replay, ReplayScreen::Mode::Replay, &flow);
    EXPECT_TRUE(screen.update(Input(), audio, 16));
    EXPECT_FALSE(screen.update(input_of(down(SDL_SCANCODE_Q)), audio, 16));
}

}  // namespace
