#include "engine/game.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/support.h"
#include "tools/support/headless.h"
#include "tools/support/wav.h"

namespace {

using Events = std::vector<std::string>;

// What the screens of one test saw, kept outside them since they die along the way.
struct Recorder {
    Events events;
    std::vector<unsigned int> elapsed;
    std::vector<bool> fullscreen_during_update;
    Game* game = nullptr;
};

class RecordingScreen : public Screen {
public:
    RecordingScreen(std::string name_, Recorder& recorder_)
        : name(std::move(name_)), recorder(recorder_) {}
    ~RecordingScreen() override { recorder.events.push_back("destroy " + name); }

    bool update(const Input&, Audio&, unsigned int elapsed) override {
        recorder.events.push_back("update " + name);
        recorder.elapsed.push_back(elapsed);
        if (recorder.game != nullptr && recorder.game->graphics != nullptr) {
            recorder.fullscreen_during_update.push_back(recorder.game->graphics->config.fullscreen);
        }
        return ++updates != finish_on_update;
    }
    void draw(Graphics&) const override { recorder.events.push_back("draw " + name); }
    Screen* next_screen() const override {
        recorder.events.push_back("next " + name);
        return successor ? successor() : nullptr;
    }
    std::string get_music_track() const override {
        recorder.events.push_back("track " + name);
        return track;
    }

    std::string name;
    Recorder& recorder;
    int updates = 0;
    int finish_on_update = 0;  // 0: never finishes
    std::function<Screen*()> successor;
    std::string track;
};

Game::Config small_config() {
    Game::Config config;
    config.graphics = headless::graphics_config(64, 48, "test");
    config.audio.fade_time = 20;
    return config;
}

using test::push_key;

void push_quit() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}

// ---- The loop ----

TEST(GameLoop, ScreenFinishingInItsFirstStepIsNeverDrawn) {
    Recorder seen;
    {
        Game game(small_config());
        auto* first = new RecordingScreen("A", seen);
        first->finish_on_update = 1;
        first->successor = [&seen] { return new RecordingScreen("B", seen); };
        ASSERT_TRUE(game.start(first));
        EXPECT_TRUE(game.step());
        // The outgoing screen is destroyed before its successor is asked anything.
        EXPECT_EQ(seen.events, (Events{"track A", "update A", "next A", "destroy A", "track B"}));
        EXPECT_TRUE(game.step());
        EXPECT_EQ(seen.events.back(), "draw B");
    }
    EXPECT_EQ(seen.events.back(), "destroy B");
}

TEST(GameLoop, NullSuccessorEndsTheLoopAfterDestroyingTheScreen) {
    Recorder seen;
    Game game(small_config());
    auto* only = new RecordingScreen("A", seen);
    only->finish_on_update = 3;
    EXPECT_TRUE(game.loop(only));
    EXPECT_EQ(seen.events, (Events{"track A", "update A", "draw A", "update A", "draw A",
                                   "update A", "next A", "destroy A"}));
    EXPECT_EQ(game.screen, nullptr);
    EXPECT_FALSE(game.step());
}

TEST(GameLoop, QuitLeavesTheScreenInstalledAndUndrawn) {
    Recorder seen;
    RecordingScreen* screen = nullptr;
    {
        Game game(small_config());
        screen = new RecordingScreen("A", seen);
        ASSERT_TRUE(game.start(screen));
        push_quit();
        EXPECT_FALSE(game.step());
        EXPECT_EQ(game.screen.get(), screen);
        EXPECT_EQ(seen.events, (Events{"track A"}));
    }
    EXPECT_EQ(seen.events, (Events{"track A", "destroy A"}));
}

// A page's loop ends without main returning: the game is shut down by hand, then destroyed
// with the page. Nothing may be released twice, and nothing may step afterwards.
TEST(GameLoop, ShutDownReleasesEverythingOnceAndEndsTheSteps) {
    Recorder seen;
    {
        Game game(small_config());
        ASSERT_TRUE(game.start(new RecordingScreen("A", seen)));
        EXPECT_TRUE(game.step());
        game.shut_down();
        EXPECT_EQ(game.screen, nullptr);
        EXPECT_EQ(game.graphics, nullptr);
        EXPECT_EQ(game.audio, nullptr);
        EXPECT_EQ(seen.events.back(), "destroy A");
        EXPECT_FALSE(game.step());
        game.shut_down();
    }
    EXPECT_EQ(std::count(seen.events.begin(), seen.events.end(), "destroy A"), 1);
}

TEST(GameLoop, HeldFullscreenButtonTogglesOnceBeforeTheUpdate) {
    Recorder seen;
    Game game(small_config());
    seen.game = &game;
    ASSERT_TRUE(game.start(new RecordingScreen("A", seen)));

    push_key(SDL_SCANCODE_F, true);
    ASSERT_TRUE(game.step());
    EXPECT_TRUE(game.graphics->config.fullscreen);
    EXPECT_EQ(seen.fullscreen_during_update, (std::vector<bool>{true}));

    for (int i = 0; i < 3; ++i) {
        push_key(SDL_SCANCODE_F, true, true);  // the keyboard's auto-repeat
        ASSERT_TRUE(game.step());
    }
    ASSERT_TRUE(game.step());
    EXPECT_TRUE(game.graphics->config.fullscreen);

    push_key(SDL_SCANCODE_F, false);
    ASSERT_TRUE(game.step());
    push_key(SDL_SCANCODE_F, true);
    ASSERT_TRUE(game.step());
    EXPECT_FALSE(game.graphics->config.fullscreen);
}

TEST(GameLoop, ElapsedTimeIsRightAcrossTheTickCounterWrap) {
    Recorder seen;
    Game game(small_config());
    ASSERT_TRUE(game.start(new RecordingScreen("A", seen)));
    // Ten milliseconds before the 32-bit counter wraps to 0.
    game.last_ticks = std::numeric_limits<uint32_t>::max() - 9;
    const uint32_t before = SDL_GetTicks();
    ASSERT_TRUE(game.step());
    const uint32_t after = SDL_GetTicks();
    ASSERT_EQ(seen.elapsed.size(), 1U);
    EXPECT_GE(seen.elapsed[0], before + 10);
    EXPECT_LE(seen.elapsed[0], after + 10);
    EXPECT_EQ(game.screen->frame_times[0], seen.elapsed[0]);
    EXPECT_GE(game.last_ticks, before);
    EXPECT_LE(game.last_ticks, after);
}

// A suspend and resume, or a window frozen while dragged, must not hand the screen its
// seconds or hours at once.
TEST(GameLoop, StallsCountAtMostAQuarterSecondOfPlay) {
    Recorder seen;
    Game game(small_config());
    ASSERT_TRUE(game.start(new RecordingScreen("A", seen)));
    for (uint32_t stall : {251u, 10000u, 3600000u}) {
        game.last_ticks = SDL_GetTicks() - stall;
        ASSERT_TRUE(game.step());
        EXPECT_EQ(seen.elapsed.back(), Game::kLongestStep) << "a stall of " << stall << " ms";
        EXPECT_EQ(game.screen->frame_times[(game.screen->frame_index + 29) % 30],
                  Game::kLongestStep);
    }
    // Shorter steps pass unchanged.
    const uint32_t before = SDL_GetTicks();
    game.last_ticks = before - 100;
    ASSERT_TRUE(game.step());
    EXPECT_GE(seen.elapsed.back(), 100u);
    EXPECT_LE(seen.elapsed.back(), 100u + (SDL_GetTicks() - before));
}

// The dummy driver's window presents at once and has no vsync, like a hidden window: the loop
// must then wait out each frame instead of spinning.
TEST(GameLoop, WithoutVsyncEachStepTakesAtLeastAFrameOfTheDisplay) {
    Recorder seen;
    Game game(small_config());
    ASSERT_TRUE(game.start(new RecordingScreen("A", seen)));
    SDL_HideWindow(game.graphics->window);
    ASSERT_FALSE(game.graphics->presents_in_step());
    seen.events.clear();
    const int rate = game.graphics->refresh_rate();
    ASSERT_GT(rate, 0);
    constexpr int kSteps = 10;
    game.pace();
    const uint32_t start = SDL_GetTicks();
    for (int i = 0; i < kSteps; ++i) {
        ASSERT_TRUE(game.step());
        game.pace();
    }
    // A lower bound only: a busy machine may make the steps longer, never shorter.
    EXPECT_GE(SDL_GetTicks() - start, static_cast<uint32_t>(kSteps * (1000 / rate)));
    // Nothing is drawn into a window nobody sees; the screen still runs.
    EXPECT_EQ(std::count(seen.events.begin(), seen.events.end(), "update A"), kSteps);
    EXPECT_EQ(std::count(seen.events.begin(), seen.events.end(), "draw A"), 0);
    SDL_ShowWindow(game.graphics->window);
    ASSERT_TRUE(game.step());
    EXPECT_EQ(seen.events.back(), "draw A");
}

// ---- Music on screen changes ----

// One second of 22050 Hz mono silence as a WAV file, which SDL_mixer plays as music.
void write_silence(const std::filesystem::path& path) {
    wav::write(path.string(), std::vector<int16_t>(22050, 0), 22050);
}

TEST(GameMusic, SameTrackPlaysOnAndSilenceForgetsIt) {
    test::TempContentDir content;
    write_silence(content.content() / "song.wav");
    Recorder seen;
    Game game(small_config());
    auto screen_with = [&seen](const std::string& name, const std::string& track) {
        auto* screen = new RecordingScreen(name, seen);
        screen->track = track;
        return screen;
    };

    ASSERT_TRUE(game.start(screen_with("A", "song.wav")));
    ASSERT_EQ(Mix_PlayingMusic(), 1);
    // Restarting would resume paused music; carrying on leaves it paused.
    Mix_PauseMusic();
    game.set_screen(screen_with("B", "song.wav"));
    EXPECT_EQ(Mix_PausedMusic(), 1);
    EXPECT_EQ(game.music_track, "song.wav");
    Mix_ResumeMusic();

    game.set_screen(screen_with("C", ""));
    EXPECT_EQ(game.music_track, "");
    for (int i = 0; i < 200 && Mix_PlayingMusic() == 1; ++i) SDL_Delay(10);
    ASSERT_EQ(Mix_PlayingMusic(), 0) << "the empty track should have faded the music out";

    game.set_screen(screen_with("D", "song.wav"));
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

// ---- Frame rate ----

TEST(ScreenFps, AveragesTheLastThirtyFrames) {
    Recorder seen;
    RecordingScreen screen("A", seen);
    EXPECT_EQ(screen.fps(), std::numeric_limits<float>::infinity());
    screen.count_frame(16);
    EXPECT_EQ(screen.fps(), 1875.0f);
    for (int i = 0; i < 30; ++i) screen.count_frame(20);
    EXPECT_EQ(screen.fps(), 50.0f);
    EXPECT_EQ(screen.frame_index, 1U);
}

TEST(ScreenFps, SlotIndexOutsideTheRingWrapsInsteadOfWritingPastIt) {
    Recorder seen;
    RecordingScreen screen("A", seen);
    screen.frame_index = 30;
    screen.count_frame(16);
    EXPECT_EQ(screen.frame_times[0], 16u);
    EXPECT_EQ(screen.frame_index, 1u);
    screen.frame_index = 3999999997u;  // 7 modulo 30
    screen.count_frame(20);
    EXPECT_EQ(screen.frame_times[7], 20u);
    EXPECT_EQ(screen.frame_index, 8u);
}

// ---- Construction ----

TEST(GameSetup, TitleAndSizeConstructorKeepsEveryOtherDefault) {
    Game game("Title", 320, 200);
    EXPECT_EQ(game.config.graphics.title, "Title");
    EXPECT_EQ(game.config.graphics.width, 320);
    EXPECT_EQ(game.config.graphics.height, 200);
    EXPECT_TRUE(game.config.graphics.fullscreen);
    EXPECT_TRUE(game.config.graphics.accelerated);
    EXPECT_EQ(game.config.audio.frequency, 22050);
    EXPECT_EQ(game.config.audio.fade_time, 500);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER),
              SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER);
    EXPECT_EQ(game.screen, nullptr);
    EXPECT_EQ(game.graphics, nullptr);
}

// ---- No window ----

// Sets or clears environment variables for one test and puts them back afterwards.
class EnvironmentOverride {
public:
    void set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        if (value == nullptr) {
            unsetenv(name);
        } else {
            setenv(name, value, 1);
        }
    }
    ~EnvironmentOverride() {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
            if (it->second) {
                setenv(it->first.c_str(), it->second->c_str(), 1);
            } else {
                unsetenv(it->first.c_str());
            }
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

TEST(GameNoWindow, FailedWindowIsOneLineAndNoLoop) {
    Recorder seen;
    Game::Config config = small_config();
    config.graphics.accelerated = true;  // the dummy driver has no OpenGL windows
    Game game(config);

    ::testing::internal::CaptureStderr();
    const bool started = game.loop(new RecordingScreen("A", seen));
    const std::string printed = ::testing::internal::GetCapturedStderr();

    EXPECT_FALSE(started);
    const std::string prefix = "Unable to create window: ";
    EXPECT_EQ(printed.compare(0, prefix.size(), prefix), 0) << printed;
    EXPECT_GT(printed.size(), prefix.size() + 1) << "the SDL error text is missing";
    EXPECT_EQ(printed.find('\n'), printed.size() - 1) << printed;
    // The screen was handed over, so it is destroyed, but never run.
    EXPECT_EQ(seen.events, (Events{"destroy A"}));
    EXPECT_EQ(game.graphics, nullptr);
    EXPECT_EQ(game.audio, nullptr);
    EXPECT_FALSE(game.step());
}

TEST(GameNoWindow, UnaskedInvisibleDriverCountsAsNoWindow) {
    EnvironmentOverride environment;
    environment.set("SDL_VIDEODRIVER", nullptr);
    environment.set("DISPLAY", nullptr);
    environment.set("WAYLAND_DISPLAY", nullptr);
    Recorder seen;
    Game game(small_config());
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string chosen = driver ? driver : "";
    if (chosen != "offscreen" && chosen != "dummy") {
        GTEST_SKIP() << "SDL found a real display here (" << chosen << ")";
    }

    ::testing::internal::CaptureStderr();
    const bool started = game.start(new RecordingScreen("A", seen));
    const std::string printed = ::testing::internal::GetCapturedStderr();

    EXPECT_FALSE(started);
    EXPECT_EQ(printed, "Unable to create window: no display available\n");
    EXPECT_EQ(seen.events, (Events{"destroy A"}));
}

}  // namespace
