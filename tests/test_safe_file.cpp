#include "engine/safe_file.h"

#include <gtest/gtest.h>

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
    SafeFile files;
    files.timestamp = [] { return std::string("20261208T074600Z"); };
    std::string error;
    test::write_file(path, "first bad");
    EXPECT_EQ(files.set_aside(path, error), fs::path(path.string() + ".bad-20261208T074600Z"));
    test::write_file(path, "second bad");
    EXPECT_EQ(files.set_aside(path, error), fs::path(path.string() + ".bad-20261208T074600Z-1"));
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(test::read_file(path.string() + ".bad-20261208T074600Z"), "first bad");
    EXPECT_EQ(test::read_file(path.string() + ".bad-20261208T074600Z-1"), "second bad");

    EXPECT_TRUE(files.set_aside(path, error).empty());  // nothing there to set aside
    EXPECT_FALSE(error.empty());
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
