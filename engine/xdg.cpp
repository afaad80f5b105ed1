#include "engine/xdg.h"

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

bool usable(const char* value) { return value != nullptr && value[0] == '/'; }

}  // namespace

fs::path Util::xdg_folder(const char* xdg_value, const char* home, const std::string& fallback,
                          const std::string& app) {
    if (usable(xdg_value)) return fs::path(xdg_value) / app;
    if (usable(home)) return fs::path(home) / fallback / app;
    return {};
}

fs::path Util::data_folder(const std::string& app) {
    return xdg_folder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"), ".local/share", app);
}

fs::path Util::config_folder(const std::string& app) {
    return xdg_folder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"), ".config", app);
}
