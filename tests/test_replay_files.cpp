#include "game/profile/replay_files.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/audio.h"
#include "engine/input.h"
#include "game/profile/replay_io.h"
#include "game/screens/game_screen.h"
#include "game/screens/screen_flow.h"
#include "game/screens/title_screen.h"
#include "game/world/verify.h"
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

// A replay the game would refuse to read back (here a step longer than the game ever counts)
// is not kept in place of the last good one.
TEST_F(Kept, AReplayPastTheLimitsIsNotKept) {
    finish(1.0, 11);
    Record record;
    record.depth = 2.0;
    record.seed = 12;
    const Profile::Outcome outcome = profile.add_result(record);
    Replay replay;
    replay.seed = 12;
    replay.steps.assign(3, Replay::Step{Replay::kMaxStepMs + 1, 0, 0});
    ::testing::internal::CaptureStderr();
    files.keep(outcome.record, replay);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(read(files.last_path()).seed, 11u);
    EXPECT_FALSE(fs::exists(files.record_path(outcome.record)));
    EXPECT_NE(said.find("replay is not kept: a step of 251 ms"), std::string::npos) << said;
}

TEST_F(Kept, NoFoldersKeepsNothing) {
    Profile bare;
    ReplayFiles none(bare);
    Record record;
    none.keep(record, Replay{});
    EXPECT_TRUE(none.last_path().empty());
    EXPECT_TRUE(none.by_rank().empty());
}

// The replay of a given-up game, as kept, plays back to the same end with the same results.
TEST_F(Kept, AFinishedGameLeavesAReplayThatVerifies) {
    test::TempContentDir content;
    ScreenFlow flow(profile);
    GameScreen screen(4242, &flow);
    const uint32_t escape = Replay::bit(static_cast<int>(Input::Button::Escape));
    for (int i = 0; i < 300; ++i) ASSERT_TRUE(screen.advance(Replay::Step{16, 0, 0}));
    ASSERT_TRUE(screen.advance(Replay::Step{16, escape, 0}));  // pause
    ASSERT_TRUE(screen.advance(Replay::Step{16, 0, escape}));  // paused: not recorded
    // Given up as the game plays it, through update, which hands the files to the writer.
    Input input;
    input.pressed_buttons.insert(Input::Button::Escape);
    Audio audio{Audio::Config{}};
    ASSERT_TRUE(screen.update(input, audio, 16));
    ASSERT_EQ(screen.world.state, World::State::GameOver);
    flow.writer().flush();

    const Replay last = read(files.last_path());
    EXPECT_EQ(last.seed, 4242u);
    EXPECT_EQ(last.steps, screen.world.recording.steps);
    ASSERT_EQ(profile.records.table.size(), 1u);
    const fs::path kept = files.record_path(profile.records.table.front());
    EXPECT_EQ(read(kept).steps, last.steps);
    for (const fs::path& path : {files.last_path(), kept}) {
        SCOPED_TRACE(path.string());
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        EXPECT_EQ(verify_replay_file(path.string(), out, err), kVerifyMatch);
        std::fclose(out);
        std::fclose(err);
    }
    const ReplayOutcome replayed = run_replay(last);
    EXPECT_TRUE(replayed.matches(last));
    EXPECT_EQ(replayed.frames, 302);
    EXPECT_EQ(replayed.max_depth, screen.world.max_depth);
}

// A records file that cannot be read says nothing of which replays are whose: every one stays,
// and so do the player's own files. Only records seen leaving a table read whole lose theirs.
TEST_F(Kept, ABadRecordsFileKeepsEveryReplay) {
    std::vector<Record> stored;
    for (uint32_t i = 0; i < Records::kKept; ++i) {
        stored.push_back(finish(1.0 + i, 100 + i).record);
    }
    const fs::path folder = data.path / ReplayFiles::kRecordFolder;
    const std::vector<fs::path> players = {folder / "mine.replay",
                                           folder / "20200101T000000000Z-1.replay"};
    for (const fs::path& path : players) test::write_file(path, "mine");
    test::write_file(profile.records_path(),
                     "\x7f"
                     "ELF garbage");

    testing::internal::CaptureStderr();
    const Profile::Outcome deep = finish(20.0, 8);  // pushes stored[0] out of the table
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(deep.dropped, std::vector<Record>{stored.front()});
    EXPECT_TRUE(fs::exists(files.record_path(deep.record)));
    for (const Record& record : stored) EXPECT_TRUE(fs::exists(files.record_path(record)));
    for (const fs::path& path : players) EXPECT_EQ(test::read_file(path), "mine");
    long aside = 0;
    for (const auto& entry : fs::directory_iterator(data.path)) {
        aside += entry.path().filename().string().starts_with("records.txt.bad-");
    }
    EXPECT_EQ(aside, 1);

    // The next game reads the new table whole: what leaves it now loses its replay.
    const Profile::Outcome deeper = finish(30.0, 9);
    ASSERT_EQ(deeper.dropped, std::vector<Record>{stored[1]});
    EXPECT_FALSE(fs::exists(files.record_path(stored[1])));
    EXPECT_TRUE(fs::exists(files.record_path(stored[0])));
    for (const fs::path& path : players) EXPECT_EQ(test::read_file(path), "mine");
}

// Two copies of the game storing 200 games each into one folder at the same time end with
// exactly the table and the replays that one copy storing all 400 would have kept.
TEST(KeptByTwoCopies, StoringAtOnceKeepsWhatOneCopyWould) {
    constexpr int kGames = 200;
    const auto game_of = [](int copy, int i) {
        const int k = copy * kGames + i;
        Record record;
        record.depth = 1.0 + (k * 151) % (2 * kGames);  // every depth once, in a scattered order
        record.length = 3.0;
        record.seed = static_cast<uint32_t>(1000 + k);
        record.date = iso_date(1'800'000'000'000 + 1000 * int64_t{k});
        return record;
    };
    test::TempFolder data;
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    std::vector<pid_t> copies;
    for (int copy = 0; copy < 2; ++copy) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(go[1]);
            char byte = 0;
            (void)!::read(go[0], &byte, 1);  // both start together, when the parent says so
            Profile profile(data.path, {});
            ReplayFiles files(profile);
            for (int i = 0; i < kGames; ++i) {
                const Record record = game_of(copy, i);
                Replay replay;
                replay.seed = record.seed;
                replay.max_depth = record.depth;
                replay.steps.assign(3, Replay::Step{16, 0, 0});
                files.store(record, replay);
            }
            _exit(profile.warnings.empty() ? 0 : 1);
        }
        copies.push_back(pid);
    }
    close(go[0]);
    close(go[1]);  // go
    for (const pid_t pid : copies) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }

    Records alone;
    for (int copy = 0; copy < 2; ++copy) {
        for (int i = 0; i < kGames; ++i) alone.add(game_of(copy, i));
    }
    Profile after(data.path, {});
    EXPECT_EQ(after.records.table, alone.table);
    std::vector<std::string> expected;
    for (const Record& record : alone.table) expected.push_back(record.id() + ".replay");
    std::vector<std::string> kept;
    for (const auto& entry : fs::directory_iterator(data.path / ReplayFiles::kRecordFolder)) {
        kept.push_back(entry.path().filename().string());
    }
    std::sort(expected.begin(), expected.end());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, expected);
    ReplayFiles files(after);
    for (const Record& record : alone.table) {
        EXPECT_EQ(read(files.record_path(record)).seed, record.seed);
    }
}

TEST(ReplayFiles, OnlyNamesOfRecordReplaysAreEverRemoved) {
    Record record;
    record.date = iso_date(1'796'715'960'123);
    record.seed = 4294967295u;
    EXPECT_TRUE(ReplayFiles::is_record_replay_name(record.id() + ".replay"));
    for (const char* name :
         {"mine.replay", "last.replay", "20261208T074600123Z-5.replay.bad-1",
          "20261208T074600123Z-.replay", "20261208T074600123Z-12345678901.replay",
          "2026120T074600123Z-5.replay", "20261208T074600123-5.replay", "20261208T074600123Z-5.txt",
          "x20261208T074600123Z-5.replay"}) {
        EXPECT_FALSE(ReplayFiles::is_record_replay_name(name)) << name;
    }
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
