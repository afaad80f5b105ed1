#include "engine/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

FileLock::~FileLock() { release(); }

FileLock::FileLock(FileLock&& other) noexcept : fd(std::exchange(other.fd, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        fd = std::exchange(other.fd, -1);
    }
    return *this;
}

bool FileLock::acquire(const std::filesystem::path& path, std::chrono::milliseconds patience,
                       std::string& error) {
    release();
    // Never through a symlink: the lock file is ours, and nothing is ever written into it.
    const int opened = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (opened < 0) {
        error = path.string() + ": cannot open the lock file: " + std::strerror(errno);
        return false;
    }
    // Polled rather than blocking, so that the wait has an end; the holder only keeps it for
    // the length of one save.
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (flock(opened, LOCK_EX | LOCK_NB) != 0) {
        const int cause = errno;
        if ((cause != EWOULDBLOCK && cause != EINTR) ||
            std::chrono::steady_clock::now() >= deadline) {
            close(opened);
            error = path.string() + ": " +
                    (cause == EWOULDBLOCK ? std::string("another copy of the game holds it")
                                          : std::string("cannot lock: ") + std::strerror(cause));
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    fd = opened;
    return true;
}

void FileLock::release() {
    if (fd < 0) return;
    flock(fd, LOCK_UN);
    close(fd);
    fd = -1;
}
