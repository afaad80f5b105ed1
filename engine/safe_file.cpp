#include "engine/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string describe(const fs::path& path, const char* what, int error_number) {
    return path.string() + ": " + what + ": " + std::strerror(error_number);
}

std::string utc_now() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &parts);
    return text;
}

// Closes the stream on every path out of a write.
struct StreamCloser {
    void operator()(std::FILE* file) const {
        if (file != nullptr) std::fclose(file);
    }
};

}  // namespace

bool SafeFile::write(const fs::path& path, const std::string& contents, std::string& error) const {
    const auto allowed = [&](Step step) { return !before_step || before_step(step); };
    // Same folder, so that the rename stays on one file system and is atomic. The process id
    // keeps two running copies of the game from writing into one temporary file.
    const fs::path temporary = path.parent_path() / ("." + path.filename().string() + "." +
                                                     std::to_string(getpid()) + ".tmp");
    const auto give_up = [&](const char* what, int error_number) {
        error = describe(path, what, error_number);
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    };

    errno = 0;
    std::FILE* raw = allowed(Step::Create) ? std::fopen(temporary.c_str(), "wb") : nullptr;
    if (raw == nullptr) return give_up("cannot create a temporary file", errno ? errno : EIO);
    std::unique_ptr<std::FILE, StreamCloser> file(raw);

    errno = 0;
    if (!allowed(Step::Write) ||
        std::fwrite(contents.data(), 1, contents.size(), file.get()) != contents.size()) {
        return give_up("cannot write", errno ? errno : EIO);
    }
    errno = 0;
    if (!allowed(Step::Flush) || std::fflush(file.get()) != 0) {
        return give_up("cannot flush", errno ? errno : EIO);
    }
    errno = 0;
    if (!allowed(Step::Sync) || fsync(fileno(file.get())) != 0) {
        return give_up("cannot sync", errno ? errno : EIO);
    }
    // A close that fails after a successful sync has still lost nothing, but say so.
    if (std::fclose(file.release()) != 0) return give_up("cannot close", errno ? errno : EIO);
    errno = 0;
    if (!allowed(Step::Rename) || std::rename(temporary.c_str(), path.c_str()) != 0) {
        return give_up("cannot replace the file", errno ? errno : EIO);
    }
    // The rename is only durable once the folder's entry is on disk too.
    errno = 0;
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const int folder_fd =
        allowed(Step::SyncFolder) ? open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    const bool synced = folder_fd >= 0 && fsync(folder_fd) == 0;
    const int sync_errno = errno;
    if (folder_fd >= 0) close(folder_fd);
    if (after_change) after_change(path);
    if (!synced) {
        error = describe(path, "written, but its folder cannot be synced",
                         sync_errno ? sync_errno : EIO);
        return false;
    }
    return true;
}

SafeFile::ReadResult SafeFile::read(const fs::path& path, std::size_t cap, std::string& contents,
                                    std::string& error) const {
    contents.clear();
    errno = 0;
    std::FILE* raw = std::fopen(path.c_str(), "rb");
    if (raw == nullptr) {
        if (errno == ENOENT) return ReadResult::Missing;
        error = describe(path, "cannot open", errno);
        return ReadResult::Failed;
    }
    std::unique_ptr<std::FILE, StreamCloser> file(raw);
    struct stat status {};
    if (fstat(fileno(file.get()), &status) != 0) {
        error = describe(path, "cannot read", errno);
        return ReadResult::Failed;
    }
    if (!S_ISREG(status.st_mode)) {
        error = path.string() + ": not a regular file";
        return ReadResult::Failed;
    }
    if (static_cast<std::size_t>(status.st_size) > cap) {
        error = path.string() + ": " + std::to_string(status.st_size) + " bytes, more than " +
                std::to_string(cap);
        return ReadResult::TooBig;
    }
    // Read in pieces up to the cap: the size may have changed since fstat.
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        if (contents.size() + got > cap) {
            contents.clear();
            error = path.string() + ": more than " + std::to_string(cap) + " bytes";
            return ReadResult::TooBig;
        }
        contents.append(buffer, got);
    }
    if (std::ferror(file.get())) {
        contents.clear();
        error = describe(path, "cannot read", errno ? errno : EIO);
        return ReadResult::Failed;
    }
    return ReadResult::Ok;
}

fs::path SafeFile::set_aside(const fs::path& path, std::string& error) const {
    const std::string stem = path.string() + ".bad-" + (timestamp ? timestamp() : utc_now());
    std::error_code code;
    fs::path target = stem;
    // Never replace an earlier bad file: it is somebody's data too.
    for (int n = 1; fs::exists(target, code) || code; ++n) {
        if (code || n > 1000) {
            error = path.string() + ": cannot find a free name to keep it under";
            return {};
        }
        target = stem + "-" + std::to_string(n);
    }
    if (std::rename(path.c_str(), target.c_str()) != 0) {
        error = describe(path, "cannot rename it aside", errno);
        return {};
    }
    if (after_change) after_change(target);
    return target;
}

bool SafeFile::make_folder(const fs::path& folder, std::string& error) const {
    std::error_code code;
    fs::create_directories(folder, code);
    std::error_code probe;
    if (fs::is_directory(folder, probe)) return true;
    error = folder.string() + ": cannot create the folder" +
            (code ? ": " + code.message() : std::string());
    return false;
}
