#include "engine/file_lock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "tests/support/support.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// Each FileLock opens the file afresh, so two of them in one process shut each other out as
// two copies of the game do.
TEST(FileLock, OneHolderAtATimeAndTheNextGetsInOnceItLetsGo) {
    test::TempFolder folder;
    const fs::path path = folder.path / "burrowgale.lock";
    FileLock first;
    FileLock second;
    std::string error;
    ASSERT_TRUE(first.acquire(path, milliseconds(0), error)) << error;
    EXPECT_FALSE(second.acquire(path, milliseconds(50), error));
    EXPECT_FALSE(second.held());
    EXPECT_NE(error.find("another copy"), std::string::npos) << error;

    FileLock moved = std::move(first);  // the lock goes with the object
    EXPECT_FALSE(second.acquire(path, milliseconds(0), error));
    moved.release();
    EXPECT_TRUE(second.acquire(path, milliseconds(0), error)) << error;
}

TEST(FileLock, NeverThroughASymlinkNorUnderAFileInTheWay) {
    test::TempFolder folder;
    test::write_file(folder.path / "victim", "data");
    fs::create_symlink(folder.path / "victim", folder.path / "linked.lock");
    test::write_file(folder.path / "plain", "x");
    FileLock lock;
    for (const fs::path& path : {folder.path / "linked.lock", folder.path / "plain" / "a.lock"}) {
        std::string error;
        EXPECT_FALSE(lock.acquire(path, milliseconds(0), error)) << path;
        EXPECT_NE(error.find(path.string()), std::string::npos) << error;
    }
    EXPECT_EQ(test::read_file(folder.path / "victim"), "data");
}

}  // namespace
