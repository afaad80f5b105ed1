#include "engine/safe_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/support.h"

namespace fs = std::filesystem;

namespace {

using Step = SafeFile::Step;
using ReadResult = SafeFile::ReadResult;

std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SafeFile, WritesAndReadsBackReplacingTheOldFileAndLeavingNoTemporary) {
    test::TempFolder folder;
    const fs::path path = folder.path / "records.txt";
    SafeFile files;
    std::vector<fs::path> changed;
    files.after_change = [&](const fs::path& p) { changed.push_back(p); };
    std::string error;
    ASSERT_TRUE(files.write(path, "first\n", error)) << error;
    ASSERT_TRUE(files.write(path, "second\n", error)) << error;
    EXPECT_EQ(names_in(folder.path), std::vector<std::string>{"records.txt"});
    std::string contents;
    ASSERT_EQ(files.read(path, 100, contents, error), ReadResult::Ok);
    EXPECT_EQ(contents, "second\n");
    EXPECT_EQ(changed, (std::vector<fs::path>{path, path}));
}

// A failure at any step before the rename leaves the old file whole and no temporary behind;
// after the rename the new file is whole. Never half of either.
TEST(SafeFile, AFailureBetweenAnyTwoStepsLeavesTheOldOrTheNewFileWhole) {
    const std::string old_text = "burrowgale records 1\nold line\n";
    const std::string new_text(100000, 'n');  // big enough to need several writes underneath
    for (const Step failing :
         {Step::Create, Step::Write, Step::Flush, Step::Sync, Step::Rename, Step::SyncFolder}) {
        SCOPED_TRACE(static_cast<int>(failing));
        test::TempFolder folder;
        const fs::path path = folder.path / "records.txt";
        test::write_file(path, old_text);
        SafeFile files;
        std::vector<Step> seen;
        files.before_step = [&](Step step) {
            seen.push_back(step);
            return step != failing;
        };
        std::string error;
        EXPECT_FALSE(files.write(path, new_text, error));
        EXPECT_NE(error.find(path.string()), std::string::npos) << error;
        EXPECT_EQ(seen.back(), failing);  // nothing is attempted after a failed step
        const bool renamed = failing == Step::SyncFolder;
        EXPECT_EQ(test::read_file(path), renamed ? new_text : old_text);
        EXPECT_EQ(names_in(folder.path), std::vector<std::string>{"records.txt"});
    }
}

TEST(SafeFile, ReadTellsMissingFromTooBigFromUnreadable) {
    test::TempFolder folder;
    SafeFile files;
    std::string contents = "stale";
    std::string error;
    EXPECT_EQ(files.read(folder.path / "none.txt", 100, contents, error), ReadResult::Missing);
    EXPECT_TRUE(contents.empty());

    // A megabyte line is refused before anything is allocated for it.
    test::write_file(folder.path / "big.txt", std::string(2 << 20, 'x'));
    EXPECT_EQ(files.read(folder.path / "big.txt", 64 * 1024, contents, error), ReadResult::TooBig);
    EXPECT_TRUE(contents.empty());
    EXPECT_NE(error.find("big.txt"), std::string::npos);

    EXPECT_EQ(files.read(folder.path, 100, contents, error), ReadResult::Failed);
    test::write_file(folder.path / "file", "x");
    EXPECT_EQ(files.read(folder.path / "file" / "under", 100, contents, error), ReadResult::Failed);
}

TEST(SafeFile, SetAsideNeverReplacesAnEarlierBadFile) {
    test::TempFolder folder;
    const fs::path path = folder.path / "records.txt";
    const std::string stem = path.string() + ".bad-20261208T074600Z";
    SafeFile files;
    files.timestamp = [] { return std::string("20261208T074600Z"); };
    std::string error;
    test::write_file(path, "first bad");
    EXPECT_EQ(files.set_aside(path, error), fs::path(stem));
    test::write_file(path, "second bad");
    EXPECT_EQ(files.set_aside(path, error), fs::path(stem + "-1"));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(test::read_file(stem), "first bad");
    EXPECT_EQ(test::read_file(stem + "-1"), "second bad");

    // Another copy takes the next name between our look and our rename: ours goes further.
    test::write_file(path, "third bad");
    files.before_step = [&](Step step) {
        if (step == Step::RenameAside && !fs::exists(stem + "-2")) {
            test::write_file(stem + "-2", "the other copy's");
        }
        return true;
    };
    EXPECT_EQ(files.set_aside(path, error), fs::path(stem + "-3")) << error;
    EXPECT_EQ(test::read_file(stem + "-2"), "the other copy's");
    EXPECT_EQ(test::read_file(stem + "-3"), "third bad");

    EXPECT_TRUE(files.set_aside(path, error).empty());  // nothing there to set aside
    EXPECT_FALSE(error.empty());
}

// A FIFO (or a device) under the name must not hold the game at its start: reading it fails at
// once. Run in a child that an alarm kills, so that a hang fails the test instead of stalling it.
TEST(SafeFileDeathTest, ReadingAFifoFailsAtOnceInsteadOfWaitingForAWriter) {
    test::TempFolder folder;
    const fs::path path = folder.path / "records.txt";
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_EXIT(
        {
            alarm(5);
            SafeFile files;
            std::string contents;
            std::string error;
            const bool refused = files.read(path, 100, contents, error) == ReadResult::Failed &&
                                 error.find("not a regular file") != std::string::npos;
            std::exit(refused ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    SafeFile files;
    std::string error;
    EXPECT_TRUE(files.write(path, "x\n", error)) << error;  // replaced, never opened
    EXPECT_EQ(test::read_file(path), "x\n");
}

// The temporary's name is guessable: whatever sits there, a symlink to another file or a file
// of another copy, is neither written through nor reused.
TEST(SafeFile, WhatSitsAtTheTemporaryNameIsNeitherFollowedNorReused) {
    for (const bool symlink : {true, false}) {
        SCOPED_TRACE(symlink ? "symlink" : "file");
        test::TempFolder folder;
        const fs::path path = folder.path / "records.txt";
        const fs::path victim = folder.path / "victim";
        const fs::path in_the_way =
            folder.path / (".records.txt." + std::to_string(getpid()) + ".tmp");
        test::write_file(victim, "not ours");
        if (symlink) {
            fs::create_symlink(victim, in_the_way);
        } else {
            test::write_file(in_the_way, "not ours");
        }
        SafeFile files;
        std::string error;
        ASSERT_TRUE(files.write(path, "records\n", error)) << error;
        EXPECT_EQ(test::read_file(path), "records\n");
        EXPECT_FALSE(fs::is_symlink(path));
        EXPECT_EQ(test::read_file(victim), "not ours");
        EXPECT_EQ(test::read_file(in_the_way), "not ours");
        EXPECT_EQ(fs::is_symlink(in_the_way), symlink);
    }
}

// What a crash left between create and rename goes with the next write; nothing else does.
TEST(SafeFile, AWriteRemovesStaleTemporariesOfItsOwnFileAndNothingElse) {
    using std::chrono::minutes;
    struct Case {
        const char* name;
        minutes age;
        bool removed;
    };
    const std::vector<Case> cases = {
        {".records.txt.4242.tmp", minutes(60), true},
        {".records.txt.4242-3.tmp", minutes(60), true},
        {".records.txt.4243.tmp", minutes(1), false},  // maybe another copy's, writing now
        {".records.txt.notes.tmp", minutes(60), false},
        {".records.txt.4242.tmp.old", minutes(60), false},
        {".records.txt.-1.tmp", minutes(60), false},
        {".settings.txt.4242.tmp", minutes(60), false},  // another file's: its own write
        {"records.txt.4242.tmp", minutes(60), false},
        {"mine.tmp", minutes(60), false},
    };
    test::TempFolder folder;
    const auto now = fs::file_time_type::clock::now();
    for (const Case& c : cases) {
        test::write_file(folder.path / c.name, "x");
        fs::last_write_time(folder.path / c.name, now - c.age);
    }
    SafeFile files;
    std::string error;
    ASSERT_TRUE(files.write(folder.path / "records.txt", "records\n", error)) << error;
    for (const Case& c : cases) {
        EXPECT_EQ(fs::exists(folder.path / c.name), !c.removed) << c.name;
    }
}

TEST(SafeFile, DefaultTimestampIsCompactUtc) {
    test::TempFolder folder;
    const fs::path path = folder.path / "settings.txt";
    test::write_file(path, "x");
    SafeFile files;
    std::string error;
    const std::string name = files.set_aside(path, error).filename().string();
    ASSERT_EQ(name.size(), std::string("settings.txt.bad-20261208T074600Z").size()) << name;
    EXPECT_EQ(name.substr(0, 17), "settings.txt.bad-");
    EXPECT_EQ(name[25], 'T');
    EXPECT_EQ(name.back(), 'Z');
}

// Tests run as root, where permissions stop nothing: a regular file in the way does.
TEST(SafeFile, AFolderUnderARegularFileCannotBeMadeOrWritten) {
    test::TempFolder folder;
    SafeFile files;
    std::string error;
    EXPECT_TRUE(files.make_folder(folder.path / "a" / "b", error)) << error;
    EXPECT_TRUE(files.make_folder(folder.path / "a" / "b", error)) << error;
    test::write_file(folder.path / "plain", "x");
    EXPECT_FALSE(files.make_folder(folder.path / "plain" / "burrowgale", error));
    EXPECT_NE(error.find("plain"), std::string::npos) << error;
    EXPECT_FALSE(files.write(folder.path / "plain" / "records.txt", "x\n", error));
    EXPECT_EQ(test::read_file(folder.path / "plain"), "x");
}

}  // namespace
