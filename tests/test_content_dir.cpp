#include "engine/content_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/support.h"

namespace {

namespace fs = std::filesystem;

// A scratch tree: <root>/work is the working directory (without content/), and the program
// sits in <root>/prefix/bin.
class ContentDir : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(place.content());
        fs::create_directories(work);
        fs::create_directories(exe);
        fs::current_path(work);
    }
    std::string found() { return Util::find_content_dir(exe.string(), "../share/game/content"); }

    test::TempContentDir place;
    fs::path work = place.root / "work";
    fs::path exe = place.root / "prefix" / "bin";
};

TEST_F(ContentDir, InstalledFirstThenWorkingDirectoryThenBesideTheProgram) {
    EXPECT_EQ(found(), "content/");  // nothing anywhere: the usual name for the messages

    // A build folder inside the source tree: the program's folder's parent holds content/.
    fs::create_directories(place.root / "prefix" / "content");
    EXPECT_EQ(found(), (place.root / "prefix" / "content" / "").string());

    fs::create_directories(exe / "content");
    EXPECT_EQ(found(), (exe / "content" / "").string());

    fs::create_directories(work / "content");
    EXPECT_EQ(found(), "content/");

    // Installed: the player's own content/ folder is not the game's.
    fs::create_directories(place.root / "prefix" / "share" / "game" / "content");
    EXPECT_EQ(found(), (place.root / "prefix" / "share" / "game" / "content" / "").string());
}

TEST_F(ContentDir, AbsoluteInstalledFolderAndUnknownProgramFolder) {
    const fs::path installed = place.root / "data";
    fs::create_directories(installed);
    EXPECT_EQ(Util::find_content_dir(exe.string(), installed.string()), (installed / "").string());
    // SDL may not know where the program is: only the working directory is looked at then.
    EXPECT_EQ(Util::find_content_dir("", installed.string()), "content/");
    // A file of that name is not a folder.
    fs::create_directories(work / "x");
    std::ofstream(work / "x" / "content") << "not a folder";
    EXPECT_EQ(Util::find_content_dir((work / "x").string(), ""), "content/");
}

}  // namespace
