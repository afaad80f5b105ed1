#include "game/replay_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/input.h"
#include "game/game_screen.h"
#include "game/screen_flow.h"
#include "game/title_screen.h"
#include "game/verify.h"
#include "tests/support/support.h"

namespace {

namespace fs = std::filesystem;

// A player's folders in a scratch place, with a clock that moves a second per game.
class Kept : public ::testing::Test {
protected:
    Kept() {
        profile.clock = [this] { return 1'800'000'000'000 + 1000 * ++games; };
    }

    // A finished game of the given depth, stored as the play screen stores one.
    Profile::Outcome finish(double depth, uint32_t seed) {
        Record record;
        record.depth = depth;
        record.length = 3.0;
        record.seed = seed;
        Profile::Outcome outcome = profile.add_result(record);
        Replay replay;
        replay.seed = seed;
        replay.max_depth = depth;
        replay.steps.assign(10, Replay::Step{16, 0, 0});
        files.keep(outcome.record, replay);
        return outcome;
    }

    test::TempFolder data;
    test::TempFolder config;
    Profile profile{data.path, config.path};
    ReplayFiles files{profile};
    int64_t games = 0;
};

Replay read(const fs::path& path) {
    Replay replay;
    std::string error;
    EXPECT_TRUE(load_replay(path.string(), replay, error)) << error;
    return replay;
}

}  // namespace

TEST_F(Kept, EveryGameIsTheLastAndEachRecordKeepsItsOwnUntilItDropsOut) {
    std::vector<Record> stored;
    for (uint32_t i = 0; i < Records::kKept; ++i) {
        stored.push_back(finish(1.0 + i, 100 + i).record);
        EXPECT_EQ(read(files.last_path()).seed, 100 + i);
    }
    for (const Record& record : stored) {
        EXPECT_EQ(read(files.record_path(record)).seed, record.seed);
    }
    const std::vector<std::string> ranked = files.by_rank();
    ASSERT_EQ(ranked.size(), Records::kKept);
    EXPECT_EQ(ranked.front(), files.record_path(stored.back()).string());  // the deepest

    // A shallow game is the last one, but no record: nothing of its own is kept.
    const Profile::Outcome shallow = finish(0.5, 7);
    EXPECT_EQ(read(files.last_path()).seed, 7u);
    EXPECT_FALSE(fs::exists(files.record_path(shallow.record)));

    // A deep one pushes the shallowest record out, and that record's replay goes with it.
    const fs::path stranger = data.path / ReplayFiles::kRecordFolder / "notes.txt";
    test::write_file(stranger, "mine");
    const Profile::Outcome deep = finish(20.0, 8);
    ASSERT_EQ(deep.dropped.size(), 1u);
    EXPECT_EQ(deep.dropped.front(), stored.front());
    EXPECT_FALSE(fs::exists(files.record_path(stored.front())));
    EXPECT_TRUE(fs::exists(files.record_path(deep.record)));
    EXPECT_EQ(files.by_rank().front(), files.record_path(deep.record).string());
    EXPECT_TRUE(fs::exists(stranger));  // not a replay of ours
}

TEST_F(Kept, NoFoldersKeepsNothing) {
    Profile bare;
    ReplayFiles none(bare);
    Record record;
    none.keep(record, Replay{});
    EXPECT_TRUE(none.last_path().empty());
    EXPECT_TRUE(none.by_rank().empty());
}

TEST_F(Kept, AFinishedGameLeavesAReplayThatVerifies) {
    test::TempContentDir content;
    ScreenFlow flow(profile);
    GameScreen screen(4242, &flow);
    for (int i = 0; i < 300; ++i) ASSERT_TRUE(screen.advance(Replay::Step{16, 0, 0}));
    screen.player.length = 0.5;  // starves in the next step, played as the game plays it
    Input input;
    Audio audio{Audio::Config{}};
    ASSERT_TRUE(screen.update(input, audio, 16));
    ASSERT_EQ(screen.state, GameScreen::State::GameOver);
    flow.writer().flush();

    const Replay last = read(files.last_path());
    EXPECT_EQ(last.seed, 4242u);
    EXPECT_EQ(last.steps.size(), 301u);
    ASSERT_EQ(profile.records.table.size(), 1u);
    EXPECT_EQ(read(files.record_path(profile.records.table.front())).steps, last.steps);
    // The length was cut from outside the recording, so replaying it cannot end the same way:
    // what matters here is that the file holds exactly the steps the screen took.
    EXPECT_EQ(last.steps, screen.recording.steps);
    EXPECT_EQ(last.max_depth, screen.max_depth);
}

TEST_F(Kept, TitleDemoPrefersTheBestRecordAndSetsABrokenOneAside) {
    test::TempContentDir content;
    const Record worse = finish(2.0, 1).record;
    const Record best = finish(3.0, 2).record;
    ScreenFlow flow(profile);
    TitleScreen title(flow);
    ASSERT_EQ(title.demo_paths.size(), 3u);
    EXPECT_EQ(title.demo_paths[0], files.record_path(best).string());
    EXPECT_EQ(title.demo_paths[1], files.record_path(worse).string());
    EXPECT_EQ(title.demo_paths[2], title.bundled_demo);

    test::write_file(files.record_path(best), "BGRP");  // cut short
    testing::internal::CaptureStderr();
    ASSERT_TRUE(title.load_demo());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(title.demo->seed, 1u);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("truncated in the header; kept as "), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(files.record_path(best)));
    long aside = 0;
    for (const auto& entry : fs::directory_iterator(data.path / ReplayFiles::kRecordFolder)) {
        aside += entry.path().filename().string().find(".bad-") != std::string::npos;
    }
    EXPECT_EQ(aside, 1);
}
