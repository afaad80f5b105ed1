#include "game/profile/daily_runs.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <system_error>

#include "game/profile/records.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kStateNames[] = {"started", "pending", "sent", "refused", "expired"};
constexpr double kMaxFigure = 1.0e7;  // metres or centimetres: beyond any game of ours
constexpr int kMaxRank = 1000000000;
constexpr std::size_t kMaxLineLength = 512;

bool read_count(const std::string& text, int& out) {
    if (text.empty() || text.size() > 10) return false;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value > kMaxRank) return false;
    out = static_cast<int>(value);
    return true;
}

// "date=2026-12-09 state=sent depth=12.5 length=40 rank=3 of=12 note=text to the end".
bool parse_run(const std::string& line, DailyRun& run, std::string& why) {
    std::string head = line;
    const auto note_at = line.find(" note=");
    if (note_at != std::string::npos) {
        head = line.substr(0, note_at);
        run.note = line.substr(note_at + 6);
        if (run.note.size() > DailyRuns::kMaxNoteLength) {
            why = "note too long";
            return false;
        }
    }
    std::istringstream fields(head);
    std::map<std::string, std::string> values;
    std::string field;
    while (fields >> field) {
        const auto equals = field.find('=');
        if (equals == std::string::npos || equals == 0 ||
            !values.emplace(field.substr(0, equals), field.substr(equals + 1)).second) {
            why = "'" + field + "' is not name=value, or given twice";
            return false;
        }
    }
    const char* names[] = {"date", "state", "depth", "length", "rank", "of"};
    for (const char* name : names) {
        if (values.count(name) == 0) {
            why = std::string("no ") + name;
            return false;
        }
    }
    if (values.size() != std::size(names)) {
        why = "unknown fields";
        return false;
    }
    const auto date = daily::parse_date(values["date"]);
    if (!date) {
        why = "impossible date '" + values["date"] + "'";
        return false;
    }
    run.date = *date;
    const auto* state = std::find(std::begin(kStateNames), std::end(kStateNames), values["state"]);
    if (state == std::end(kStateNames)) {
        why = "no state called '" + values["state"] + "'";
        return false;
    }
    run.state = static_cast<DailyRun::State>(state - std::begin(kStateNames));
    if (!read_figure(values["depth"], kMaxFigure, run.depth) ||
        !read_figure(values["length"], kMaxFigure, run.length) ||
        !read_count(values["rank"], run.rank) || !read_count(values["of"], run.of)) {
        why = "impossible figures";
        return false;
    }
    return true;
}

bool is_printable(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

}  // namespace

DailyRuns::DailyRuns(Profile& profile_) : profile(profile_) {}

fs::path DailyRuns::log_path() const {
    return profile.data_folder.empty() ? fs::path() : profile.data_folder / kFolder / kLogFile;
}

fs::path DailyRuns::replay_path(const daily::Date& date) const {
    if (profile.data_folder.empty()) return {};
    return profile.data_folder / kFolder / (daily::format_date(date) + ".replay");
}

const DailyRun* DailyRuns::find(const daily::Date& date) const {
    for (const DailyRun& run : runs) {
        if (run.date == date) return &run;
    }
    return nullptr;
}

void DailyRuns::merge(const std::vector<DailyRun>& others) {
    for (const DailyRun& other : others) {
        auto mine = std::find_if(runs.begin(), runs.end(),
                                 [&](const DailyRun& run) { return run.date == other.date; });
        if (mine == runs.end()) {
            runs.push_back(other);
        } else if (other.state > mine->state) {
            *mine = other;
        }
    }
    std::sort(runs.begin(), runs.end(), [](const DailyRun& a, const DailyRun& b) {
        return daily::days_since_epoch(a.date) < daily::days_since_epoch(b.date);
    });
}

std::string DailyRuns::serialise() const {
    std::string text = std::string(kHeader) + " " + std::to_string(kVersion) + "\n";
    for (const DailyRun& run : runs) {
        text += "date=" + daily::format_date(run.date) +
                " state=" + kStateNames[static_cast<int>(run.state)] +
                " depth=" + figure_text(run.depth) + " length=" + figure_text(run.length) +
                " rank=" + std::to_string(run.rank) + " of=" + std::to_string(run.of);
        // A server's words are cut and kept to what the file (and the font) can hold.
        std::string note = run.note.substr(0, kMaxNoteLength);
        if (!note.empty() && is_printable(note)) text += " note=" + note;
        text += "\n";
    }
    return text;
}

bool DailyRuns::parse(const std::string& text, std::vector<DailyRun>& out, std::string& error) {
    out.clear();
    if (text.empty() || text.back() != '\n') {
        error = text.empty() ? "empty" : "cut off (no end of line at the end)";
        return false;
    }
    std::size_t start = 0;
    int number = 0;
    std::vector<DailyRun> read;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::string where = "line " + std::to_string(++number) + ": ";
        if (line.size() > kMaxLineLength || !is_printable(line)) {
            error = where + "too long, or not text";
            return false;
        }
        if (number == 1) {
            if (line != std::string(kHeader) + " " + std::to_string(kVersion)) {
                error = where + "not a daily file of version " + std::to_string(kVersion);
                return false;
            }
            continue;
        }
        DailyRun run;
        std::string why;
        if (!parse_run(line, run, why)) {
            error = where + why;
            return false;
        }
        if (std::any_of(read.begin(), read.end(),
                        [&](const DailyRun& r) { return r.date == run.date; })) {
            error = where + daily::format_date(run.date) + " given twice";
            return false;
        }
        read.push_back(std::move(run));
    }
    out = std::move(read);
    return true;
}

bool DailyRuns::refresh() {
    file_unreadable = false;
    if (profile.data_folder.empty()) return false;
    const fs::path path = log_path();
    std::string text;
    std::string error;
    switch (profile.files.read(path, kMaxFileSize, text, error)) {
        case SafeFile::ReadResult::Missing:
            return true;
        case SafeFile::ReadResult::Failed:
            std::fprintf(stderr, "burrowgale: %s; the daily dig is not saved this time\n",
                         error.c_str());
            file_unreadable = true;
            return false;
        case SafeFile::ReadResult::TooBig:
        case SafeFile::ReadResult::Ok:
            break;
    }
    std::vector<DailyRun> stored;
    if (error.empty() && parse(text, stored, error)) {
        merge(stored);
        return true;
    }
    std::string aside_error;
    const fs::path aside = profile.files.set_aside(path, aside_error);
    if (aside.empty()) {
        std::fprintf(stderr, "burrowgale: %s: %s; %s; the daily dig is not saved this time\n",
                     path.c_str(), error.c_str(), aside_error.c_str());
        file_unreadable = true;
        return false;
    }
    std::fprintf(stderr, "burrowgale: %s: %s; kept as %s, starting a new one\n", path.c_str(),
                 error.c_str(), aside.c_str());
    return true;
}

void DailyRuns::save() {
    if (file_unreadable || profile.data_folder.empty()) return;
    std::string error;
    if (!profile.files.make_folder(log_path().parent_path(), error) ||
        !profile.files.write(log_path(), serialise(), error)) {
        std::fprintf(stderr, "burrowgale: %s; the daily dig is kept until the game closes\n",
                     error.c_str());
    }
}

void DailyRuns::load() {
    runs.clear();
    std::error_code ec;
    if (profile.data_folder.empty() || !fs::exists(fs::symlink_status(log_path(), ec))) return;
    const Profile::Hold hold(profile);  // a bad file may be set aside
    refresh();
}

bool DailyRuns::claim(const daily::Date& date) {
    const Profile::Hold hold(profile);
    refresh();
    if (find(date) != nullptr) return false;
    DailyRun run;
    run.date = date;
    merge({run});
    save();
    return true;
}

void DailyRuns::finish(const daily::Date& date, double depth, double length, const Replay& replay) {
    const Profile::Hold hold(profile);
    refresh();
    DailyRun run;
    run.date = date;
    run.state = DailyRun::State::Pending;
    run.depth = depth;
    run.length = length;
    if (!profile.data_folder.empty()) {
        const std::vector<uint8_t> bytes = replay.encode();
        std::string error;
        if (!profile.files.make_folder(replay_path(date).parent_path(), error) ||
            !profile.files.write(replay_path(date), std::string(bytes.begin(), bytes.end()),
                                 error)) {
            std::fprintf(stderr, "burrowgale: %s; the daily run's replay is not kept\n",
                         error.c_str());
        }
    }
    merge({run});
    save();
}

void DailyRuns::update(const DailyRun& run) {
    const Profile::Hold hold(profile);
    refresh();
    merge({run});
    save();
}

std::vector<DailyRun> DailyRuns::due(int64_t now) const {
    std::vector<DailyRun> found;
    for (const DailyRun& run : runs) {
        if (run.state == DailyRun::State::Pending && daily::is_open(run.date, now)) {
            found.push_back(run);
        }
    }
    return found;
}

std::vector<DailyRun> DailyRuns::overdue(int64_t now) const {
    std::vector<DailyRun> found;
    for (const DailyRun& run : runs) {
        if (run.state == DailyRun::State::Pending && !daily::is_open(run.date, now)) {
            found.push_back(run);
        }
    }
    return found;
}
