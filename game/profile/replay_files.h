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

    // Saves a finished game: always as the last game, and as its record's replay when the
    // record made the table. Then removes the replays of records no longer in the table. A
    // failure gives one warning; the game goes on.
    void keep(const Record& record, const Replay& replay);
    // The records' replays that exist, best record first: the candidates for the title's demo.
    std::vector<std::string> by_rank() const;

    Profile& profile;
};
