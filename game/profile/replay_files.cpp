#include "game/profile/replay_files.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kExtension = ".replay";

void warn(const std::string& line) { std::fprintf(stderr, "burrowgale: %s\n", line.c_str()); }

}  // namespace

ReplayFiles::ReplayFiles(Profile& profile_) : profile(profile_) {}

fs::path ReplayFiles::last_path() const {
    return profile.data_folder.empty() ? fs::path() : profile.data_folder / kLastFile;
}

fs::path ReplayFiles::record_path(const Record& record) const {
    if (profile.data_folder.empty()) return {};
    return profile.data_folder / kRecordFolder / (record.id() + kExtension);
}

void ReplayFiles::keep(const Record& record, const Replay& replay) {
    if (profile.data_folder.empty()) return;
    const Profile::Hold hold(profile);
    const std::vector<uint8_t> bytes = replay.encode();
    if (bytes.size() > Replay::kMaxFileSize) {
        warn("this game's replay is too long to keep");
        return;
    }
    // A game past the recordings' limits (hours of play) would be refused when read back:
    // kept, it would only ever be reported as a bad file.
    Replay check;
    std::string refused;
    if (!parse_replay(bytes.data(), bytes.size(), check, refused)) {
        warn("this game's replay is not kept: " + refused);
        return;
    }
    const std::string contents(bytes.begin(), bytes.end());
    std::string error;
    if (!profile.files.write(last_path(), contents, error)) {
        warn(error + "; the replay of this game is not kept");
        return;
    }

    const fs::path folder = profile.data_folder / kRecordFolder;
    const std::vector<Record>& table = profile.records.table;
    const bool in_table = std::find(table.begin(), table.end(), record) != table.end();
    if (in_table) {
        if (!profile.files.make_folder(folder, error) ||
            !profile.files.write(record_path(record), contents, error)) {
            warn(error + "; the replay of this record is not kept");
        }
    }
    remove_left_replays();
}

void ReplayFiles::remove_left_replays() {
    // Without the lock another copy may be storing one of these records again: leave them for
    // the next game that has it.
    if (!profile.holds_lock()) return;
    const std::vector<Record>& table = profile.records.table;
    for (const Record& gone : profile.left_table) {
        const fs::path path = record_path(gone);
        if (!is_record_replay_name(path.filename().string()) ||
            std::find(table.begin(), table.end(), gone) != table.end()) {
            continue;
        }
        std::error_code removed;
        fs::remove(path, removed);
        if (removed) warn(path.string() + ": " + removed.message() + "; left in place");
    }
    profile.left_table.clear();
}

Profile::Outcome ReplayFiles::store(const Record& record, const Replay& replay) {
    const Profile::Hold hold(profile);
    Profile::Outcome outcome = profile.add_result(record);
    keep(outcome.record, replay);
    return outcome;
}

bool ReplayFiles::is_record_replay_name(const std::string& name) {
    // What Record::id gives, "YYYYMMDDTHHMMSSmmmZ-<seed>", then the extension; 'd' a digit.
    constexpr std::string_view kDate = "ddddddddTdddddddddZ-";
    const std::string_view extension = kExtension;
    if (name.size() <= kDate.size() + extension.size() || !name.ends_with(extension)) return false;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    for (std::size_t i = 0; i < kDate.size(); ++i) {
        if (kDate[i] == 'd' ? !digit(name[i]) : name[i] != kDate[i]) return false;
    }
    const std::size_t seed_digits = name.size() - kDate.size() - extension.size();
    return seed_digits <= 10 &&
           std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kDate.size()),
                       name.end() - static_cast<std::ptrdiff_t>(extension.size()), digit);
}

std::vector<std::string> ReplayFiles::by_rank() const {
    std::vector<std::string> paths;
    if (profile.data_folder.empty()) return paths;
    for (const Record& record : profile.records.table) {
        std::error_code ec;
        const fs::path path = record_path(record);
        if (fs::is_regular_file(path, ec)) paths.push_back(path.string());
    }
    return paths;
}
