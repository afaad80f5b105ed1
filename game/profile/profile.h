// What the game keeps for its player between runs: the records and the settings, with the
// folders they live in. Owned by main and lent to the screens. Nothing here ever stops the
// game: a file or folder that cannot be used gives one line on stderr and play goes on.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/file_lock.h"
#include "engine/safe_file.h"
#include "game/profile/records.h"
#include "game/profile/settings.h"

// Milliseconds since 1970, UTC, from the system's clock.
int64_t system_unix_ms();

class Profile {
public:
    static constexpr const char* kRecordsFile = "records.txt";
    static constexpr const char* kSettingsFile = "settings.txt";
    // Every copy of the game takes it before it reads, merges or writes the records and their
    // replays; held for one finished game at most.
    static constexpr const char* kLockFile = "burrowgale.lock";
    // How long to wait for another copy's save before going on without the lock.
    static constexpr std::chrono::seconds kLockPatience{10};

    // What adding a finished game to the records gave.
    struct Outcome {
        Record record;            // as stored, its date filled in
        double best_depth = 0.0;  // the best so far, this game included
        double best_length = 0.0;
        bool new_best_depth = false;  // this game beat the best before it
        bool new_best_length = false;
        std::vector<Record> dropped;  // records that left the table (maybe this one)
    };

    // No folders: records and settings live for this run only and nothing is written.
    Profile() = default;
    // Loads the records from `data_folder` and the settings from `config_folder`.
    Profile(std::filesystem::path data_folder, std::filesystem::path config_folder);

    // Reads the settings file again over the defaults (used at start).
    void load_settings();
    void load_records();

    // Holds the data folder's lock for as long as it lives; holds taken inside another share
    // the first. When the lock cannot be had there is one warning, files are still written
    // (atomically), but nothing of another copy's is removed.
    class Hold {
    public:
        explicit Hold(Profile& profile);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        Profile& profile;
    };
    bool holds_lock() const { return lock.held(); }

    // Stores a finished game, under the lock. Reads the file again first and merges, so that a
    // second copy of the game running at the same time loses nothing.
    Outcome add_result(Record record);
    // Writes the settings; false (after one warning) when they could not be saved.
    bool save_settings();

    std::filesystem::path records_path() const;
    std::filesystem::path settings_path() const;

    std::filesystem::path data_folder;    // empty: nothing kept
    std::filesystem::path config_folder;  // empty: nothing kept
    SafeFile files;                       // every write of player data goes through it
    Records records;
    Settings settings;
    // Milliseconds since 1970, UTC: when a game ended, what day it is. Replaceable for tests.
    std::function<int64_t()> clock;
    int64_t now_ms() const { return clock ? clock() : system_unix_ms(); }
    // Each warning given, as printed on stderr.
    std::vector<std::string> warnings;
    // How long to wait for the data folder's lock; shortened by tests.
    std::chrono::milliseconds lock_patience = kLockPatience;
    // Records that left a table read whole from the file, which was then written without them:
    // their replays are to go. Filled by add_result, emptied by whoever removes the replays.
    std::vector<Record> left_table;

private:
    // Whole: the file was read in full, or there is none. SetAside: it could not be understood
    // and was kept aside, so `out` starts a new table. Unreadable: it exists but could not be
    // read, and must not be written over.
    enum class Loaded : int { Whole, SetAside, Unreadable };
    void warn(const std::string& line);
    // Reads the records file into `out`; a bad file is set aside.
    Loaded read_records(std::vector<Record>& out);
    bool ready_folder(const std::filesystem::path& folder, bool& warned);

    bool settings_had_problems = false;  // set the old file aside before replacing it
    bool settings_unreadable = false;
    bool warned_data_folder = false;
    bool warned_config_folder = false;
    FileLock lock;
    int holds = 0;  // Holds alive; the lock is taken by the first and let go by the last
};
