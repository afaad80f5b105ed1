#include "game/profile/records.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <sstream>

namespace {

// Beyond these no game of ours gets: a value past them was not written by us.
constexpr double kMaxDepth = 1.0e7;     // metres
constexpr double kMaxLength = 1.0e7;    // centimetres
constexpr double kMaxPlayTime = 1.0e9;  // seconds, some thirty years
constexpr std::size_t kMaxLineLength = 256;

// A whole number of 32 bits in plain decimal.
bool read_u32(const std::string& text, uint32_t& out) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t value = 0;
    const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (fault != std::errc() || end != text.data() + text.size()) return false;
    if (value > UINT32_MAX) return false;
    out = static_cast<uint32_t>(value);
    return true;
}

int digits(const std::string& text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// One line: "depth=1.25 length=3.5 date=2026-12-08T07:46:00.123Z seed=42 play_time=61.5", and
// for an assisted game "speed=70" or "one_switch=1" or both after it.
bool parse_record(const std::string& line, Record& record, std::string& why) {
    std::istringstream fields(line);
    std::map<std::string, std::string> values;
    std::string field;
    while (fields >> field) {
        const auto equals = field.find('=');
        if (equals == std::string::npos || equals == 0) {
            why = "'" + field + "' is not name=value";
            return false;
        }
        const std::string name = field.substr(0, equals);
        if (!values.emplace(name, field.substr(equals + 1)).second) {
            why = name + " given twice";
            return false;
        }
    }
    for (const char* name : {"depth", "length", "date", "seed", "play_time"}) {
        if (values.count(name) == 0) {
            why = std::string("no ") + name;
            return false;
        }
    }
    const std::size_t marks = values.count("speed") + values.count("one_switch");
    if (values.size() != 5 + marks) {
        why = "unknown fields";
        return false;
    }
    if (!read_figure(values["depth"], kMaxDepth, record.depth)) {
        why = "impossible depth '" + values["depth"] + "'";
        return false;
    }
    if (!read_figure(values["length"], kMaxLength, record.length)) {
        why = "impossible length '" + values["length"] + "'";
        return false;
    }
    if (!valid_iso_date(values["date"])) {
        why = "impossible date '" + values["date"] + "'";
        return false;
    }
    record.date = values["date"];
    if (!read_u32(values["seed"], record.seed)) {
        why = "impossible seed '" + values["seed"] + "'";
        return false;
    }
    if (!read_figure(values["play_time"], kMaxPlayTime, record.play_time)) {
        why = "impossible play time '" + values["play_time"] + "'";
        return false;
    }
    if (values.count("speed") != 0) {
        const std::string& speed = values["speed"];
        uint32_t percent = 0;
        if (!read_u32(speed, percent) || !Assists::valid_speed(percent)) {
            why = "impossible speed '" + speed + "'";
            return false;
        }
        record.assists.speed = static_cast<int>(percent);
    }
    if (values.count("one_switch") != 0) {
        if (values["one_switch"] != "1") {
            why = "impossible one_switch '" + values["one_switch"] + "'";
            return false;
        }
        record.assists.one_switch = true;
    }
    return true;
}

}  // namespace

std::string figure_text(double value) {
    char text[40];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

bool read_figure(const std::string& text, double limit, double& out) {
    if (text.empty() || text.size() > 32) return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+')) {
            return false;
        }
    }
    if (text[0] == '-' || text[0] == '+') return false;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value)) return false;
    if (value < 0.0 || value > limit) return false;
    out = value;
    return true;
}

std::string Record::id() const {
    std::string compact;
    for (const char c : date) {
        if (c != '-' && c != ':' && c != '.') compact += c;
    }
    return compact + "-" + std::to_string(seed);
}

std::string iso_date(int64_t unix_ms) {
    if (unix_ms < 0) unix_ms = 0;
    const std::time_t seconds = static_cast<std::time_t>(unix_ms / 1000);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[80];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                  static_cast<int>(unix_ms % 1000));
    return text;
}

bool valid_iso_date(const std::string& date) {
    // Exactly the form iso_date writes: YYYY-MM-DDTHH:MM:SS.mmmZ.
    if (date.size() != 24) return false;
    if (date[4] != '-' || date[7] != '-' || date[10] != 'T' || date[13] != ':' || date[16] != ':' ||
        date[19] != '.' || date[23] != 'Z') {
        return false;
    }
    const int year = digits(date, 0, 4);
    const int month = digits(date, 5, 2);
    const int day = digits(date, 8, 2);
    const int hour = digits(date, 11, 2);
    const int minute = digits(date, 14, 2);
    const int second = digits(date, 17, 2);
    const int milli = digits(date, 20, 3);
    if (year < 1970 || month < 1 || month > 12 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59 || milli < 0) {
        return false;
    }
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int month_days = kDays[month - 1] + (month == 2 && leap(year) ? 1 : 0);
    return day >= 1 && day <= month_days;
}

bool Records::ranks_above(const Record& a, const Record& b) {
    if (a.depth != b.depth) return a.depth > b.depth;
    if (a.length != b.length) return a.length > b.length;
    if (a.date != b.date) return a.date < b.date;  // same form throughout: text order is time
    // Only for a total order between records that tie on everything that counts.
    if (a.seed != b.seed) return a.seed < b.seed;
    return a.play_time < b.play_time;
}

std::vector<Record> Records::add(const Record& record) { return merge({record}); }

std::vector<Record> Records::merge(const std::vector<Record>& others) {
    std::vector<Record> all = table;
    for (const Record& other : others) {
        if (std::find(all.begin(), all.end(), other) == all.end()) all.push_back(other);
    }
    std::stable_sort(all.begin(), all.end(), ranks_above);
    std::vector<Record> dropped;
    if (all.size() > kKept) {
        dropped.assign(all.begin() + static_cast<std::ptrdiff_t>(kKept), all.end());
        all.resize(kKept);
    }
    table = std::move(all);
    return dropped;
}

double Records::best_depth() const {
    double best = 0.0;
    for (const Record& r : table) best = std::max(best, r.depth);
    return best;
}

double Records::best_length() const {
    double best = 0.0;
    for (const Record& r : table) best = std::max(best, r.length);
    return best;
}

std::string Records::serialise() const {
    std::string text = std::string(kHeader) + " " + std::to_string(kVersion) + "\n";
    for (const Record& r : table) {
        text += "depth=" + figure_text(r.depth) + " length=" + figure_text(r.length) +
                " date=" + r.date + " seed=" + std::to_string(r.seed) +
                " play_time=" + figure_text(r.play_time);
        if (r.assists.speed != Assists::kNormal)
            text += " speed=" + std::to_string(r.assists.speed);
        if (r.assists.one_switch) text += " one_switch=1";
        text += "\n";
    }
    return text;
}

bool Records::parse(const std::string& text, std::vector<Record>& out, std::string& error) {
    out.clear();
    std::vector<Record> read;
    if (!parse_lines(text, read, error)) return false;
    out = std::move(read);
    return true;
}

bool Records::parse_lines(const std::string& text, std::vector<Record>& out, std::string& error) {
    // Every line we write ends in a newline: a file without one was cut off.
    if (text.empty() || text.back() != '\n') {
        error = text.empty() ? "empty" : "cut off (no end of line at the end)";
        return false;
    }
    std::size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        const std::string where = "line " + std::to_string(number) + ": ";
        if (line.size() > kMaxLineLength) {
            error = where + "too long";
            return false;
        }
        if (number == 1) {
            const std::string header = std::string(kHeader) + " ";
            if (line.compare(0, header.size(), header) != 0) {
                error = where + "not a records file";
                return false;
            }
            const std::string version = line.substr(header.size());
            if (version != std::to_string(kVersion)) {
                error = where + "version '" + version + "', this game reads version " +
                        std::to_string(kVersion);
                return false;
            }
            continue;
        }
        Record record;
        std::string why;
        if (!parse_record(line, record, why)) {
            error = where + why;
            return false;
        }
        out.push_back(record);
        if (out.size() > kKept) {
            error = where + "more than " + std::to_string(kKept) + " records";
            return false;
        }
    }
    return true;
}
