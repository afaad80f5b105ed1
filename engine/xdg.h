// Where a desktop program keeps its files, by the XDG base directory rules: the player's data
// (records, replays) and configuration (settings) each in a folder named after the program.
#pragma once

#include <filesystem>
#include <string>

namespace Util {

// The folder for `app` under the base named by `xdg_value` (an XDG_* variable's value, or null
// when unset) or, failing that, `home` joined with `fallback` (".local/share", ".config").
// Relative values are ignored, as the rules say. Empty when neither gives an absolute path.
std::filesystem::path xdg_folder(const char* xdg_value, const char* home,
                                 const std::string& fallback, const std::string& app);

// From the environment: $XDG_DATA_HOME/app, else ~/.local/share/app.
std::filesystem::path data_folder(const std::string& app);
// From the environment: $XDG_CONFIG_HOME/app, else ~/.config/app.
std::filesystem::path config_folder(const std::string& app);

}  // namespace Util
