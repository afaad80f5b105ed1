#include "game/app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CommandLine parse(std::vector<std::string> args) { return CommandLine::parse(args); }

TEST(CommandLine, NothingGivenChangesNothing) {
    const CommandLine line = parse({});
    EXPECT_TRUE(line.error.empty());
    EXPECT_FALSE(line.help || line.version || line.mute);
    EXPECT_FALSE(line.seed || line.fullscreen || line.scale);
}

TEST(CommandLine, EachOptionIsRead) {
    EXPECT_TRUE(parse({"--help"}).help);
    EXPECT_TRUE(parse({"--version"}).version);
    EXPECT_EQ(parse({"--seed", "42"}).seed, 42u);
    EXPECT_EQ(parse({"--seed=4294967295"}).seed, 4294967295u);
    EXPECT_EQ(parse({"--seed", "0"}).seed, 0u);
    EXPECT_EQ(parse({"--fullscreen"}).fullscreen, true);
    EXPECT_EQ(parse({"--windowed"}).fullscreen, false);
    EXPECT_EQ(parse({"--fullscreen", "--windowed"}).fullscreen, false);  // the last one counts
    EXPECT_EQ(parse({"--scale", "3"}).scale, 3);
    EXPECT_TRUE(parse({"--mute"}).mute);
    const CommandLine all = parse({"--mute", "--seed=7", "--scale=2", "--fullscreen"});
    EXPECT_TRUE(all.error.empty()) << all.error;
    EXPECT_EQ(all.seed, 7u);
    EXPECT_EQ(all.scale, 2);
}

TEST(CommandLine, BadInputIsNamedInOneLine) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-h"}, "unknown option '-h'"},
        {{"play"}, "unexpected argument 'play'"},
        {{"--seed"}, "--seed needs a value (N)"},
        {{"--seed", "-1"}, "'-1'"},
        {{"--seed", "4294967296"}, "'4294967296'"},
        {{"--seed", "12ab"}, "'12ab'"},
        {{"--seed="}, "''"},
        {{"--scale", "0"}, "--scale needs a whole number from 1 to 8, not '0'"},
        {{"--scale", "9"}, "'9'"},
        {{"--mute=yes"}, "--mute takes no value"},
        {{"--daily-seed", "2026-02-30"}, "--daily-seed needs a date from 2000 to 9999 as "},
        {{"--daily-seed=1999-12-31"}, "'1999-12-31'"},
        {{"--daily-seed", "today"}, "'today'"},
        {{"--server", "dig.example.org"}, "not an http:// or https:// address"},
        {{"--name", "seventeen letters"}, "not 1 to 16 characters"},
        {{"--name"}, "--name needs a value (NAME)"},
    };
    for (const auto& [args, expected] : cases) {
        const CommandLine line = parse(args);
        EXPECT_NE(line.error.find(expected), std::string::npos) << line.error;
        EXPECT_EQ(line.error.find('\n'), std::string::npos);
    }
}

// The date may be left out (today) whether or not other options follow.
TEST(CommandLine, DailySeedTakesADateOrNone) {
    const CommandLine today = parse({"--daily-seed"});
    EXPECT_TRUE(today.daily_seed && !today.daily_date) << today.error;
    const CommandLine before = parse({"--daily-seed", "--mute"});
    EXPECT_TRUE(before.daily_seed && !before.daily_date && before.mute) << before.error;
    for (const auto& args : {std::vector<std::string>{"--daily-seed", "2026-12-09"},
                             std::vector<std::string>{"--daily-seed=2026-12-09"}}) {
        const CommandLine line = parse(args);
        EXPECT_TRUE(line.error.empty()) << line.error;
        EXPECT_EQ(line.daily_date, (daily::Date{2026, 12, 9}));
    }
    const CommandLine server = parse({"--server", "https://dig.example.org", "--name=Mole Rat"});
    EXPECT_EQ(server.server, "https://dig.example.org");
    EXPECT_EQ(server.name, "Mole Rat");
    EXPECT_EQ(parse({"--server", ""}).server, "");  // sending off
}

TEST(CommandLine, UsageListsEveryOption) {
    const std::string usage = CommandLine::usage();
    for (const CommandLine::Option& option : CommandLine::kOptions) {
        EXPECT_NE(usage.find(option.name), std::string::npos) << option.name;
    }
}

TEST(CommandLine, OptionsOverrideTheSettingsForThisRun) {
    Settings settings;
    settings.fullscreen = true;
    settings.music_volume = 6;
    settings.effects_volume = 4;
    const Game::Config plain = parse({}).game_config(settings);
    EXPECT_TRUE(plain.graphics.fullscreen);
    EXPECT_EQ(plain.graphics.scale, 1);
    EXPECT_EQ(plain.graphics.title, "Burrowgale");
    EXPECT_EQ(plain.graphics.width, 1280);
    EXPECT_EQ(plain.audio.music_level, 6);
    EXPECT_EQ(plain.audio.effects_level, 4);
    const Game::Config over = parse({"--windowed", "--scale", "2", "--mute"}).game_config(settings);
    EXPECT_FALSE(over.graphics.fullscreen);
    EXPECT_EQ(over.graphics.scale, 2);
    EXPECT_EQ(over.audio.music_level, 0);
    EXPECT_EQ(over.audio.effects_level, 0);
    EXPECT_TRUE(settings.fullscreen);  // the settings themselves are left alone
}

TEST(CommandLine, RecordingsToReplayOrVerifyAreNamed) {
    EXPECT_EQ(parse({"--replay", "a.replay"}).replay, "a.replay");
    EXPECT_EQ(parse({"--verify=b.replay"}).verify, "b.replay");
    EXPECT_FALSE(parse({"--seed", "1"}).replay || parse({}).verify);
    EXPECT_EQ(parse({"--replay"}).error, "--replay needs a value (FILE)");
    EXPECT_EQ(parse({"--verify="}).error, "--verify needs a file name");
}

}  // namespace
