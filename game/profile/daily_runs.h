// The daily dig as kept on this install, under the data folder: "daily/daily.txt", one line
// per day on which a daily game was started here, and "daily/YYYY-MM-DD.replay", that day's
// ranked run. The first daily game of a day is its ranked run: the line is written when it
// starts, so that quitting or crashing mid-game still uses the try. Every change is made under
// the profile's lock, over the file as another copy of the game may have left it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "game/profile/profile.h"
#include "game/world/daily.h"
#include "game/world/replay.h"

struct DailyRun {
    // In the order a ranked run goes through them: of two copies' word on a day, the later
    // state wins. Pending: ended, to be sent. Sent, Refused (by the server, for good) and
    // Expired (not sent within the day's grace) are final.
    enum class State : int { Started = 0, Pending, Sent, Refused, Expired };

    daily::Date date;
    State state = State::Started;
    double depth = 0.0;  // metres, once ended
    double length = 0.0;
    int rank = 0;  // once Sent: "rank of of"
    int of = 0;
    std::string note;  // once Refused: the server's reason
    bool operator==(const DailyRun&) const = default;
};

class DailyRuns {
public:
    static constexpr const char* kFolder = "daily";
    static constexpr const char* kLogFile = "daily.txt";
    static constexpr const char* kHeader = "burrowgale daily";
    static constexpr int kVersion = 1;
    static constexpr std::size_t kMaxFileSize = 1024 * 1024;  // some thousands of years of days
    static constexpr std::size_t kMaxNoteLength = 120;

    explicit DailyRuns(Profile& profile);

    // Reads the file; a bad one is set aside with one line.
    void load();

    // Called when a daily game of `date` starts: true, with the day's line written, when it is
    // the day's first here (the ranked run); false for a practice game.
    bool claim(const daily::Date& date);
    // The ranked run of `date` ended: its replay kept, its line Pending with the figures.
    void finish(const daily::Date& date, double depth, double length, const Replay& replay);
    // Stores a later state of a day's run (an answer of the server, say).
    void update(const DailyRun& run);

    // The day's line, or null.
    const DailyRun* find(const daily::Date& date) const;
    // Pending runs still taken at Unix time `now`, and those no longer (to be marked Expired).
    std::vector<DailyRun> due(int64_t now) const;
    std::vector<DailyRun> overdue(int64_t now) const;

    std::filesystem::path log_path() const;
    std::filesystem::path replay_path(const daily::Date& date) const;

    std::string serialise() const;
    // False, with `error` naming the line, for anything but a file this version writes.
    static bool parse(const std::string& text, std::vector<DailyRun>& out, std::string& error);
    // Takes in another copy's lines: for each day the later state.
    void merge(const std::vector<DailyRun>& others);

    Profile& profile;
    std::vector<DailyRun> runs;  // by date

private:
    // Re-reads and merges under the caller's hold; false when the file must not be written.
    bool refresh();
    void save();
    bool file_unreadable = false;
};
