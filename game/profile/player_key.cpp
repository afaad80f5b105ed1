#include "game/profile/player_key.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/safe_file.h"
#include "engine/util.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kDigits = 32;

std::string new_key() {
    std::string key;
    for (int i = 0; i < 4; ++i) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(Util::random_seed()));
        key += part;
    }
    return key;
}

// Writes the key to a temporary file made for the player alone, then links it into place:
// the link fails if another copy of the game made its key first, and then that one is used.
// False with `error` when it could not be kept; `raced` when another key is there now.
bool create(const fs::path& path, const std::string& key, bool& raced, std::string& error) {
    raced = false;
    const fs::path temporary =
        path.string() + ".new-" + std::to_string(static_cast<long>(getpid()));
    unlink(temporary.c_str());  // one of ours left by a crash
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = temporary.string() + ": " + std::strerror(errno);
        return false;
    }
    const std::string line = key + "\n";
    const bool written =
        write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) && fsync(fd) == 0;
    const int write_errno = errno;
    close(fd);
    if (!written) {
        unlink(temporary.c_str());
        error = temporary.string() + ": " + std::strerror(write_errno);
        return false;
    }
    bool linked = link(temporary.c_str(), path.c_str()) == 0;
    const int link_errno = errno;
    if (!linked && link_errno != EEXIST) {
        // Storage without hard links (a browser's): the rename is still atomic.
        std::error_code ec;
        if (!fs::exists(path, ec)) linked = rename(temporary.c_str(), path.c_str()) == 0;
    }
    unlink(temporary.c_str());
    if (linked) return true;
    raced = link_errno == EEXIST;
    error = path.string() + ": " + std::strerror(link_errno);
    return false;
}

}  // namespace

bool valid_player_key(const std::string& key) {
    if (key.size() != kDigits) return false;
    for (const char c : key) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

std::string player_key(const fs::path& folder, std::string& error) {
    if (folder.empty()) {
        error = "no folder to keep the player key in";
        return "";
    }
    const SafeFile files;
    if (!files.make_folder(folder, error)) return "";
    const fs::path path = folder / kPlayerKeyFile;
    // Two rounds: a key another copy of the game made meanwhile is read in the second.
    for (int round = 0; round < 2; ++round) {
        std::string text;
        switch (files.read(path, 64, text, error)) {
            case SafeFile::ReadResult::Ok:
            case SafeFile::ReadResult::TooBig: {
                if (!text.empty() && text.back() == '\n') text.pop_back();
                if (error.empty() && valid_player_key(text)) return text;
                std::string aside_error;
                const fs::path aside = files.set_aside(path, aside_error);
                if (aside.empty()) {
                    error = path.string() + " is not a player key; " + aside_error;
                    return "";
                }
                std::fprintf(stderr,
                             "burrowgale: %s is not a player key; kept as %s, making a new one\n",
                             path.c_str(), aside.c_str());
                error.clear();
                break;
            }
            case SafeFile::ReadResult::Failed:
                return "";
            case SafeFile::ReadResult::Missing:
                break;
        }
        const std::string key = new_key();
        bool raced = false;
        if (create(path, key, raced, error)) return key;
        if (!raced) return "";
        error.clear();
    }
    error = path.string() + ": could not be made";
    return "";
}
