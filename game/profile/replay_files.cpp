#include "game/profile/replay_files.h"

#include <algorithm>
#include <cstdio>
#include <set>
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
    const std::vector<uint8_t> bytes = replay.encode();
    if (bytes.size() > Replay::kMaxFileSize) {
        warn("this game's replay is too long to keep");
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

    // Replays whose record left the table, this time or when a crash came between the two
    // writes; files that are not record replays are never touched.
    std::set<std::string> kept;
    for (const Record& r : table) kept.insert(r.id() + kExtension);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path name = it->path().filename();
        if (name.extension() != kExtension || kept.count(name.string()) != 0) continue;
        std::error_code removed;
        fs::remove(it->path(), removed);
        if (removed) warn(it->path().string() + ": " + removed.message() + "; left in place");
    }
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
