// An advisory lock that every copy of a program takes on one file before it reads, merges and
// writes the files it shares with the other copies, so that no two copies interleave there.
// Only cooperating copies are held back: it protects against ourselves, not against a person.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock on `path` (created empty if missing), waiting up to `patience` for a copy
    // that holds it. False with `error` set when it could not be had; then nothing is held.
    bool acquire(const std::filesystem::path& path, std::chrono::milliseconds patience,
                 std::string& error);
    // Lets the next copy in. Also done on destruction, and by the system if the process dies.
    void release();
    bool held() const { return fd >= 0; }

private:
    int fd = -1;
};
