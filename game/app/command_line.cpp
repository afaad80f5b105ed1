#include "game/app/command_line.h"

#include <charconv>

namespace {

// A whole decimal number within [low, high], nothing before or after it.
template <typename T>
bool read_whole(const std::string& text, T low, T high, T& out) {
    T value{};
    const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || fault != std::errc() || end != text.data() + text.size()) return false;
    if (value < low || value > high) return false;
    out = value;
    return true;
}

const CommandLine::Option* find_option(const std::string& name) {
    for (const CommandLine::Option& option : CommandLine::kOptions) {
        if (name == option.name) return &option;
    }
    return nullptr;
}

}  // namespace

const std::vector<CommandLine::Option> CommandLine::kOptions = {
    {"--help", nullptr, "print this help and exit",
     [](CommandLine& line, const std::string&) {
         line.help = true;
         return std::string();
     }},
    {"--version", nullptr, "print the version and exit",
     [](CommandLine& line, const std::string&) {
         line.version = true;
         return std::string();
     }},
    {"--seed", "N", "play the world of seed N (0 to 4294967295) in every game of this run",
     [](CommandLine& line, const std::string& value) {
         uint64_t number = 0;
         if (!read_whole<uint64_t>(value, 0, UINT32_MAX, number)) {
             return "--seed needs a whole number from 0 to 4294967295, not '" + value + "'";
         }
         line.seed = static_cast<uint32_t>(number);
         return std::string();
     }},
    {"--fullscreen", nullptr, "start in fullscreen",
     [](CommandLine& line, const std::string&) {
         line.fullscreen = true;
         return std::string();
     }},
    {"--windowed", nullptr, "start in a window",
     [](CommandLine& line, const std::string&) {
         line.fullscreen = false;
         return std::string();
     }},
    {"--scale", "N", "make the window N times 1280 by 720 (1 to 8)",
     [](CommandLine& line, const std::string& value) {
         int factor = 0;
         if (!read_whole<int>(value, 1, kMaxScale, factor)) {
             return "--scale needs a whole number from 1 to 8, not '" + value + "'";
         }
         line.scale = factor;
         return std::string();
     }},
    {"--mute", nullptr, "no music and no sound effects",
     [](CommandLine& line, const std::string&) {
         line.mute = true;
         return std::string();
     }},
    {"--replay", "FILE", "play a recorded game back (hold a key: 4 times as fast)",
     [](CommandLine& line, const std::string& value) {
         if (value.empty()) return std::string("--replay needs a file name");
         line.replay = value;
         return std::string();
     }},
    {"--verify", "FILE", "check a recorded game headless: exit 0 if it replays as recorded",
     [](CommandLine& line, const std::string& value) {
         if (value.empty()) return std::string("--verify needs a file name");
         line.verify = value;
         return std::string();
     }},
    {"--daily-seed", "[YYYY-MM-DD]", "print the daily dig's seed of the date (UTC; default today)",
     [](CommandLine& line, const std::string& value) {
         line.daily_seed = true;
         if (value.empty()) return std::string();
         line.daily_date = daily::parse_date(value);
         if (line.daily_date) return std::string();
         return "--daily-seed needs a date from " + std::to_string(daily::kFirstYear) + " to " +
                std::to_string(daily::kLastYear) + " as YYYY-MM-DD, not '" + value + "'";
     }},
    {"--server", "URL", "send daily runs to the leaderboard at URL (\"\": send none); saved",
     [](CommandLine& line, const std::string& value) {
         const std::string wrong = Settings::check_leaderboard_url(value);
         if (!wrong.empty()) return "--server: " + wrong;
         line.server = value;
         return std::string();
     }},
    {"--name", "NAME", "your name on the leaderboard (1 to 16 characters); saved",
     [](CommandLine& line, const std::string& value) {
         const std::string wrong = Settings::check_player_name(value);
         if (!wrong.empty()) return "--name: " + wrong;
         line.name = value;
         return std::string();
     }},
};

CommandLine CommandLine::parse(const std::vector<std::string>& args) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        const auto equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        const Option* option = find_option(name);
        if (option == nullptr) {
            line.error = name.rfind("-", 0) == 0 ? "unknown option '" + name + "'"
                                                 : "unexpected argument '" + name + "'";
            return line;
        }
        if (option->value_name == nullptr) {
            if (value) {
                line.error = name + " takes no value";
                return line;
            }
            option->apply(line, "");
            continue;
        }
        // An optional value is the next argument unless that is another option.
        const bool optional_value = option->value_name[0] == '[';
        if (!value && optional_value && (i + 1 >= args.size() || args[i + 1].rfind("-", 0) == 0)) {
            value = "";
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                line.error = name + " needs a value (" + option->value_name + ")";
                return line;
            }
            value = args[++i];
        }
        line.error = option->apply(line, *value);
        if (!line.error.empty()) return line;
    }
    return line;
}

std::string CommandLine::usage() {
    std::string text =
        "Usage: burrowgale [OPTION]...\n"
        "A worm digging through hexagonal earth.\n\n";
    for (const Option& option : kOptions) {
        std::string left = std::string("  ") + option.name;
        if (option.value_name != nullptr) left += std::string(" ") + option.value_name;
        if (left.size() < 18) left.resize(18, ' ');
        text += left + " " + option.help + "\n";
    }
    text +=
        "\nOptions change this run only, but for --server and --name; the settings are changed on "
        "the options screen.\n";
    return text;
}

Game::Config CommandLine::game_config(const Settings& settings) const {
    Game::Config config;
    config.graphics.title = "Burrowgale";
    config.graphics.fullscreen = fullscreen.value_or(settings.fullscreen);
    config.graphics.scale = scale.value_or(1);
    config.graphics.width = 1280;
    config.graphics.height = 720;
    config.audio.music_level = mute ? 0 : settings.music_volume;
    config.audio.effects_level = mute ? 0 : settings.effects_volume;
    return config;
}
