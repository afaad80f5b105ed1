// The program's options: "--seed N", "--fullscreen" and the rest. They change this run only,
// except --server and --name, which set the leaderboard's settings and save them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/game.h"
#include "game/profile/settings.h"
#include "game/world/daily.h"

class CommandLine {
public:
    // One option. The table below is the whole parser: a new option is a new row (and a field).
    struct Option {
        const char* name;  // "--seed"
        // "N" when the option takes a value, else null; in brackets ("[DATE]") when the value
        // may be left out.
        const char* value_name;
        const char* help;  // one line for the usage
        // Stores the value or sets the flag; returns what is wrong with the value, or "".
        std::string (*apply)(CommandLine& line, const std::string& value);
    };
    static const std::vector<Option> kOptions;
    static constexpr int kMaxScale = 8;

    // Reads the arguments after the program's name. Values come as "--seed 42" or
    // "--seed=42". On bad input `error` holds one line naming the culprit.
    static CommandLine parse(const std::vector<std::string>& args);
    static std::string usage();

    // The configuration for this run: the settings, then the options over them.
    Game::Config game_config(const Settings& settings) const;

    bool help = false;
    bool version = false;
    std::optional<uint32_t> seed;
    std::optional<bool> fullscreen;
    std::optional<int> scale;
    bool mute = false;
    std::optional<std::string> replay;      // a recording to play back in the window
    std::optional<std::string> verify;      // a recording to check headless
    bool daily_seed = false;                // print a day's seed and exit
    std::optional<daily::Date> daily_date;  // that day; none: today
    std::optional<std::string> server;      // the leaderboard_url to save
    std::optional<std::string> name;        // the player_name to save
    std::string error;                      // empty when every argument was understood
};
