// The table of the best games, as kept in "records.txt": plain text, one game per line, so
// that a player can read and diff it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/world/replay.h"

// One finished game.
struct Record {
    double depth = 0.0;      // metres, the greatest reached
    double length = 0.0;     // centimetres, the greatest reached
    std::string date;        // when it ended, UTC: "2026-12-08T07:46:00.123Z"
    uint32_t seed = 0;       // the world it was played in
    double play_time = 0.0;  // seconds of play, pauses left out
    // The assists it was played with; written only when there were any, so that a table of
    // unassisted games reads as it always did.
    Assists assists;

    // Names what belongs to this record alone (its replay file, say): "20261208T074600123Z-42".
    std::string id() const;
    bool operator==(const Record&) const = default;
};

// A UTC date and time in milliseconds since 1970 as a record writes it; checks the same form.
std::string iso_date(int64_t unix_ms);
bool valid_iso_date(const std::string& date);
// A figure as the player's files write it: the shortest text that reads back as the same double
// ("1.25", not "1.2500000000000000"); and read back: a finite number in [0, limit] in plain
// decimal (no "inf", no hex, no sign).
std::string figure_text(double value);
bool read_figure(const std::string& text, double limit, double& out);

class Records {
public:
    static constexpr std::size_t kKept = 10;
    static constexpr const char* kHeader = "burrowgale records";
    static constexpr int kVersion = 1;
    // Far more than any table we write; anything bigger is not ours.
    static constexpr std::size_t kMaxFileSize = 64 * 1024;

    // Deeper first; at equal depth the longer; then the earlier.
    static bool ranks_above(const Record& a, const Record& b);

    // Adds a game and keeps the best kKept. Returns what dropped out of the table: nothing,
    // one older record, or the new one itself when it did not make it.
    std::vector<Record> add(const Record& record);
    // Takes in another copy's table (the file as another running game left it); a record in
    // both counts once. Returns what dropped out.
    std::vector<Record> merge(const std::vector<Record>& others);

    // The best of the table, 0 when it is empty.
    double best_depth() const;
    double best_length() const;

    std::string serialise() const;
    // Reads a whole file. False, with `error` naming the line and the fault, for anything that
    // is not a table this version writes: garbage, a cut-off file, a later version,
    // impossible values, more than kKept records.
    static bool parse(const std::string& text, std::vector<Record>& out, std::string& error);

    std::vector<Record> table;  // best first, at most kKept

private:
    static bool parse_lines(const std::string& text, std::vector<Record>& out, std::string& error);
};
