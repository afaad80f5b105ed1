// Whether a submitted replay is a legal game of a date's daily dig: the game's own parser reads
// it, and the game's own rules play it again. The server ranks only what this computes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "game/world/daily.h"

struct CheckedRun {
    enum class Verdict {
        Verified,        // the rules reproduce the recording exactly
        NotAReplay,      // the parser refused it
        WrongSeed,       // a game of another world than the date's
        UnknownVersion,  // recorded by a game whose rules this server does not have
        Differs,         // the recording claims a result its inputs do not give
    };
    Verdict verdict = Verdict::NotAReplay;
    std::string detail;  // one phrase for the answer when not verified
    double depth = 0.0;  // as replayed here (verified runs)
    double length = 0.0;
    bool assisted = false;  // played with assists: kept, but never ranked
};

// Parses and replays. The parser's caps bound the time and memory a replay can take.
CheckedRun check_run(const daily::Date& date, const uint8_t* data, std::size_t size);
