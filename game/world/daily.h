// The daily dig: one seed a day for everyone, a pure function of the UTC date, so that the game,
// the page and the leaderboard server agree on it without talking to each other. The formula is
// public (the README gives it) and must never change: every stored daily run depends on it.
//
//     days = days since 1970-01-01 of the proleptic Gregorian date (1970-01-01 is 0)
//     z    = days + 0x9E3779B97F4A7C15                      (64-bit, wrapping)
//     z    = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9
//     z    = (z ^ (z >> 27)) * 0x94D049BB133111EB
//     z    = z ^ (z >> 31)
//     seed = z & 0xFFFFFFFF
//
// That is splitmix64's first output for the state `days`, kept to its low 32 bits.
//
// Nothing here reads a clock: callers pass the time, so that every answer can be tested.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace daily {

struct Date {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to the month's length
    bool operator==(const Date&) const = default;
};

// Years outside this range are refused: a daily dig before the game existed, or after the
// four-digit years run out, is a typo.
constexpr int kFirstYear = 2000;
constexpr int kLastYear = 9999;

constexpr int64_t kSecondsPerDay = 24 * 60 * 60;
// A day's runs are taken until this long after the day ends, so that a run played just before
// midnight, or one that waited for a network, still counts.
constexpr int64_t kGraceSeconds = 48 * 60 * 60;

// Reads exactly "YYYY-MM-DD" (four, two and two digits, nothing before or after) naming a real
// date between kFirstYear and kLastYear. Anything else gives nothing.
std::optional<Date> parse_date(std::string_view text);

// "YYYY-MM-DD".
std::string format_date(const Date& date);

// Days since 1970-01-01 (negative before it); the date must be a real one.
int64_t days_since_epoch(const Date& date);

// The UTC date that the Unix time `seconds` falls on.
Date date_at(int64_t unix_seconds);

// The day's seed (the formula above).
uint32_t seed_of(const Date& date);

// Unix seconds at 00:00 UTC of the date.
int64_t day_start(const Date& date);

// Whether runs of `date` are taken at Unix time `now`: from the day's start until kGraceSeconds
// after its end (the end itself excluded).
bool is_open(const Date& date, int64_t now);

}  // namespace daily
