// Reading and writing a player's files so that a crash, a full disk or a second copy of the game
// never leaves half a file behind, and a file that cannot be understood is kept, not replaced.
// Every save of player data goes through one SafeFile, so its hooks see them all.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

class SafeFile {
public:
    // The steps of an atomic write, in the order they happen.
    // RenameAside is asked before each attempt of set_aside's rename.
    enum class Step : int { Create, Write, Flush, Sync, Rename, SyncFolder, RenameAside };

    // A temporary file of ours untouched this long was left by a crash; the next write in its
    // folder removes it.
    static constexpr std::chrono::minutes kStaleTemporaryAge{10};

    enum class ReadResult : int {
        Ok,       // `contents` holds the whole file
        Missing,  // there is no such file: nothing to read, nothing to protect
        TooBig,   // larger than the cap: not data we wrote, so not loaded
        Failed,   // it exists but could not be read; never write over it
    };

    // Writes `contents` to a new temporary file in the same folder, flushes and syncs it,
    // renames it over `path` and syncs the folder; first removes stale temporaries of `path`. False
    // with `error` set when a step failed; the old file is then untouched unless the failure came
    // after the rename.
    bool write(const std::filesystem::path& path, const std::string& contents,
               std::string& error) const;

    // Reads the whole file into `contents`, refusing files above `cap` bytes before allocating
    // and anything but a regular file (a FIFO, a device) before reading from it.
    ReadResult read(const std::filesystem::path& path, std::size_t cap, std::string& contents,
                    std::string& error) const;

    // Renames a file that could not be understood to "<name>.bad-<UTC timestamp>" (with a
    // counter if that exists; never over an existing file) and returns the new path, or an
    // empty path with `error` set.
    std::filesystem::path set_aside(const std::filesystem::path& path, std::string& error) const;

    // Creates the folder and its parents; true if it exists afterwards.
    bool make_folder(const std::filesystem::path& folder, std::string& error) const;

    // Asked before every step of a write and every rename of set_aside; false makes that step
    // fail as if the system had refused it. Tests break writes between steps through it, and
    // play the other copy of the game there.
    std::function<bool(Step)> before_step;
    // Told of every file written or set aside, once it is in place: storage that needs an
    // explicit copy to last (a browser's) hooks in here.
    std::function<void(const std::filesystem::path&)> after_change;
    // The UTC time used in the names of set-aside files, "YYYYMMDDTHHMMSSZ"; replaceable so
    // that tests can make two names collide.
    std::function<std::string()> timestamp;

private:
    void remove_stale_temporaries(const std::filesystem::path& path) const;
};
