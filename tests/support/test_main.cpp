// Every test program starts here: SDL must never reach for a real display or sound card, and
// nothing may reach the real home folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/support/headless.h"

int main(int argc, char** argv) {
    headless::pin_dummy_drivers();
    // A home of its own for the whole program, so that no test can touch the player's records
    // or settings even by mistake. Tests that look at the folders make their own on top.
    std::string pattern =
        (std::filesystem::temp_directory_path() / "burrowgale-home-XXXXXX").string();
    const char* home = mkdtemp(pattern.data());
    if (home == nullptr) return 1;
    setenv("HOME", home, 1);
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    return status;
}
