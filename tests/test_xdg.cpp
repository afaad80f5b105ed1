#include "engine/xdg.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using Util::xdg_folder;

TEST(Xdg, AnAbsoluteXdgValueWinsARelativeOneIsIgnored) {
    EXPECT_EQ(xdg_folder("/data", "/home/p", ".local/share", "burrowgale"), "/data/burrowgale");
    EXPECT_EQ(xdg_folder("data", "/home/p", ".local/share", "burrowgale"),
              "/home/p/.local/share/burrowgale");
    EXPECT_EQ(xdg_folder("", "/home/p", ".config", "burrowgale"), "/home/p/.config/burrowgale");
    EXPECT_EQ(xdg_folder(nullptr, "/home/p", ".config", "burrowgale"),
              "/home/p/.config/burrowgale");
}

TEST(Xdg, NoUsableHomeGivesNoFolder) {
    EXPECT_TRUE(xdg_folder(nullptr, nullptr, ".config", "burrowgale").empty());
    EXPECT_TRUE(xdg_folder("relative", "also/relative", ".config", "burrowgale").empty());
}

TEST(Xdg, ReadsTheEnvironment) {
    setenv("HOME", "/tmp/burrowgale-test-home", 1);
    unsetenv("XDG_DATA_HOME");
    setenv("XDG_CONFIG_HOME", "/tmp/burrowgale-test-config", 1);
    EXPECT_EQ(Util::data_folder("burrowgale"), "/tmp/burrowgale-test-home/.local/share/burrowgale");
    EXPECT_EQ(Util::config_folder("burrowgale"), "/tmp/burrowgale-test-config/burrowgale");
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
