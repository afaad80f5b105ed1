// The player's recordings, kept beside the records: the last game as "last.replay", and one
// replay per record of the table, named after the record, for as long as the record stays.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "game/profile/profile.h"
#include "game/world/replay.h"

class ReplayFiles {
public:
    static constexpr const char* kLastFile = "last.replay";
    static constexpr const char* kRecordFolder = "replays";

    explicit ReplayFiles(Profile& profile);

    std::filesystem::path last_path() const;
    std::filesystem::path record_path(const Record& record) const;

    // Stores a finished game and its replay under one hold of the data folder's lock, so that
    // another copy of the game cannot remove a replay between this one's two writes: the
    // profile's add_result, then keep.
    Profile::Outcome store(const Record& record, const Replay& replay);
    // Saves a finished game, under the lock: always as the last game, and as its record's
    // replay when the record made the table. Then removes the replays of the records that the
    // profile saw leave a table read whole; nothing else in the folder is ever touched. A
    // failure gives one warning; the game goes on.
    void keep(const Record& record, const Replay& replay);
    // Whether `name` is one that record_path gives: the only files keep ever removes.
    static bool is_record_replay_name(const std::string& name);
    // The records' replays that exist, best record first: the candidates for the title's demo.
    std::vector<std::string> by_rank() const;

    Profile& profile;

private:
    void remove_left_replays();
};
