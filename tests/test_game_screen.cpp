#include "game/screens/game_screen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include "engine/audio.h"
#include "engine/input.h"
#include "game/profile/replay_files.h"
#include "game/screens/screen_flow.h"
#include "game/screens/title_screen.h"
#include "game/view/format.h"
#include "tests/support/support.h"

namespace {

using Button = Input::Button;
using State = World::State;

// Screens built from a seed, an empty content/ (nothing loads, the canvas shows only the
// primitives) and a sound device that plays into nothing.
class Play : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SDL_InitSubSystem(SDL_INIT_AUDIO); }

    bool step(GameScreen& screen, unsigned int ms, Button pressed = Button::None) {
        input.pressed_buttons.clear();
        input.press(pressed);
        return screen.update(input, audio, ms);
    }
    GridPoint head(const GameScreen& screen) {
        return screen.world.player.segments.front().position;
    }
    // A centipede `q_offset` cells along the worm's row that will not step within 100 ms.
    void add_centipede(GameScreen& screen, int64_t q_offset, Direction facing) {
        const GridPoint h = head(screen);
        screen.world.centipedes.emplace_back(GridPoint{h.q + q_offset, h.r}, 6, facing);
    }

    test::TempContentDir content;
    Audio audio{Audio::Config{}};
    Input input;
    Profile profile;  // no folders: records are kept in memory only
    ScreenFlow flow{profile};
};

TEST_F(Play, ConstructionSeedsMapThenCameraFromTheScreenEngine) {
    GameScreen screen(1234);
    std::mt19937 engine(1234);
    const auto map_seed = static_cast<unsigned int>(engine());
    const auto camera_seed = static_cast<unsigned int>(engine());
    const Map map(map_seed);
    const Player player(map);
    const Camera camera(player.segments.front().position.center());
    const CameraShake shake(camera_seed);

    EXPECT_EQ(screen.world.rng, engine);
    EXPECT_EQ(screen.world.map.rng, map.rng);
    EXPECT_EQ(screen.world.map.noise_z, map.noise_z);
    EXPECT_EQ(head(screen), player.segments.front().position);
    EXPECT_EQ(screen.world.shake_seed, camera_seed);
    EXPECT_EQ(screen.shake.rng, shake.rng);
    EXPECT_EQ(screen.world.camera.x, camera.x);
    EXPECT_EQ(screen.world.camera.y, camera.y);
}

TEST_F(Play, StartPausesAfterThePressFramesStepAndResumesWithoutOne) {
    GameScreen screen(5);
    step(screen, 16);
    step(screen, 100, Button::Start);
    EXPECT_EQ(screen.world.state, State::Paused);
    EXPECT_EQ(screen.world.food_timer, 500 - 116);  // the press frame still ran the world
    EXPECT_EQ(screen.world.fader.color, 0x000000CCu);
    EXPECT_EQ(screen.world.fader.duration, 500u);
    EXPECT_EQ(Mix_VolumeMusic(-1), 3 * 128 / 10);  // the music drops to 3 of 10

    const double length = screen.world.player.length;
    const double camera_y = screen.world.camera.y;
    step(screen, 400);
    step(screen, 100, Button::Start);
    EXPECT_EQ(screen.world.state, State::Playing);
    EXPECT_EQ(screen.world.fader.elapsed, 500u);  // capped at the duration
    EXPECT_EQ(screen.world.food_timer, 384);
    EXPECT_EQ(screen.world.player.length, length);
    EXPECT_EQ(screen.world.camera.y, camera_y);
    EXPECT_EQ(Mix_VolumeMusic(-1), 128);

    step(screen, 100);
    EXPECT_EQ(screen.world.food_timer, 284);
}

TEST_F(Play, FirstFoodAttemptNeedsMoreThan500MsOfPlayingTime) {
    GameScreen screen(6);
    std::mt19937 untouched = screen.world.map.rng;
    step(screen, 250);
    step(screen, 100, Button::Start);
    step(screen, 5000);  // paused time does not count
    step(screen, 5000, Button::Start);
    step(screen, 150);
    EXPECT_EQ(screen.world.food_timer, 0);
    EXPECT_EQ(screen.world.map.rng, untouched);

    step(screen, 1);
    untouched.discard(6);  // one attempt: three uniform reals of two outputs each
    EXPECT_EQ(screen.world.map.rng, untouched);
    EXPECT_GE(screen.world.food_timer, 999);
    EXPECT_LE(screen.world.food_timer, 2999);
}

TEST_F(Play, CentipedesComeOnlyOnceTheWormHasBeenOneMetreDown) {
    GameScreen screen(7);
    for (int i = 0; i < 20; ++i) step(screen, 100);
    EXPECT_TRUE(screen.world.centipedes.empty());
    EXPECT_EQ(screen.world.spawn_timer, 0);

    // Row 140 is 1.05 m down: the record is set this frame and counts from the next.
    screen.world.player.segments.resize(1);
    screen.world.player.segments.front().position.r = 140;
    step(screen, 16);
    ASSERT_GE(screen.world.max_depth, 1.0);
    EXPECT_TRUE(screen.world.centipedes.empty());
    step(screen, 0);
    EXPECT_TRUE(screen.world.centipedes.empty());
    step(screen, 16);
    ASSERT_EQ(screen.world.centipedes.size(), 1u);
    EXPECT_GE(screen.world.spawn_timer, 20000 - 16);
    EXPECT_LE(screen.world.spawn_timer, 40000 - 16);
}

TEST_F(Play, SpawnDrawsTheIntervalDistanceRowsLengthAndSideInThatOrder) {
    GameScreen screen(8);
    screen.world.max_depth = 1.0;
    screen.world.food_timer = 100000;
    std::mt19937 engine = screen.world.rng;
    step(screen, 16);
    const int interval = std::uniform_int_distribution<int>(20000, 40000)(engine);
    const int d = std::uniform_int_distribution<int>(15, 35)(engine);
    const int k = std::uniform_int_distribution<int>(0, 2)(engine);
    const int n = std::uniform_int_distribution<int>(3, 7)(engine);
    const bool west = std::uniform_real_distribution<double>(0.0, 1.0)(engine) < 0.5;

    ASSERT_EQ(screen.world.centipedes.size(), 1u);
    const Centipede& c = screen.world.centipedes[0];
    const GridPoint h = head(screen);
    EXPECT_EQ(screen.world.spawn_timer, interval - 16);
    EXPECT_EQ(c.head, (GridPoint{west ? h.q + d : h.q - d - k, h.r + k}));
    EXPECT_EQ(c.facing, west ? Direction::W : Direction::E);
    EXPECT_EQ(c.length, 2 * n);
    EXPECT_EQ(screen.world.rng, engine);
}

TEST_F(Play, NewCentipedesAppear15To37CellsAwayCrawlingTowardsTheWorm) {
    for (unsigned int seed = 1; seed <= 40; ++seed) {
        GameScreen screen(seed);
        screen.world.max_depth = 1.0;
        step(screen, 16);
        ASSERT_EQ(screen.world.centipedes.size(), 1u);
        const Centipede& c = screen.world.centipedes[0];
        const GridPoint h = head(screen);
        EXPECT_GE(h.dist(c.head), 15);
        EXPECT_LE(h.dist(c.head), 37);
        EXPECT_GE(c.head.r - h.r, 0);
        EXPECT_LE(c.head.r - h.r, 2);
        EXPECT_EQ(c.facing, c.head.q > h.q ? Direction::W : Direction::E);
        EXPECT_EQ(c.length % 2, 0);
    }
}

TEST_F(Play, ShakeIsStrongestFiveCellsFromTheWormAndGoneAtThirty) {
    const struct {
        int64_t distance;
        double shake;
    } cases[] = {{0, 0.96}, {5, 1.0}, {10, 0.96}, {30, 0.0}, {31, 0.0}};
    for (const auto& c : cases) {
        GameScreen screen(9);
        screen.world.player.step_timer = 0;  // the worm must not move this frame
        add_centipede(screen, c.distance, Direction::W);
        step(screen, 1);
        EXPECT_NEAR(screen.world.camera.shake_amount, c.shake, 1e-12) << "distance " << c.distance;
    }
}

TEST_F(Play, CentipedesFromSeventyCellsAwayAreDroppedKeepingTheOrder) {
    GameScreen screen(10);
    screen.world.player.step_timer = 0;
    add_centipede(screen, 69, Direction::W);
    add_centipede(screen, -70, Direction::E);
    add_centipede(screen, 20, Direction::W);
    add_centipede(screen, -69, Direction::W);  // steps away this frame, then is dropped
    screen.world.centipedes.back().step_timer = 100;
    const GridPoint h = head(screen);
    step(screen, 1);
    ASSERT_EQ(screen.world.centipedes.size(), 2u);
    EXPECT_EQ(screen.world.centipedes[0].head.q, h.q + 69);
    EXPECT_EQ(screen.world.centipedes[1].head.q, h.q + 20);
}

TEST_F(Play, LengthOfExactlyOneEndsTheGame) {
    GameScreen screen(11);
    step(screen, 0);
    screen.world.player.length = 1.0 + 1e-9;
    step(screen, 0);
    EXPECT_EQ(screen.world.state, State::Playing);

    screen.world.player.length = 1.0;
    step(screen, 0);
    EXPECT_EQ(screen.world.state, State::GameOver);
    EXPECT_EQ(screen.world.fader.color, 0x000000FFu);
    EXPECT_EQ(screen.world.fader.duration, 3000u);
    EXPECT_EQ(screen.world.fader.elapsed, 0u);
    EXPECT_EQ(audio.current_track, "wormfood.ogg");
    EXPECT_EQ(screen.world.max_length, 2.5);  // the record from the first frame stays
}

// The game-over music and everything after it would otherwise stay at the paused volume.
TEST_F(Play, PausingInTheFrameTheWormDiesKeepsTheMusicAtFullVolume) {
    GameScreen screen(13);
    audio.music_volume(10);
    screen.world.player.length = 0.5;
    step(screen, 16, Button::Start);
    EXPECT_EQ(screen.world.state, State::GameOver);
    EXPECT_EQ(screen.world.fader.color, 0x000000FFu);
    EXPECT_EQ(Mix_VolumeMusic(-1), 128);
}

// A Start meant for the pause, pressed just as the worm dies, must not skip the results.
TEST_F(Play, StartLeavesTheGameOverOnlyOnceTheResultsAreShown) {
    GameScreen screen(12, &flow);
    screen.world.player.length = 0.5;
    EXPECT_TRUE(step(screen, 16));
    ASSERT_EQ(screen.world.state, State::GameOver);
    const int32_t food_timer = screen.world.food_timer;
    EXPECT_TRUE(step(screen, 16, Button::Start));
    EXPECT_TRUE(step(screen, 1000));
    EXPECT_EQ(screen.world.fader.elapsed, 1016u);    // the ignored press still counted its time
    EXPECT_EQ(screen.world.food_timer, food_timer);  // the world has stopped
    EXPECT_TRUE(step(screen, 1983, Button::Start));
    EXPECT_FALSE(screen.results_shown());
    EXPECT_TRUE(step(screen, 1));
    EXPECT_TRUE(screen.results_shown());
    EXPECT_FALSE(step(screen, 16, Button::Start));

    std::unique_ptr<Screen> next(screen.next_screen());
    EXPECT_NE(dynamic_cast<TitleScreen*>(next.get()), nullptr);
}

TEST_F(Play, LosingTheWindowPausesAndOnlyStartResumes) {
    GameScreen screen(14, &flow);
    step(screen, 16);
    input.interruption = true;
    step(screen, 16);
    input.interruption = false;
    EXPECT_EQ(screen.world.state, State::Paused);
    EXPECT_EQ(Mix_VolumeMusic(-1), 38);
    for (int i = 0; i < 5; ++i) step(screen, 16);  // focus back, nothing pressed
    EXPECT_EQ(screen.world.state, State::Paused);
    step(screen, 16, Button::Start);
    EXPECT_EQ(screen.world.state, State::Playing);

    // Paused already or over: nothing changes.
    step(screen, 16, Button::Start);
    input.interruption = true;
    step(screen, 16);
    EXPECT_EQ(screen.world.state, State::Paused);
    screen.world.state = State::GameOver;
    step(screen, 16);
    input.interruption = false;
    EXPECT_EQ(screen.world.state, State::GameOver);
}

TEST_F(Play, ABiteRumblesTheControllerInUse) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
    test::Motors motors;
    const int index = test::attach_pad(motors);
    ASSERT_GE(index, 0) << SDL_GetError();
    input.process_controllers();
    input.last_controller = SDL_JoystickGetDeviceInstanceID(index);
    ASSERT_EQ(input.controllers.count(input.last_controller), 1u);

    GameScreen screen(15, &flow);
    step(screen, 0);
    add_centipede(screen, 40, Direction::W);  // far away: no bite
    step(screen, 0);
    EXPECT_EQ(motors.calls, 0);
    screen.world.centipedes.clear();
    screen.world.player.length = 20.0;
    add_centipede(screen, 0, Direction::W);  // on the worm's head
    step(screen, 0);
    EXPECT_EQ(motors.calls, 1);

    for (auto& [id, pad] : input.controllers) SDL_GameControllerClose(pad);
    input.controllers.clear();
    SDL_JoystickDetachVirtual(index);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

TEST_F(Play, EscapePausesAndEscapeOrBackInThePauseGivesUpKeepingTheRecord) {
    for (const Button give_up : {Button::Escape, Button::Select}) {
        Profile kept;
        ScreenFlow to_records(kept);
        GameScreen screen(31, &to_records);
        step(screen, 16);
        step(screen, 16, Button::Escape);
        ASSERT_EQ(screen.world.state, State::Paused);
        EXPECT_EQ(Mix_VolumeMusic(-1), 3 * 128 / 10);
        EXPECT_TRUE(kept.records.table.empty());

        const double length = screen.world.player.length;
        EXPECT_TRUE(step(screen, 16, give_up));
        to_records.writer().flush();
        EXPECT_EQ(screen.world.state, State::GameOver);
        EXPECT_EQ(screen.world.player.length, length);  // it ends as it stood
        EXPECT_EQ(screen.world.fader.color, 0x000000FFu);
        EXPECT_EQ(screen.world.fader.elapsed, 0u);
        EXPECT_EQ(audio.current_track, "wormfood.ogg");
        EXPECT_EQ(Mix_VolumeMusic(-1), 128);
        ASSERT_EQ(kept.records.table.size(), 1u);
        const Record& record = kept.records.table.front();
        EXPECT_EQ(record.depth, screen.world.max_depth);
        EXPECT_EQ(record.length, screen.world.max_length);
        EXPECT_EQ(record.seed, 31u);
        EXPECT_DOUBLE_EQ(record.play_time, 0.032);  // the paused frame does not count
        EXPECT_TRUE(valid_iso_date(record.date));

        // Neither Escape nor Back leaves the results; only Start does.
        EXPECT_TRUE(step(screen, 4000, Button::Escape));
        EXPECT_TRUE(step(screen, 16, Button::Select));
        EXPECT_EQ(kept.records.table.size(), 1u);  // stored once
        EXPECT_FALSE(step(screen, 16, Button::Start));
        audio.stop_music();
    }
}

TEST_F(Play, StartResumesEvenWhenEscapeComesInTheSameFrame) {
    GameScreen screen(32, &flow);
    step(screen, 16, Button::Start);
    input.pressed_buttons.clear();
    input.press(Button::Start);
    input.press(Button::Escape);
    screen.update(input, audio, 16);
    EXPECT_EQ(screen.world.state, State::Playing);
    EXPECT_TRUE(profile.records.table.empty());
}

TEST_F(Play, StarvingStoresTheResultOfItsLastFrameOnceWithTheBestsSoFar) {
    profile.records.add(Record{50.0, 1.0, "2026-01-01T00:00:00.000Z", 7, 10.0, {}});
    GameScreen screen(33, &flow);
    screen.world.player.length = 30.0;
    step(screen, 16);
    const double longest = screen.world.max_length;
    ASSERT_GT(longest, 14.0);
    screen.world.player.length = 0.5;
    step(screen, 16);
    ASSERT_EQ(screen.world.state, State::GameOver);
    flow.writer().flush();
    ASSERT_EQ(profile.records.table.size(), 2u);
    EXPECT_EQ(profile.records.table[1].length, longest);  // the greatest length, not the last
    step(screen, 16);  // the frame after the writer finished shows its outcome
    EXPECT_EQ(screen.storing, nullptr);
    EXPECT_EQ(screen.result.best_depth, 50.0);
    EXPECT_EQ(screen.result.best_length, longest);
    EXPECT_FALSE(screen.result.new_best_depth);
    EXPECT_TRUE(screen.result.new_best_length);
    step(screen, 16);
    flow.writer().flush();
    EXPECT_EQ(profile.records.table.size(), 2u);
}

// The frame that ends a game writes no file: the records and replays are written off the
// frames' thread, and a game quit right after its end still leaves all of them.
TEST_F(Play, TheEndingFrameWritesNothingAndQuittingAtOnceLosesNothing) {
    test::TempFolder data;
    test::TempFolder config;
    Profile kept(data.path, config.path);
    std::mutex mutex;
    long writes = 0;
    long writes_by_frames = 0;
    const std::thread::id frames = std::this_thread::get_id();
    kept.files.before_step = [&](SafeFile::Step) {
        const std::lock_guard lock(mutex);
        ++writes;
        writes_by_frames += std::this_thread::get_id() == frames;
        return true;
    };
    {
        ScreenFlow to_files(kept);
        GameScreen screen(36, &to_files);
        step(screen, 16);
        screen.world.player.length = 0.5;
        step(screen, 16);
        ASSERT_EQ(screen.world.state, State::GameOver);
    }  // the flow goes, as the game does when the player quits now
    EXPECT_EQ(writes_by_frames, 0);
    EXPECT_GT(writes, 0);
    Profile again(data.path, config.path);
    ASSERT_EQ(again.records.table.size(), 1u);
    EXPECT_EQ(again.records.table.front().seed, 36u);
    ReplayFiles files(again);
    EXPECT_TRUE(std::filesystem::exists(files.last_path()));
    EXPECT_TRUE(std::filesystem::exists(files.record_path(again.records.table.front())));
}

TEST_F(Play, ScreenShakeSettingScalesTheShake) {
    for (const auto& [setting, expected] :
         {std::pair{0, 0.0}, std::pair{50, 0.5}, std::pair{100, 1.0}}) {
        profile.settings.shake = setting;
        GameScreen screen(34, &flow);
        add_centipede(screen, 5, Direction::W);
        step(screen, 1);
        EXPECT_EQ(screen.world.camera.shake_amount, expected);
    }
}

// The whole observable state that the rules keep.
void expect_same_world(const GameScreen& a, const GameScreen& b) {
    ASSERT_EQ(a.world.state, b.world.state);
    ASSERT_EQ(a.world.rng, b.world.rng);
    ASSERT_EQ(a.world.player.length, b.world.player.length);
    ASSERT_EQ(a.world.player.segments.size(), b.world.player.segments.size());
    ASSERT_EQ(a.world.player.segments.front().position, b.world.player.segments.front().position);
    ASSERT_EQ(a.world.camera.x, b.world.camera.x);
    ASSERT_EQ(a.world.camera.y, b.world.camera.y);
    ASSERT_EQ(a.world.food_timer, b.world.food_timer);
    ASSERT_EQ(a.world.spawn_timer, b.world.spawn_timer);
    ASSERT_EQ(a.world.max_depth, b.world.max_depth);
    ASSERT_EQ(a.world.max_length, b.world.max_length);
    ASSERT_EQ(a.world.centipedes.size(), b.world.centipedes.size());
    for (size_t i = 0; i < a.world.centipedes.size(); ++i) {
        ASSERT_EQ(a.world.centipedes[i].head, b.world.centipedes[i].head);
    }
}

TEST_F(Play, SameSeedInputsAndFrameTimesReplayTheSameGame) {
    auto graphics = test::make_graphics();
    graphics->blit_log_only = true;
    std::mt19937 script(99);
    unsigned int seed = 2024;
    std::unique_ptr<GameScreen> a, b;
    int games = 0;
    int spawns = 0;
    for (int frame = 0; frame < 40000; ++frame) {
        if (a == nullptr) {
            a = std::make_unique<GameScreen>(seed);
            b = std::make_unique<GameScreen>(seed++);
            // Deep enough for centipedes from the start, so that the replay covers them too.
            a->world.max_depth = b->world.max_depth = 1.0;
            ++games;
        }
        const auto ms = static_cast<unsigned int>(10 + script() % 30);
        const auto roll = static_cast<unsigned int>(script() % 400);
        const Button button = roll < 20   ? Button::Left
                              : roll < 40 ? Button::Right
                              : roll < 42 ? Button::Start
                                          : Button::None;
        // Fed on both, so that a game lasts until a centipede bites through it.
        if (a->world.player.length < 4.0) a->world.player.length = b->world.player.length = 12.0;
        const size_t centipedes = a->world.centipedes.size();
        const bool more = step(*a, ms, button);
        ASSERT_EQ(more, step(*b, ms, button)) << "frame " << frame;
        expect_same_world(*a, *b);
        if (HasFatalFailure()) FAIL() << "frame " << frame;
        if (a->world.centipedes.size() > centipedes) ++spawns;
        if (frame % 2000 == 0) {
            std::vector<Graphics::BlitRecord> log_a, log_b;
            graphics->blit_log = &log_a;
            a->draw(*graphics);
            graphics->blit_log = &log_b;
            b->draw(*graphics);
            graphics->blit_log = nullptr;
            ASSERT_EQ(log_a.size(), log_b.size());
            for (size_t i = 0; i < log_a.size(); ++i) {
                ASSERT_EQ(log_a[i].destination.x, log_b[i].destination.x);
                ASSERT_EQ(log_a[i].destination.y, log_b[i].destination.y);
            }
        }
        if (frame % 1000 == 999 || !more) {
            ASSERT_EQ(a->world.map.tile_overrides, b->world.map.tile_overrides);
            ASSERT_EQ(a->world.map.food, b->world.map.food);
        }
        if (!more) {
            a.reset();
            b.reset();
        }
    }
    EXPECT_GT(games, 1);
    EXPECT_GT(spawns, 5);
}

using PlayDrawing = Play;

uint32_t rgb(Graphics& graphics, int x, int y) { return test::read_pixel(graphics, x, y) >> 8; }

TEST_F(PlayDrawing, StarvationBorderFadesInwardsAndGrowsAsTheWormShrinks) {
    auto graphics = test::make_graphics();
    GameScreen screen(20);
    screen.world.player.length = 1.5;
    graphics->clear();
    screen.draw(*graphics);
    EXPECT_EQ(rgb(*graphics, 0, 360), 0x7F0000u);  // 255 at half strength
    EXPECT_EQ(rgb(*graphics, 640, 719), 0x7F0000u);
    EXPECT_EQ(rgb(*graphics, 31, 360), 0x040000u);
    EXPECT_EQ(rgb(*graphics, 32, 360), 0u);

    for (const double length : {1.0, 0.2}) {  // full strength, never beyond
        screen.world.player.length = length;
        graphics->clear();
        screen.draw(*graphics);
        EXPECT_EQ(rgb(*graphics, 0, 360), 0xFF0000u) << length;
    }
    screen.world.player.length = 2.0;
    graphics->clear();
    screen.draw(*graphics);
    EXPECT_EQ(rgb(*graphics, 0, 360), 0u);
}

TEST_F(PlayDrawing, BorderShowsUnderThePauseOverlayButNotInGameOver) {
    auto graphics = test::make_graphics();
    GameScreen screen(21);
    screen.world.player.length = 1.5;
    screen.world.state = State::Paused;
    screen.world.fader.reset(0x000000CC, 500);
    screen.world.fader.update(500);
    graphics->clear();
    screen.draw(*graphics);
    EXPECT_EQ(rgb(*graphics, 0, 360), 0x190000u);  // 127 under black at 0xCC

    screen.world.state = State::GameOver;
    screen.world.fader.reset(0x000000FF, 3000);
    graphics->clear(0x404040FF);
    screen.draw(*graphics);
    EXPECT_EQ(rgb(*graphics, 0, 360), 0x404040u);
}

TEST(Fader, AlphaGrowsLinearlyToTheColoursOwnAlpha) {
    auto graphics = test::make_graphics();
    GameScreen::Fader fader;
    fader.reset(0x000000CC, 500);
    fader.update(250);
    graphics->clear(0xC86432FF);
    GameScreen::draw_fader(*graphics, fader);
    EXPECT_EQ(rgb(*graphics, 640, 360), 0x783C1Eu);  // alpha 102: (120, 60, 30)
    fader.update(1000);
    EXPECT_EQ(fader.elapsed, 500u);
    graphics->clear(0xC86432FF);
    GameScreen::draw_fader(*graphics, fader);
    EXPECT_EQ(rgb(*graphics, 0, 0), 0x28140Au);

    GameScreen::Fader never_started;  // draws nothing rather than dividing by zero
    graphics->clear(0xC86432FF);
    GameScreen::draw_fader(*graphics, never_started);
    EXPECT_EQ(rgb(*graphics, 0, 0), 0xC86432u);
}

std::vector<Graphics::BlitRecord> record(Graphics& graphics, const GameScreen& screen) {
    std::vector<Graphics::BlitRecord> log;
    graphics.blit_log = &log;
    screen.draw(graphics);
    graphics.blit_log = nullptr;
    return log;
}

std::vector<Graphics::BlitRecord> only(const std::vector<Graphics::BlitRecord>& log,
                                       const std::string& image) {
    std::vector<Graphics::BlitRecord> kept;
    for (const auto& r : log) {
        if (r.image == image) kept.push_back(r);
    }
    return kept;
}

TEST_F(PlayDrawing, ResultsScreenOnlyAfterTheWholeFade) {
    auto graphics = test::make_graphics();
    graphics->blit_log_only = true;
    GameScreen screen(22);
    screen.world.player.length = 1.0;
    step(screen, 0);
    step(screen, 2999);
    auto log = record(*graphics, screen);
    EXPECT_TRUE(only(log, "gameover.png").empty());
    EXPECT_TRUE(only(log, "bigtext.png").empty());
    const auto corner = only(log, "text.png");
    ASSERT_FALSE(corner.empty());
    EXPECT_EQ(corner[0].destination.x, 4);
    EXPECT_EQ(corner[0].destination.y, 720 - 40);

    step(screen, 1);
    log = record(*graphics, screen);
    ASSERT_EQ(only(log, "gameover.png").size(), 1u);
    EXPECT_TRUE(only(log, "gameover.png")[0].whole_destination);
    const auto results = only(log, "bigtext.png");
    const std::string depth = format("", screen.world.max_depth, "m");
    const std::string length = format("", screen.world.max_length, "cm");
    ASSERT_EQ(results.size(), depth.size() + length.size());
    EXPECT_EQ(results[0].destination.x, 640 - 12 * static_cast<int>(depth.size()));
    EXPECT_EQ(results[0].destination.y, 720 - 128);
    EXPECT_EQ(results[depth.size()].destination.y, 720 - 64);
}

TEST_F(PlayDrawing, PauseTextIsCentredAboveTheMiddleItsKeysWellBelow) {
    auto graphics = test::make_graphics();
    graphics->blit_log_only = true;
    GameScreen screen(23);
    step(screen, 16, Button::Start);
    const auto text = only(record(*graphics, screen), "text.png");
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text[0].destination.x, 640 - 4 * 9);  // "P A U S E"
    EXPECT_EQ(text[0].destination.y, 360 - 8);
    const std::string keys = "Return: resume    Escape: give up";
    EXPECT_EQ(screen.pause_prompt, keys);
    ASSERT_GT(text.size(), 9 + keys.size());
    EXPECT_EQ(text[9].destination.x, 640 - 4 * static_cast<int>(keys.size()));
    EXPECT_EQ(text[9].destination.y, 360 + 64);
}

TEST_F(PlayDrawing, ResultsShowTheBestsTheNewBestMarkTheSeedAndThePrompt) {
    auto graphics = test::make_graphics();
    graphics->blit_log_only = true;
    profile.settings.rebind_key(Button::Start, SDL_SCANCODE_SPACE);
    GameScreen screen(4321, &flow);
    screen.world.player.length = 1.0;
    step(screen, 0);
    flow.writer().flush();  // the bests are shown once the records are written
    step(screen, 3000);
    std::string shown;
    for (const auto& glyph : only(record(*graphics, screen), "text.png")) {
        shown += static_cast<char>(32 + glyph.source.y / 16 * 16 + glyph.source.x / 8);
    }
    EXPECT_NE(shown.find(format("Best", screen.world.max_depth, "m") + "New best"),
              std::string::npos)
        << shown;
    EXPECT_NE(shown.find(format("Best", screen.world.max_length, "cm") + "New best"),
              std::string::npos)
        << shown;
    EXPECT_NE(shown.find("Seed 4321"), std::string::npos) << shown;
    EXPECT_NE(shown.find("Space: continue"), std::string::npos) << shown;
}

TEST_F(PlayDrawing, EachObjectTakesTwoJitterSamplesYFirst) {
    auto graphics = test::make_graphics();
    graphics->blit_log_only = true;
    GameScreen screen(24);
    add_centipede(screen, 5, Direction::W);
    screen.world.camera.x = 100.5;
    screen.world.camera.y = -20.5;
    screen.world.camera.shake_amount = 0.0;
    std::mt19937 engine = screen.shake.rng;
    auto jitter = screen.shake.jitter;
    const auto log = record(*graphics, screen);
    for (int i = 0; i < 6; ++i) jitter(engine);  // map, worm, centipede
    EXPECT_EQ(screen.shake.rng, engine);
    EXPECT_EQ(screen.shake.jitter, jitter);
    // Without shake every object sits at the camera position rounded half away from zero.
    std::vector<Graphics::BlitRecord> expected;
    graphics->blit_log = &expected;
    screen.worm_view.draw(*graphics, screen.world.player, 101, -21);
    graphics->blit_log = nullptr;
    ASSERT_EQ(only(log, "worm.png").size(), expected.size());
    EXPECT_EQ(only(log, "worm.png")[0].destination.x, expected[0].destination.x);
    EXPECT_EQ(only(log, "worm.png")[0].destination.y, expected[0].destination.y);

    screen.world.camera.shake_amount = 1.0;
    engine = screen.shake.rng;
    jitter = screen.shake.jitter;
    const auto shaken = only(record(*graphics, screen), "pedes.png");
    for (int i = 0; i < 4; ++i) jitter(engine);  // map, worm
    const double gy = jitter(engine);
    const double gx = jitter(engine);
    expected.clear();
    graphics->blit_log = &expected;
    screen.centipede_view.draw(*graphics, screen.world.centipedes[0],
                               std::llround(gx + screen.world.camera.x),
                               std::llround(gy + screen.world.camera.y));
    graphics->blit_log = nullptr;
    ASSERT_EQ(shaken.size(), expected.size());
    EXPECT_EQ(shaken[0].destination.x, expected[0].destination.x);
    EXPECT_EQ(shaken[0].destination.y, expected[0].destination.y);
}

TEST(Format, TwoDecimalsAfterAnOptionalLabel) {
    EXPECT_EQ(format("Max Depth", 1.25, "m"), "Max Depth: 1.25m");
    EXPECT_EQ(format("", 3.0, "cm"), "3.00cm");
    EXPECT_EQ(format("Max Length", 3.5, "cm"), "Max Length: 3.50cm");
}

}  // namespace
