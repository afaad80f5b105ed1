#include "server/store.h"

#include <sqlite3.h>

#include <exception>

namespace {

constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS runs(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    date TEXT NOT NULL,
    key_hash TEXT NOT NULL,
    name TEXT NOT NULL,
    depth REAL NOT NULL,
    length REAL NOT NULL,
    submitted INTEGER NOT NULL,
    ranked INTEGER NOT NULL,
    replay BLOB NOT NULL);
-- The board, read in rank order straight from the index.
CREATE INDEX IF NOT EXISTS runs_board ON runs(date, ranked, depth DESC, length DESC, id);
-- One ranked run per key and date, whatever a bug above might try.
CREATE UNIQUE INDEX IF NOT EXISTS runs_one_ranked ON runs(date, key_hash) WHERE ranked = 1;
PRAGMA user_version = 1;
)";

// Later submissions lose ties, and ids grow with submission.
constexpr const char* kRankSql =
    "SELECT count(*) FROM runs WHERE date = ?1 AND ranked = 1 AND "
    "(depth > ?2 OR (depth = ?2 AND (length > ?3 OR (length = ?3 AND id < ?4))))";

std::string describe(sqlite3* db, const char* what) {
    return std::string(what) + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory");
}

bool open_connection(const std::string& path, int flags, sqlite3*& db, std::string& error) {
    if (sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        error = path + ": " + describe(db, "cannot open the database");
        return false;
    }
    sqlite3_busy_timeout(db, 5000);
    return true;
}

bool prepare(sqlite3* db, const char* sql, sqlite3_stmt*& out, std::string& error) {
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &out, nullptr) != SQLITE_OK) {
        error = describe(db, "cannot prepare a statement");
        return false;
    }
    return true;
}

// Runs a statement that returns no rows (or whose rows do not matter) and resets it.
bool step_done(sqlite3* db, sqlite3_stmt* statement, std::string& error) {
    int result = SQLITE_ROW;
    while (result == SQLITE_ROW) result = sqlite3_step(statement);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (result != SQLITE_DONE) {
        error = describe(db, "database error");
        return false;
    }
    return true;
}

// Runs a statement whose one row holds one integer.
bool step_count(sqlite3* db, sqlite3_stmt* statement, int64_t& out, std::string& error) {
    const int result = sqlite3_step(statement);
    if (result == SQLITE_ROW) out = sqlite3_column_int64(statement, 0);
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (result != SQLITE_ROW) {
        error = describe(db, "database error");
        return false;
    }
    return true;
}

void bind_text(sqlite3_stmt* statement, int index, const std::string& text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

}  // namespace

std::unique_ptr<Store> Store::open(const std::string& path, std::string& error) {
    std::unique_ptr<Store> store(new Store());
    if (!open_connection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, store->writer_, error)) {
        return nullptr;
    }
    char* message = nullptr;
    // FULL: a commit is on the disk before the run is acknowledged, even if the machine, not
    // just the server, goes down.
    const std::string setup =
        std::string("PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL;") + kSchema;
    if (sqlite3_exec(store->writer_, setup.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        error = path + ": cannot set up the database: " + (message != nullptr ? message : "?");
        sqlite3_free(message);
        return nullptr;
    }
    if (!open_connection(path, SQLITE_OPEN_READONLY, store->reader_, error)) return nullptr;
    sqlite3* w = store->writer_;
    sqlite3* r = store->reader_;
    const bool prepared =
        prepare(w, "BEGIN IMMEDIATE", store->begin_, error) &&
        prepare(w, "COMMIT", store->commit_, error) &&
        prepare(w, "ROLLBACK", store->rollback_, error) &&
        prepare(w, "SELECT count(*) FROM runs WHERE date = ?1 AND key_hash = ?2 AND ranked = 1",
                store->has_ranked_, error) &&
        prepare(w,
                "INSERT INTO runs(date, key_hash, name, depth, length, submitted, ranked, replay) "
                "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)",
                store->insert_, error) &&
        prepare(w, kRankSql, store->rank_, error) &&
        prepare(w, "SELECT count(*) FROM runs WHERE date = ?1 AND ranked = 1", store->count_,
                error) &&
        prepare(r,
                "SELECT id, name, depth, length FROM runs WHERE date = ?1 AND ranked = 1 "
                "ORDER BY depth DESC, length DESC, id LIMIT ?2",
                store->board_, error) &&
        prepare(r, "SELECT replay FROM runs WHERE id = ?1", store->replay_, error);
    if (!prepared) {
        error = path + ": " + error;
        return nullptr;
    }
    return store;
}

Store::~Store() {
    for (sqlite3_stmt* statement :
         {begin_, commit_, rollback_, has_ranked_, insert_, rank_, count_, board_, replay_}) {
        sqlite3_finalize(statement);
    }
    sqlite3_close(reader_);
    sqlite3_close(writer_);
}

struct Store::Waiting {
    const NewRun& run;
    Added added;
    std::string error;
    bool ok = false;
    bool done = false;
};

bool Store::add_runs(const std::vector<NewRun>& runs, std::vector<Added>& out, std::string& error,
                     Ranks ranks) {
    std::vector<const NewRun*> each;
    each.reserve(runs.size());
    for (const NewRun& run : runs) each.push_back(&run);
    return add_all(each, out, error, ranks);
}

bool Store::add_run(const NewRun& run, Added& out, std::string& error) {
    Waiting mine{run, {}, {}};
    std::unique_lock lock(waiting_lock_);
    waiting_.push_back(&mine);
    committed_.wait(lock, [&] { return mine.done || !committing_; });
    if (!mine.done) {
        // Nobody commits: this thread commits every run waiting, its own among them, while the
        // runs that come meanwhile gather for the next commit.
        std::vector<Waiting*> batch;
        batch.swap(waiting_);
        committing_ = true;
        lock.unlock();
        try {
            commit_waiting(batch);
        } catch (const std::exception& fault) {
            // Whatever it was, the next commit must still come, or every caller would wait on.
            for (Waiting* waiting : batch) {
                if (!waiting->ok) waiting->error = std::string("cannot add a run: ") + fault.what();
            }
        }
        lock.lock();
        for (Waiting* waiting : batch) waiting->done = true;
        committing_ = false;
        committed_.notify_all();
    }
    out = mine.added;
    error = mine.error;
    return mine.ok;
}

void Store::commit_waiting(const std::vector<Waiting*>& batch) {
    std::vector<const NewRun*> runs;
    for (const Waiting* waiting : batch) runs.push_back(&waiting->run);
    std::vector<Added> added;
    std::string error;
    if (add_all(runs, added, error, Ranks::Compute)) {
        for (std::size_t i = 0; i < batch.size(); ++i) {
            batch[i]->added = added[i];
            batch[i]->ok = true;
        }
        return;
    }
    if (batch.size() == 1) {
        batch[0]->error = error;
        return;
    }
    // Nothing was added. One at a time, so that what failed fails its own run only.
    for (Waiting* waiting : batch) {
        waiting->ok = add_all({&waiting->run}, added, waiting->error, Ranks::Compute);
        if (waiting->ok) waiting->added = added[0];
    }
}

bool Store::add_all(const std::vector<const NewRun*>& runs, std::vector<Added>& out,
                    std::string& error, Ranks ranks) {
    std::lock_guard lock(write_lock_);
    out.clear();
    out.reserve(runs.size());  // no allocation between BEGIN and its end
    if (!step_done(writer_, begin_, error)) return false;
    for (const NewRun* each : runs) {
        const NewRun& run = *each;
        Added added;
        int64_t earlier = 0;
        bind_text(has_ranked_, 1, run.date);
        bind_text(has_ranked_, 2, run.key_hash);
        bool ok = step_count(writer_, has_ranked_, earlier, error);
        added.ranked = earlier == 0 && !run.assisted;
        if (ok) {
            bind_text(insert_, 1, run.date);
            bind_text(insert_, 2, run.key_hash);
            bind_text(insert_, 3, run.name);
            sqlite3_bind_double(insert_, 4, run.depth);
            sqlite3_bind_double(insert_, 5, run.length);
            sqlite3_bind_int64(insert_, 6, run.submitted);
            sqlite3_bind_int(insert_, 7, added.ranked ? 1 : 0);
            sqlite3_bind_blob64(insert_, 8, run.replay.data(), run.replay.size(), SQLITE_STATIC);
            ok = step_done(writer_, insert_, error);
            added.id = sqlite3_last_insert_rowid(writer_);
        }
        if (ok && added.ranked && ranks == Ranks::Compute) {
            bind_text(rank_, 1, run.date);
            sqlite3_bind_double(rank_, 2, run.depth);
            sqlite3_bind_double(rank_, 3, run.length);
            sqlite3_bind_int64(rank_, 4, added.id);
            ok = step_count(writer_, rank_, added.rank, error);
            ++added.rank;
            bind_text(count_, 1, run.date);
            ok = ok && step_count(writer_, count_, added.of, error);
        }
        if (!ok) {
            std::string ignored;
            step_done(writer_, rollback_, ignored);
            out.clear();
            return false;
        }
        out.push_back(added);
    }
    if (!step_done(writer_, commit_, error)) {
        std::string ignored;
        step_done(writer_, rollback_, ignored);
        out.clear();
        return false;
    }
    return true;
}

bool Store::board(const std::string& date, int limit, std::vector<BoardRow>& out,
                  std::string& error) {
    std::lock_guard lock(read_lock_);
    out.clear();
    bind_text(board_, 1, date);
    sqlite3_bind_int(board_, 2, limit);
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(board_)) == SQLITE_ROW) {
        BoardRow row;
        row.rank = static_cast<int64_t>(out.size()) + 1;
        row.id = sqlite3_column_int64(board_, 0);
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(board_, 1));
        row.name = name != nullptr ? name : "";
        row.depth = sqlite3_column_double(board_, 2);
        row.length = sqlite3_column_double(board_, 3);
        out.push_back(std::move(row));
    }
    sqlite3_reset(board_);
    sqlite3_clear_bindings(board_);
    if (result != SQLITE_DONE) {
        error = describe(reader_, "cannot read the board");
        return false;
    }
    return true;
}

bool Store::replay(int64_t id, std::vector<uint8_t>& out, bool& found, std::string& error) {
    std::lock_guard lock(read_lock_);
    sqlite3_bind_int64(replay_, 1, id);
    const int result = sqlite3_step(replay_);
    found = result == SQLITE_ROW;
    if (found) {
        const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(replay_, 0));
        const int size = sqlite3_column_bytes(replay_, 0);
        out.assign(bytes, bytes + size);
    }
    sqlite3_reset(replay_);
    sqlite3_clear_bindings(replay_);
    if (result != SQLITE_ROW && result != SQLITE_DONE) {
        error = describe(reader_, "cannot read a replay");
        return false;
    }
    return true;
}
