#include "engine/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string_view>
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

constexpr int kTemporaryTries = 100;
constexpr int kAsideTries = 1000;

// ".<name>.<pid>.tmp", or ".<name>.<pid>-<n>.tmp" when that was taken.
std::string temporary_name(const fs::path& path, pid_t pid, int n) {
    return "." + path.filename().string() + "." + std::to_string(pid) +
           (n == 0 ? std::string() : "-" + std::to_string(n)) + ".tmp";
}

bool all_digits(std::string_view text) {
    return !text.empty() && text.size() <= 10 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether `name` is one of temporary_name's for the file that `prefix` (".<name>.") starts.
bool is_temporary_name(std::string_view name, std::string_view prefix) {
    constexpr std::string_view kSuffix = ".tmp";
    if (name.size() <= prefix.size() + kSuffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(kSuffix)) {
        return false;
    }
    std::string_view middle = name.substr(prefix.size());
    middle.remove_suffix(kSuffix.size());
    const std::size_t dash = middle.find('-');
    if (dash == std::string_view::npos) return all_digits(middle);
    return all_digits(middle.substr(0, dash)) && all_digits(middle.substr(dash + 1));
}

// Renames `from` to `to` unless `to` exists: 0, or the errno (EEXIST when the name is taken).
int rename_without_replacing(const fs::path& from, const fs::path& to) {
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
    // File systems without the flag: a hard link is as exclusive, then the old name goes.
    if (link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return 0;
    }
    if (errno == EEXIST || errno == ENOENT) return errno;
    // No hard links either (a browser's storage): there no second process shares the folder,
    // so a check before the rename is enough.
    std::error_code ec;
    if (fs::exists(to, ec) || ec) return ec ? ec.value() : EEXIST;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// Closes a descriptor on every path out of a read.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) close(fd);
    }
};

// Closes the stream on every path out of a write.
struct StreamCloser {
    void operator()(std::FILE* file) const {
        if (file != nullptr) std::fclose(file);
    }
};

}  // namespace

bool SafeFile::write(const fs::path& path, const std::string& contents, std::string& error) const {
    const auto allowed = [&](Step step) { return !before_step || before_step(step); };
    remove_stale_temporaries(path);
    fs::path temporary;
    const auto give_up = [&](const char* what, int error_number) {
        error = describe(path, what, error_number);
        std::error_code ignored;
        if (!temporary.empty()) fs::remove(temporary, ignored);
        return false;
    };

    // Same folder, so that the rename stays on one file system and is atomic. Created afresh:
    // never through a symlink, never into a file that is already there (another copy's, or a
    // crashed one's with our process id), so the next free counter is taken instead.
    errno = 0;
    int fd = -1;
    if (allowed(Step::Create)) {
        for (int n = 0; fd < 0 && n < kTemporaryTries; ++n) {
            const fs::path candidate = path.parent_path() / temporary_name(path, getpid(), n);
            fd =
                open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd >= 0)
                temporary = candidate;
            else if (errno != EEXIST)
                break;
        }
    }
    std::FILE* raw = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (raw == nullptr) {
        const int cause = errno ? errno : EIO;
        if (fd >= 0) close(fd);
        return give_up("cannot create a temporary file", cause);
    }
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
    // Non-blocking, so that a FIFO or a device under the name cannot hold the game: only the
    // type check below decides, before a single byte is read.
    errno = 0;
    const Descriptor owner{open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    const int fd = owner.fd;
    if (fd < 0) {
        if (errno == ENOENT) return ReadResult::Missing;
        error = describe(path, "cannot open", errno);
        return ReadResult::Failed;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0) {
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
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            const int cause = errno;
            contents.clear();
            error = describe(path, "cannot read", cause);
            return ReadResult::Failed;
        }
        if (contents.size() + static_cast<std::size_t>(got) > cap) {
            contents.clear();
            error = path.string() + ": more than " + std::to_string(cap) + " bytes";
            return ReadResult::TooBig;
        }
        contents.append(buffer, static_cast<std::size_t>(got));
    }
    return ReadResult::Ok;
}

fs::path SafeFile::set_aside(const fs::path& path, std::string& error) const {
    const std::string stem = path.string() + ".bad-" + (timestamp ? timestamp() : utc_now());
    // Never replace an earlier bad file: it is somebody's data too. The name is taken by the
    // rename itself, so that another copy setting a file aside at the same moment cannot slip
    // in between a check and the rename.
    for (int n = 0; n <= kAsideTries; ++n) {
        const fs::path target = n == 0 ? fs::path(stem) : fs::path(stem + "-" + std::to_string(n));
        if (before_step && !before_step(Step::RenameAside)) {
            error = describe(path, "cannot rename it aside", EIO);
            return {};
        }
        const int cause = rename_without_replacing(path, target);
        if (cause == 0) {
            if (after_change) after_change(target);
            return target;
        }
        if (cause != EEXIST) {
            error = describe(path, "cannot rename it aside", cause);
            return {};
        }
    }
    error = path.string() + ": cannot find a free name to keep it under";
    return {};
}

void SafeFile::remove_stale_temporaries(const fs::path& path) const {
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    const std::string prefix = "." + path.filename().string() + ".";
    const auto now = fs::file_time_type::clock::now();
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!is_temporary_name(name, prefix)) continue;
        // Only plain files of our own naming, untouched for long: a write takes moments, so
        // such a file is what a crash (or a lost power) left between create and rename.
        std::error_code probe;
        if (!it->is_regular_file(probe) || it->is_symlink(probe)) continue;
        const auto written = it->last_write_time(probe);
        if (probe || now - written < kStaleTemporaryAge) continue;
        fs::remove(it->path(), probe);
    }
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
