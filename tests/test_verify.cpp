#include "game/world/verify.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/input.h"
#include "game/profile/replay_io.h"
#include "game/screens/game_screen.h"
#include "tests/support/support.h"
#include "tools/pilot.h"

namespace {

using Button = Input::Button;
using State = World::State;

// Everything the rules keep, folded into one number: two frames with equal digests hold the
// same world (the engines are compared by their next output).
uint64_t digest(const World& s) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](uint64_t value) {
        for (int i = 0; i < 8; ++i) {
            h ^= (value >> (8 * i)) & 0xFF;
            h *= 1099511628211ull;
        }
    };
    auto mix_double = [&mix](double value) {
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        mix(bits);
    };
    std::mt19937 rng = s.rng;
    std::mt19937 map_rng = s.map.rng;
    mix(rng());
    mix(map_rng());
    mix(s.shake_seed);
    mix(static_cast<uint64_t>(s.state));
    for (const Player::Segment& segment : s.player.segments) {
        mix(static_cast<uint64_t>(segment.position.q));
        mix(static_cast<uint64_t>(segment.position.r));
        mix(static_cast<uint64_t>(segment.front.value * 6 + segment.back.value));
    }
    mix_double(s.player.length);
    mix(static_cast<uint64_t>(s.player.step_timer));
    mix_double(s.camera.x);
    mix_double(s.camera.y);
    mix_double(s.camera.shake_amount);
    for (const Centipede& c : s.centipedes) {
        mix(static_cast<uint64_t>(c.head.q));
        mix(static_cast<uint64_t>(c.head.r));
        mix(static_cast<uint64_t>(c.length) << 32 | static_cast<uint32_t>(c.step_timer));
    }
    mix(s.map.tile_overrides.size());
    mix(s.map.food.size());
    mix(static_cast<uint64_t>(s.food_timer));
    mix(static_cast<uint64_t>(s.spawn_timer));
    mix_double(s.max_depth);
    mix_double(s.max_length);
    // While playing the fader is not drawn, and a pause fades in on frames no recording keeps.
    if (s.state != State::Playing) mix(uint64_t{s.fader.elapsed} << 32 | s.fader.duration);
    for (GameEvent e : s.events) mix(static_cast<uint64_t>(e));
    return h;
}

// A game played as the program plays it: input through Input, sound through a real mixer on
// the dummy driver, frames of 5 to 40 ms, an autopilot at the keys that also pauses now and
// then. Keeps the digest of every frame up to the end of the game.
class Recorded : public ::testing::Test {
protected:
    static void SetUpTestSuite() { SDL_InitSubSystem(SDL_INIT_AUDIO); }

    void play(unsigned int seed, Assists assists = {}) {
        GameScreen screen(seed, nullptr, assists);
        sim::Pilot pilot(sim::Policy::Autopilot, seed + 1);
        std::mt19937 frames(seed + 2);
        Input input;
        Button held = Button::None;
        for (long frame = 0; screen.world.state != State::GameOver; ++frame) {
            ASSERT_LT(frame, 200000) << "the game never ended";
            input.pressed_buttons.clear();
            input.released_buttons.clear();
            input.release(held);
            held = frame % 900 == 450 || frame % 900 == 560
                       ? Button::Start
                       : static_cast<Button>(pilot.choose(screen.world));
            input.press(held);
            const unsigned int ms = std::uniform_int_distribution<unsigned int>(5, 40)(frames);
            const size_t recorded = screen.world.recording.steps.size();
            ASSERT_TRUE(screen.update(input, audio, ms));
            // A paused frame that stays paused is no step of the rules.
            if (screen.world.recording.steps.size() > recorded) {
                digests.push_back(digest(screen.world));
            }
        }
        recording = screen.world.recording;
    }

    // The recording encoded, parsed into `back` and replayed: every frame must match the game
    // as it was played.
    ReplayOutcome through_the_file(Replay& back) {
        const std::vector<uint8_t> bytes = recording.encode();
        std::string error;
        EXPECT_TRUE(parse_replay(bytes.data(), bytes.size(), back, error)) << error;
        size_t frame = 0;
        const ReplayOutcome outcome = run_replay(back, [&](const World& world) {
            ASSERT_LT(frame, digests.size());
            ASSERT_EQ(digest(world), digests[frame]) << "frame " << frame;
            ++frame;
        });
        EXPECT_EQ(frame, digests.size());
        return outcome;
    }

    test::TempContentDir content;
    Audio audio{Audio::Config{}};
    Replay recording;
    std::vector<uint64_t> digests;
};

std::string write_file(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path.string();
}

// What the verify command prints on each stream, and its status.
struct Verified {
    int status;
    std::string out;
    std::string err;
};

Verified verify(const std::string& path) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Verified result{verify_replay_file(path, out, err), "", ""};
    for (auto [file, text] : {std::pair{out, &result.out}, std::pair{err, &result.err}}) {
        std::rewind(file);
        char buffer[4096];
        while (std::fgets(buffer, sizeof buffer, file) != nullptr) *text += buffer;
        std::fclose(file);
    }
    return result;
}

}  // namespace

TEST_F(Recorded, ReplaysFrameForFrameThroughTheFile) {
    play(31);
    ASSERT_EQ(recording.steps.size(), digests.size());
    EXPECT_EQ(recording.seed, 31u);
    EXPECT_EQ(recording.game_version, Replay::current_game_version());
    // The pauses are in it, and so is the autopilot's steering.
    long starts = 0;
    for (const Replay::Step& step : recording.steps) {
        starts += (step.pressed & Replay::bit(static_cast<int>(Button::Start))) != 0;
    }
    EXPECT_GE(starts, 2);

    Replay back;
    const ReplayOutcome outcome = through_the_file(back);
    EXPECT_TRUE(outcome.game_over);
    EXPECT_TRUE(outcome.matches(back));
    EXPECT_GT(back.max_depth, 0.0);
}

TEST_F(Recorded, AChangedStepOrResultIsCaught) {
    play(32);
    ASSERT_TRUE(run_replay(recording).matches(recording));

    Replay changed_result = recording;
    changed_result.max_length += 0.5;
    EXPECT_FALSE(run_replay(changed_result).matches(changed_result));

    // Steps beyond the end: the game ends before they run out.
    Replay longer = recording;
    longer.steps.push_back(Replay::Step{16, 0, 0});
    const ReplayOutcome early = run_replay(longer);
    EXPECT_TRUE(early.game_over);
    EXPECT_EQ(early.frames, static_cast<long>(recording.steps.size()));
    EXPECT_FALSE(early.matches(longer));

    Replay shorter = recording;
    shorter.steps.pop_back();
    const ReplayOutcome unfinished = run_replay(shorter);
    EXPECT_FALSE(unfinished.game_over);
    EXPECT_FALSE(unfinished.matches(shorter));

    // A pause that was never pressed shifts everything after it.
    Replay paused = recording;
    paused.steps[paused.steps.size() / 2].pressed = Replay::bit(static_cast<int>(Button::Start));
    EXPECT_FALSE(run_replay(paused).matches(paused));
}

// However long a pause lasts, it costs a recording the step that ends it: ten minutes paused
// at 60 frames a second record as one paused frame does, and both replay.
TEST_F(Recorded, APauseCostsTheSameWhateverItsLength) {
    auto bytes_of_game = [&](long paused_frames) {
        GameScreen screen(36);
        sim::Pilot pilot(sim::Policy::Autopilot, 37);
        Input input;
        Button held = Button::None;
        long played = 0;
        long paused = 0;
        while (screen.world.state != State::GameOver && played < 200000) {
            input.pressed_buttons.clear();
            input.released_buttons.clear();
            input.release(held);
            const bool in_pause = screen.world.state == State::Paused;
            if (in_pause) {
                held = ++paused > paused_frames ? Button::Start : Button::None;
            } else {
                held =
                    played == 300 ? Button::Start : static_cast<Button>(pilot.choose(screen.world));
                ++played;
            }
            input.press(held);
            // Vsync's times, counted apart for the pause so that the play around it is alike.
            const bool longer = in_pause ? paused % 2 == 1 : played % 3 == 0;
            screen.update(input, audio, longer ? 17u : 16u);
        }
        EXPECT_EQ(screen.world.state, State::GameOver);
        EXPECT_EQ(paused, paused_frames + 1);
        const std::vector<uint8_t> bytes = screen.world.recording.encode();
        Replay back;
        std::string error;
        EXPECT_TRUE(parse_replay(bytes.data(), bytes.size(), back, error)) << error;
        EXPECT_TRUE(run_replay(back).matches(back)) << paused_frames << " frames paused";
        return bytes.size();
    };
    const size_t frame = bytes_of_game(1);
    const size_t ten_minutes = bytes_of_game(10 * 60 * 60);
    EXPECT_LE(ten_minutes, frame + 4) << "one paused frame: " << frame << " bytes";
}

TEST_F(Recorded, VerifyCommandExitsZeroThreeOrTwo) {
    play(33);
    const std::filesystem::path dir = content.root;

    const Verified same = verify(write_file(dir / "same.replay", recording.encode()));
    EXPECT_EQ(same.status, kVerifyMatch);
    EXPECT_EQ(same.err, "");
    EXPECT_NE(same.out.find("same.replay: replays as recorded\n"), std::string::npos) << same.out;
    EXPECT_NE(same.out.find(std::to_string(recording.steps.size()) + " frames"), std::string::npos);

    Replay tampered = recording;
    tampered.max_depth *= 2;
    const Verified differs = verify(write_file(dir / "tampered.replay", tampered.encode()));
    EXPECT_EQ(differs.status, kVerifyDiffers);
    EXPECT_EQ(differs.err, "");
    EXPECT_NE(differs.out.find("tampered.replay: differs from the recording\n"), std::string::npos)
        << differs.out;

    const std::string empty = write_file(dir / "empty.replay", {});
    const Verified bad = verify(empty);
    EXPECT_EQ(bad.status, kVerifyBadFile);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, empty + ": empty file\n");
}

// A slowed game replays frame for frame from its file, which keeps its assists, and the verify
// command names them; the same steps at full speed are another game.
TEST_F(Recorded, ASlowedGameReplaysExactlyAndIsMarked) {
    play(38, Assists{60, true});
    Replay back;
    const ReplayOutcome outcome = through_the_file(back);
    EXPECT_EQ(back.assists, (Assists{60, true}));
    EXPECT_TRUE(outcome.matches(back));

    const Verified slow = verify(write_file(content.root / "slow.replay", recording.encode()));
    EXPECT_EQ(slow.status, kVerifyMatch);
    EXPECT_NE(slow.out.find("slow.replay: replays as recorded (assisted: 60% speed, one switch)\n"),
              std::string::npos)
        << slow.out;

    Replay full_speed = back;
    full_speed.assists = Assists{};
    EXPECT_FALSE(run_replay(full_speed).matches(full_speed));
}

// At 60% a step of 16 ms moves the game on by 9.6 ms: by 9, 10, 9, 10 and 10 in turn, which at
// full speed is the same game, frame for frame, nothing lost to rounding.
TEST(RecordedSteps, ASlowedStepCarriesWhatItsDivisionLeaves) {
    World slow(39, Assists{60, false});
    World full(39);
    sim::Pilot pilot(sim::Policy::Autopilot, 40);
    constexpr uint32_t kScaled[] = {9, 10, 9, 10, 10};
    uint32_t held = 0;
    long frame = 0;
    for (; slow.state != State::GameOver && frame < 200000; ++frame) {
        const uint32_t pressed = Replay::bit(pilot.choose(slow));
        slow.step(Replay::Step{16, pressed, held});
        full.step(Replay::Step{kScaled[frame % 5], pressed, held});
        held = pressed;
        ASSERT_EQ(digest(slow), digest(full)) << "frame " << frame;
    }
    EXPECT_EQ(slow.state, State::GameOver);
    EXPECT_EQ(slow.play_ms, 16u * static_cast<uint64_t>(frame));  // real time, as recorded
}

// The rules make the same sounds as the world reports them, in order, and the recording stops
// at the end of the game.
TEST_F(Recorded, SoundsFollowTheReportedEventsAndRecordingStopsAtTheEnd) {
    GameScreen screen(34);
    Input input;
    input.press(Button::Start);
    ASSERT_TRUE(screen.update(input, audio, 16));
    EXPECT_EQ(screen.world.events.front(), GameEvent::Paused);
    EXPECT_EQ(Mix_VolumeMusic(-1), 128 * 3 / 10);
    ASSERT_TRUE(screen.update(input, audio, 16));
    EXPECT_EQ(screen.world.events, GameEvents{GameEvent::Resumed});
    EXPECT_EQ(Mix_VolumeMusic(-1), 128);

    input.pressed_buttons.clear();
    screen.world.player.length = 0.5;
    ASSERT_TRUE(screen.update(input, audio, 16));
    EXPECT_EQ(screen.world.events.back(), GameEvent::GameOver);
    EXPECT_EQ(audio.current_track, "wormfood.ogg");
    EXPECT_EQ(screen.world.recording.steps.size(), 3u);
    EXPECT_EQ(screen.world.recording.max_length, screen.world.max_length);
    ASSERT_TRUE(screen.update(input, audio, 16));
    EXPECT_EQ(screen.world.recording.steps.size(), 3u);

    // Each world event plays its own sample.
    play_events({GameEvent::RockDug, GameEvent::FoodEaten, GameEvent::Bitten, GameEvent::Spawned},
                audio);
    std::vector<std::string> names;  // the cache is sorted by path; variant numbers dropped
    for (const auto& [path, chunk] : audio.samples) {
        std::string name;
        for (char c : path) {
            if (c < '0' || c > '9') name += c;
        }
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"content/boom.wav", "content/cronch.wav",
                                               "content/ouch.wav", "content/yum.wav"}));
}

// The golden replays must go on covering what they are there for, however often they are
// re-recorded.
TEST(GoldenReplays, CoverWhatTheyAreFor) {
    std::set<uint32_t> seeds;
    long files = 0, long_games = 0, shaken = 0;
    std::map<GameEvent, long> seen;
    for (const auto& entry : std::filesystem::directory_iterator("tests/replays")) {
        if (entry.path().extension() != ".replay") continue;
        ++files;
        Replay replay;
        std::string error;
        ASSERT_TRUE(load_replay(entry.path().string(), replay, error)) << error;
        seeds.insert(replay.seed);
        uint64_t ms = 0;
        for (const Replay::Step& step : replay.steps) ms += step.ms;
        long_games += ms >= 3 * 60000;
        const ReplayOutcome outcome = run_replay(replay, [&](const World& world) {
            for (GameEvent event : world.events) ++seen[event];
            shaken += world.camera.shake_amount > 0.0;
        });
        EXPECT_TRUE(outcome.matches(replay)) << entry.path();
    }
    EXPECT_GE(files, 5);
    EXPECT_GE(seeds.size(), 5u);
    EXPECT_GE(long_games, 2);
    EXPECT_GT(shaken, 0);
    for (GameEvent event : {GameEvent::Spawned, GameEvent::Bitten, GameEvent::Paused,
                            GameEvent::Resumed, GameEvent::RockDug, GameEvent::FoodEaten}) {
        EXPECT_GT(seen[event], 0) << "no golden replay has event " << static_cast<int>(event);
    }
}

// Losing the window's focus reaches the rules as a bit of the step, so a recording of a game
// paused that way replays exactly.
TEST(RecordedSteps, FocusLossPausesLikeStartAndOnlyStartResumes) {
    GameScreen screen(35);
    ASSERT_TRUE(screen.advance(Replay::Step{16, Replay::kFocusLost, 0}));
    EXPECT_EQ(screen.world.state, State::Paused);
    EXPECT_EQ(screen.world.events.front(), GameEvent::Paused);
    const int32_t food_timer = screen.world.food_timer;
    ASSERT_TRUE(screen.advance(Replay::Step{16, Replay::kFocusLost, 0}));
    EXPECT_EQ(screen.world.state, State::Paused);
    EXPECT_EQ(screen.world.food_timer, food_timer);
    ASSERT_TRUE(screen.advance(Replay::Step{16, Replay::bit(static_cast<int>(Button::Start)), 0}));
    EXPECT_EQ(screen.world.state, State::Playing);

    const std::vector<uint8_t> bytes = screen.world.recording.encode();
    Replay back;
    std::string error;
    ASSERT_TRUE(parse_replay(bytes.data(), bytes.size(), back, error)) << error;
    EXPECT_EQ(back.steps, screen.world.recording.steps);
}
