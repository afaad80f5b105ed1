#include "game/world/daily.h"

#include <cstdio>

namespace daily {

namespace {

bool is_leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap(year) ? 29 : kDays[month - 1];
}

// Reads `count` ASCII digits; -1 when any is not one.
int digits(std::string_view text, std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Floor division: the epoch's days before 1970 round down, not toward zero.
int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

std::optional<Date> parse_date(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
    const Date date{digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2)};
    if (date.year < kFirstYear || date.year > kLastYear) return std::nullopt;  // also -1
    if (date.month < 1 || date.month > 12) return std::nullopt;
    if (date.day < 1 || date.day > days_in_month(date.year, date.month)) return std::nullopt;
    return date;
}

std::string format_date(const Date& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

// The civil-calendar conversions count in eras of 400 years (146097 days), which repeat
// exactly; years start in March so that the leap day comes last.
int64_t days_since_epoch(const Date& date) {
    const int64_t year = date.year - (date.month <= 2 ? 1 : 0);
    const int64_t era = floor_div(year, 400);
    const int64_t year_of_era = year - era * 400;
    const int64_t month_from_march = date.month > 2 ? date.month - 3 : date.month + 9;
    const int64_t day_of_year = (153 * month_from_march + 2) / 5 + date.day - 1;
    const int64_t day_of_era =
        year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;  // 719468: days from 0000-03-01 to 1970-01-01
}

Date date_at(int64_t unix_seconds) {
    const int64_t days = floor_div(unix_seconds, kSecondsPerDay) + 719468;
    const int64_t era = floor_div(days, 146097);
    const int64_t day_of_era = days - era * 146097;
    const int64_t year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const int64_t day_of_year =
        day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const int64_t month_from_march = (5 * day_of_year + 2) / 153;
    const int64_t day = day_of_year - (153 * month_from_march + 2) / 5 + 1;
    const int64_t month = month_from_march < 10 ? month_from_march + 3 : month_from_march - 9;
    const int64_t year = year_of_era + era * 400 + (month <= 2 ? 1 : 0);
    return Date{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

uint32_t seed_of(const Date& date) {
    uint64_t z = static_cast<uint64_t>(days_since_epoch(date)) + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z = z ^ (z >> 31);
    return static_cast<uint32_t>(z & 0xFFFFFFFFull);
}

int64_t day_start(const Date& date) { return days_since_epoch(date) * kSecondsPerDay; }

bool is_open(const Date& date, int64_t now) {
    const int64_t start = day_start(date);
    return now >= start && now < start + kSecondsPerDay + kGraceSeconds;
}

}  // namespace daily
