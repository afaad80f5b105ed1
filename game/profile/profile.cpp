#include "game/profile/profile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace fs = std::filesystem;

int64_t system_unix_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

Profile::Profile(fs::path data_folder_, fs::path config_folder_)
    : data_folder(std::move(data_folder_)), config_folder(std::move(config_folder_)) {
    load_settings();
    load_records();
}

fs::path Profile::records_path() const {
    return data_folder.empty() ? fs::path() : data_folder / kRecordsFile;
}

fs::path Profile::settings_path() const {
    return config_folder.empty() ? fs::path() : config_folder / kSettingsFile;
}

void Profile::warn(const std::string& line) {
    std::fprintf(stderr, "burrowgale: %s\n", line.c_str());
    warnings.push_back(line);
}

void Profile::load_settings() {
    settings = Settings();
    settings_had_problems = false;
    settings_unreadable = false;
    if (config_folder.empty()) return;
    const fs::path path = settings_path();
    std::string text;
    std::string error;
    switch (files.read(path, Settings::kMaxFileSize, text, error)) {
        case SafeFile::ReadResult::Missing:
            return;
        case SafeFile::ReadResult::Failed:
            settings_unreadable = true;
            warn(error + "; using the default settings and not saving them");
            return;
        case SafeFile::ReadResult::TooBig:
        case SafeFile::ReadResult::Ok:
            break;
    }
    std::vector<std::string> problems;
    if (!error.empty() || !settings.parse(text, problems, error)) {
        settings = Settings();
        std::string aside_error;
        const fs::path aside = files.set_aside(path, aside_error);
        if (aside.empty()) {
            settings_unreadable = true;
            warn(path.string() + ": " + error + "; " + aside_error +
                 "; using the default settings and not saving them");
        } else {
            warn(path.string() + ": " + error + "; kept as " + aside.string() +
                 ", using the default settings");
        }
        return;
    }
    for (const std::string& problem : problems) warn(path.string() + " " + problem);
    settings_had_problems = !problems.empty();
}

Profile::Hold::Hold(Profile& profile_) : profile(profile_) {
    if (profile.holds++ > 0 || profile.data_folder.empty()) return;
    // Without the folder there is nothing to lock, nor to write: the store itself says so.
    std::string error;
    if (!profile.files.make_folder(profile.data_folder, error)) return;
    if (!profile.lock.acquire(profile.data_folder / kLockFile, profile.lock_patience, error)) {
        profile.warn(error + "; saving without it, and removing nothing");
    }
}

Profile::Hold::~Hold() {
    if (--profile.holds == 0) profile.lock.release();
}

Profile::Loaded Profile::read_records(std::vector<Record>& out) {
    out.clear();
    if (data_folder.empty()) return Loaded::Whole;
    const fs::path path = records_path();
    std::string text;
    std::string error;
    switch (files.read(path, Records::kMaxFileSize, text, error)) {
        case SafeFile::ReadResult::Missing:
            return Loaded::Whole;
        case SafeFile::ReadResult::Failed:
            warn(error + "; the records are not saved this time");
            return Loaded::Unreadable;
        case SafeFile::ReadResult::TooBig:
        case SafeFile::ReadResult::Ok:
            break;
    }
    if (error.empty() && Records::parse(text, out, error)) return Loaded::Whole;
    out.clear();
    std::string aside_error;
    const fs::path aside = files.set_aside(path, aside_error);
    if (aside.empty()) {
        warn(path.string() + ": " + error + "; " + aside_error +
             "; the records are not saved this time");
        return Loaded::Unreadable;
    }
    warn(path.string() + ": " + error + "; kept as " + aside.string() + ", starting a new table");
    return Loaded::SetAside;
}

void Profile::load_records() {
    records = Records();
    // No file, no lock: a run that never stores a game leaves no trace.
    std::error_code ec;
    if (data_folder.empty() || !fs::exists(fs::symlink_status(records_path(), ec))) return;
    const Hold hold(*this);  // a bad file may be set aside
    std::vector<Record> stored;
    read_records(stored);
    records.merge(stored);
}

bool Profile::ready_folder(const fs::path& folder, bool& warned) {
    std::string error;
    if (files.make_folder(folder, error)) return true;
    if (!warned) warn(error + "; nothing is saved there");
    warned = true;
    return false;
}

Profile::Outcome Profile::add_result(Record record) {
    const Hold hold(*this);
    Outcome outcome;
    const double best_depth = records.best_depth();
    const double best_length = records.best_length();
    if (record.date.empty()) record.date = iso_date(now_ms());
    outcome.record = record;

    // What another copy of the game may have stored since we last looked.
    std::vector<Record> stored;
    const Loaded loaded = read_records(stored);
    std::vector<Record> dropped = records.merge(stored);
    outcome.new_best_depth = record.depth > std::max(best_depth, records.best_depth());
    outcome.new_best_length = record.length > std::max(best_length, records.best_length());
    for (Record& r : records.add(record)) dropped.push_back(std::move(r));
    outcome.dropped = std::move(dropped);
    outcome.best_depth = std::max(records.best_depth(), record.depth);
    outcome.best_length = std::max(records.best_length(), record.length);

    if (!data_folder.empty() && loaded != Loaded::Unreadable &&
        ready_folder(data_folder, warned_data_folder)) {
        std::string error;
        if (!files.write(records_path(), records.serialise(), error)) {
            warn(error + "; the record is kept until the game closes");
        } else if (loaded == Loaded::Whole && holds_lock()) {
            // Only then is no record of an unread table among them, and no other copy writing.
            left_table.insert(left_table.end(), outcome.dropped.begin(), outcome.dropped.end());
        }
    }
    return outcome;
}

bool Profile::save_settings() {
    if (config_folder.empty() || settings_unreadable) return false;
    if (!ready_folder(config_folder, warned_config_folder)) return false;
    const fs::path path = settings_path();
    std::string error;
    if (settings_had_problems) {
        // The lines we could not use are the player's own writing: keep them.
        const fs::path aside = files.set_aside(path, error);
        if (aside.empty()) {
            warn(error + "; the settings are not saved");
            return false;
        }
        warn(path.string() + " had lines that could not be used; kept as " + aside.string());
        settings_had_problems = false;
    }
    if (!files.write(path, settings.serialise(), error)) {
        warn(error + "; the settings are not saved");
        return false;
    }
    return true;
}
