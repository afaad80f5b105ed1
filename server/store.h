// The runs, kept in one SQLite file in WAL mode. A run is committed before add_runs returns, so
// that a run the server acknowledged survives the server being killed at any moment.
//
// Thread-safe: writes go through one connection, reads through another (WAL lets a read run
// beside a write), each behind its own lock. Every statement is prepared once and bound.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class Store {
public:
    struct NewRun {
        std::string date;  // "YYYY-MM-DD"
        std::string key_hash;
        std::string name;
        double depth = 0.0;  // as the server replayed it
        double length = 0.0;
        int64_t submitted = 0;  // Unix seconds
        bool assisted = false;  // never ranked, whether or not the key has a ranked run
        std::vector<uint8_t> replay;
    };
    struct Added {
        int64_t id = 0;
        bool ranked = false;  // false: the key had a ranked run that date already, or assisted
        int64_t rank = 0;     // ranked runs only: 1 is the best
        int64_t of = 0;       // ranked runs of the date, this one included
    };
    struct BoardRow {
        int64_t rank = 0;
        std::string name;
        double depth = 0.0;
        double length = 0.0;
        int64_t id = 0;
    };

    // Opens or creates the database. On failure returns null with one line in `error`.
    static std::unique_ptr<Store> open(const std::string& path, std::string& error);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Whether add_runs works out each ranked run's rank and the date's count, which takes a
    // scan of the date's better runs; filling a database in bulk can do without.
    enum class Ranks { Compute, Skip };

    // Adds the runs in one transaction; each key's first unassisted run of a date is ranked,
    // later ones and assisted ones are not. Returns once they are committed, or false with `error`
    // and nothing added.
    bool add_runs(const std::vector<NewRun>& runs, std::vector<Added>& out, std::string& error,
                  Ranks ranks = Ranks::Compute);

    // One run, added as add_runs adds it, for callers on many threads at once: a run that comes
    // while another thread commits waits for the next commit, which takes every run waiting by
    // then. The file is synced once for all of them instead of once for each, which is what
    // bounds a busy server. Returns once the run is committed.
    bool add_run(const NewRun& run, Added& out, std::string& error);

    // The date's ranked runs, best first: deeper, then longer, then submitted earlier.
    bool board(const std::string& date, int limit, std::vector<BoardRow>& out, std::string& error);

    // The stored replay file of a run; `found` is false when there is no such run.
    bool replay(int64_t id, std::vector<uint8_t>& out, bool& found, std::string& error);

private:
    struct Waiting;  // a run of add_run's, until its commit

    Store() = default;
    bool add_all(const std::vector<const NewRun*>& runs, std::vector<Added>& out,
                 std::string& error, Ranks ranks);
    void commit_waiting(const std::vector<Waiting*>& batch);

    sqlite3* writer_ = nullptr;
    sqlite3* reader_ = nullptr;
    std::mutex write_lock_;
    std::mutex read_lock_;
    std::mutex waiting_lock_;  // guards the three below and each Waiting's `done`
    std::condition_variable committed_;
    std::vector<Waiting*> waiting_;
    bool committing_ = false;
    sqlite3_stmt* begin_ = nullptr;
    sqlite3_stmt* commit_ = nullptr;
    sqlite3_stmt* rollback_ = nullptr;
    sqlite3_stmt* has_ranked_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* rank_ = nullptr;
    sqlite3_stmt* count_ = nullptr;
    sqlite3_stmt* board_ = nullptr;
    sqlite3_stmt* replay_ = nullptr;
};
