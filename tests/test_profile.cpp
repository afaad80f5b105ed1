#include "game/profile/profile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/support.h"

namespace fs = std::filesystem;

namespace {

using Button = Input::Button;
using Step = SafeFile::Step;

// Data and configuration folders inside a temporary home.
class Folders : public ::testing::Test {
protected:
    Profile open() const { return Profile(data, config); }
    fs::path records() const { return data / "records.txt"; }
    fs::path settings() const { return config / "settings.txt"; }
    // The files beside `path` that it was set aside as.
    std::vector<fs::path> set_aside(const fs::path& path) const {
        std::vector<fs::path> found;
        if (!fs::exists(path.parent_path())) return found;
        for (const auto& entry : fs::directory_iterator(path.parent_path())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(path.filename().string() + ".bad-", 0) == 0) found.push_back(entry);
        }
        return found;
    }

    test::TempFolder home;
    fs::path data = home.path / "data" / "burrowgale";
    fs::path config = home.path / "config" / "burrowgale";
};

Record game(double depth, double length, uint32_t seed = 5) {
    Record record;
    record.depth = depth;
    record.length = length;
    record.seed = seed;
    record.play_time = 42.0;
    return record;
}

TEST_F(Folders, ARecordIsStoredWithItsDateAndReadBackNextRun) {
    {
        Profile first = open();
        first.clock = [] { return int64_t{1796715960123}; };
        const Profile::Outcome outcome = first.add_result(game(2.5, 7.0));
        EXPECT_EQ(outcome.record.date, "2026-12-08T07:46:00.123Z");
        EXPECT_TRUE(outcome.new_best_depth);
        EXPECT_TRUE(outcome.new_best_length);
        EXPECT_TRUE(outcome.dropped.empty());
        EXPECT_TRUE(first.warnings.empty());
    }
    EXPECT_EQ(test::read_file(records()),
              "burrowgale records 1\n"
              "depth=2.5 length=7 date=2026-12-08T07:46:00.123Z seed=5 play_time=42\n");
    Profile second = open();
    ASSERT_EQ(second.records.table.size(), 1u);
    EXPECT_EQ(second.records.best_depth(), 2.5);
    const Profile::Outcome outcome = second.add_result(game(1.0, 9.0));
    EXPECT_FALSE(outcome.new_best_depth);
    EXPECT_TRUE(outcome.new_best_length);
    EXPECT_EQ(outcome.best_depth, 2.5);
    EXPECT_EQ(outcome.best_length, 9.0);
}

// Two copies taking turns: each merges what the other stored before it writes. (Two copies
// storing at the same moment: test_replay_files' KeptByTwoCopies.)
TEST_F(Folders, EachCopyMergesWhatAnotherStoredMeanwhile) {
    Profile a = open();
    Profile b = open();  // both started before either stored anything
    a.add_result(game(1.0, 1.0, 1));
    b.add_result(game(2.0, 1.0, 2));
    a.add_result(game(3.0, 1.0, 3));
    Profile later = open();
    ASSERT_EQ(later.records.table.size(), 3u);
    EXPECT_EQ(later.records.table[0].seed, 3u);
    EXPECT_EQ(later.records.table[1].seed, 2u);
    EXPECT_EQ(later.records.table[2].seed, 1u);
    // The second copy's best counts as the best before the first copy's next game.
    const Profile::Outcome outcome = b.add_result(game(2.5, 1.0, 4));
    EXPECT_FALSE(outcome.new_best_depth);
    EXPECT_EQ(outcome.best_depth, 3.0);
}

// Another copy that never lets go of the lock (hung, say) costs one warning per game; the
// records are still stored, and nothing is marked for removal.
TEST_F(Folders, ALockThatCannotBeHadWarnsAndStillStores) {
    Profile profile = open();
    for (uint32_t i = 0; i < Records::kKept; ++i) profile.add_result(game(10.0 + i, 1.0, i));
    FileLock other;
    std::string error;
    ASSERT_TRUE(other.acquire(data / Profile::kLockFile, std::chrono::milliseconds(0), error));
    profile.lock_patience = std::chrono::milliseconds(20);
    profile.left_table.clear();
    testing::internal::CaptureStderr();
    const Profile::Outcome outcome = profile.add_result(game(50.0, 1.0, 99));
    const std::string stderr_text = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(stderr_text.begin(), stderr_text.end(), '\n'), 1) << stderr_text;
    EXPECT_NE(stderr_text.find("burrowgale.lock"), std::string::npos) << stderr_text;
    EXPECT_EQ(outcome.dropped.size(), 1u);
    EXPECT_TRUE(profile.left_table.empty());
    other.release();
    EXPECT_EQ(open().records.table.front().seed, 99u);
}

TEST_F(Folders, MergingReportsRecordsThatDroppedOut) {
    Profile a = open();
    for (uint32_t i = 0; i < 10; ++i) a.add_result(game(10.0 + i, 1.0, i));
    const Profile::Outcome outcome = a.add_result(game(50.0, 1.0, 99));
    ASSERT_EQ(outcome.dropped.size(), 1u);
    EXPECT_EQ(outcome.dropped[0].seed, 0u);
    EXPECT_EQ(open().records.table.size(), 10u);
}

// Each bad file: set aside under its new name with one warning, never overwritten, and the
// game goes on with an empty table that it stores into a fresh file.
TEST_F(Folders, ABadRecordsFileIsSetAsideWithOneWarningAndTheGameGoesOn) {
    const std::string good_line =
        "depth=1 length=1 date=2026-12-08T07:46:00.123Z seed=1 play_time=1\n";
    const std::vector<std::string> bad_files = {
        "\x7f"
        "ELF\x02\x01 garbage \x00\x01",
        "burrowgale records 1\ndepth=1 length=1 date=2026-12-08T07:4",
        "burrowgale records 7\n" + good_line,
        "burrowgale records 1\ndepth=-3 length=1 date=2026-12-08T07:46:00.123Z seed=1 "
        "play_time=1\n",
        "burrowgale records 1\ndepth=1 length=1 date=90000-12-08T07:46:00.123Z seed=1 "
        "play_time=1\n",
        "burrowgale records 1\n" + std::string(3 << 20, '9') + "\n",
    };
    for (const std::string& bad : bad_files) {
        SCOPED_TRACE(bad.substr(0, 60));
        fs::remove_all(data);
        fs::create_directories(data);
        test::write_file(records(), bad);
        testing::internal::CaptureStderr();
        Profile profile = open();
        const std::string stderr_text = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(profile.records.table.empty());
        ASSERT_EQ(profile.warnings.size(), 1u);
        EXPECT_EQ(std::count(stderr_text.begin(), stderr_text.end(), '\n'), 1) << stderr_text;
        const std::vector<fs::path> aside = set_aside(records());
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(test::read_file(aside[0]), bad);
        EXPECT_NE(profile.warnings[0].find(aside[0].string()), std::string::npos);

        profile.add_result(game(1.0, 1.0));
        EXPECT_EQ(open().records.table.size(), 1u);
        EXPECT_EQ(test::read_file(aside[0]), bad);
    }
}

// Another copy of the game, or a person, may break the file while we play: it is still never
// written over.
TEST_F(Folders, AFileThatWentBadSinceTheStartIsSetAsideBeforeStoring) {
    Profile profile = open();
    profile.add_result(game(1.0, 1.0, 1));
    test::write_file(records(), "not records\n");
    testing::internal::CaptureStderr();
    profile.add_result(game(2.0, 1.0, 2));
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(set_aside(records()).size(), 1u);
    EXPECT_EQ(test::read_file(set_aside(records())[0]), "not records\n");
    EXPECT_EQ(open().records.table.size(), 2u);  // what we knew is stored again
}

TEST_F(Folders, AFailedWriteLeavesTheOldFileAndWarns) {
    Profile profile = open();
    profile.add_result(game(1.0, 1.0, 1));
    const std::string before = test::read_file(records());
    for (const Step failing : {Step::Create, Step::Write, Step::Flush, Step::Sync, Step::Rename}) {
        profile.files.before_step = [failing](Step step) { return step != failing; };
        testing::internal::CaptureStderr();
        profile.add_result(game(2.0 + static_cast<int>(failing), 1.0, 2));
        EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
        EXPECT_EQ(test::read_file(records()), before);
    }
    profile.files.before_step = nullptr;
    profile.add_result(game(0.5, 1.0, 3));
    EXPECT_EQ(open().records.table.size(), 7u);  // kept in memory meanwhile, stored now
}

TEST_F(Folders, AFolderThatCannotBeMadeGivesOneWarningAndPlayGoesOn) {
    test::write_file(home.path / "plain", "a regular file");
    data = home.path / "plain" / "burrowgale";
    config = home.path / "plain" / "config";
    Profile profile = open();
    testing::internal::CaptureStderr();
    profile.add_result(game(1.0, 1.0, 1));
    profile.add_result(game(2.0, 1.0, 2));
    EXPECT_FALSE(profile.save_settings());
    EXPECT_FALSE(profile.save_settings());
    const std::string stderr_text = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(stderr_text.begin(), stderr_text.end(), '\n'), 2) << stderr_text;
    EXPECT_EQ(profile.records.table.size(), 2u);
    EXPECT_EQ(test::read_file(home.path / "plain"), "a regular file");
}

TEST_F(Folders, SettingsRoundTripThroughTheirFile) {
    {
        Profile profile = open();
        profile.settings.music_volume = 4;
        profile.settings.rebind_key(Button::Left, SDL_SCANCODE_Q);
        ASSERT_TRUE(profile.save_settings());
    }
    const Profile again = open();
    EXPECT_EQ(again.settings.music_volume, 4);
    EXPECT_EQ(again.settings.keys_of(Button::Left), std::vector<int>{SDL_SCANCODE_Q});
    EXPECT_TRUE(again.warnings.empty());
}

TEST_F(Folders, ABadSettingsFileIsSetAsideAndAFileWithBadLinesIsKeptBeforeReplacing) {
    fs::create_directories(config);
    test::write_file(settings(), "burrowgale settings 3\nmusic_volume = 2\n");
    testing::internal::CaptureStderr();
    Profile later_version = open();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(later_version.settings.music_volume, 10);
    ASSERT_EQ(later_version.warnings.size(), 1u);
    ASSERT_EQ(set_aside(settings()).size(), 1u);
    fs::remove(set_aside(settings())[0]);

    const std::string with_bad_line = "burrowgale settings 1\nmusic_volume = 2\nvolume = 3\n";
    test::write_file(settings(), with_bad_line);
    testing::internal::CaptureStderr();
    Profile profile = open();
    const std::string stderr_text = testing::internal::GetCapturedStderr();
    EXPECT_NE(stderr_text.find("settings.txt line 3: unknown setting 'volume'"), std::string::npos)
        << stderr_text;
    EXPECT_EQ(profile.settings.music_volume, 2);
    EXPECT_TRUE(set_aside(settings()).empty());  // only reading: nothing moves
    testing::internal::CaptureStderr();
    ASSERT_TRUE(profile.save_settings());
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(set_aside(settings()).size(), 1u);
    EXPECT_EQ(test::read_file(set_aside(settings())[0]), with_bad_line);
    EXPECT_TRUE(open().warnings.empty());
}

TEST(Profile, WithoutFoldersNothingIsWritten) {
    Profile profile;
    profile.add_result(game(1.0, 1.0));
    EXPECT_EQ(profile.records.table.size(), 1u);
    EXPECT_FALSE(profile.save_settings());
    EXPECT_TRUE(profile.warnings.empty());
}

}  // namespace
