#include "engine/content_dir.h"

#include <SDL.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace Util {

namespace {

constexpr const char* kContent = "content/";

bool is_folder(const std::filesystem::path& path) {
    std::error_code ignored;  // unreadable counts as absent
    return std::filesystem::is_directory(path, ignored);
}

}  // namespace

std::string find_content_dir(const std::string& exe_dir, const std::string& installed) {
    const std::filesystem::path exe(exe_dir);
    // A program in its installed place reads its installed content wherever it was started:
    // a "content/" folder where the player happens to be is not the game's.
    if (!exe_dir.empty() && !installed.empty() && std::filesystem::path(installed).is_relative() &&
        is_folder(exe / installed)) {
        return ((exe / installed).lexically_normal() / "").string();
    }
    if (is_folder(kContent)) return kContent;
    if (exe_dir.empty()) return kContent;
    std::vector<std::filesystem::path> candidates = {exe / "content", exe / ".." / "content"};
    if (!installed.empty()) candidates.push_back(exe / installed);  // an absolute one replaces exe
    for (const std::filesystem::path& candidate : candidates) {
        if (is_folder(candidate)) return (candidate.lexically_normal() / "").string();
    }
    return kContent;
}

std::string find_content_dir(const std::string& installed) {
    std::string exe_dir;
    if (char* base = SDL_GetBasePath()) {
        exe_dir = base;
        SDL_free(base);
    }
    return find_content_dir(exe_dir, installed);
}

}  // namespace Util
