// The daily dig's talk with the leaderboard: sends ranked runs (the one just ended, and at
// start those that waited for a network) and fetches the day's best for the title. Owned by
// the flow. Answers come on the HTTP client's thread (in a page, between frames): what they
// change in the files is posted to the flow's writer, what the screens show is kept here
// under a mutex. Nothing here waits for the network.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/background_writer.h"
#include "engine/http.h"
#include "game/profile/daily_runs.h"
#include "game/profile/profile.h"

class DailyClient {
public:
    struct Row {
        int rank = 0;
        std::string name;
        double depth = 0.0;
        double length = 0.0;
    };
    static constexpr int kBoardRows = 5;

    DailyClient(Profile& profile, DailyRuns& runs, BackgroundWriter& writer,
                std::unique_ptr<Http> http);
    ~DailyClient();  // gives up requests under way; their runs stay pending on disk

    // The leaderboard and the name to send from now on (the settings' at construction); any
    // thread. A new server drops the board of the old one and any answer still coming from it.
    // True when the server changed.
    bool configure(const std::string& url, const std::string& name);

    // Sends the ranked run of `date` with its replay when a leaderboard is set. Any thread.
    void send(const daily::Date& date, const std::string& replay);
    // At start: the pending runs whose day is still open, from their replay files; those past
    // it are marked as no longer sent, with one line. Reads the runs as loaded.
    void send_due(int64_t now);
    // Asks for the day's best when a leaderboard is set; `board` fills when they come.
    void fetch_board(const daily::Date& date);

    // What the results say of the ranked run of `date` once the server answered: "Daily rank 12
    // of 340", or why it is not ranked; empty until then.
    std::string answer(const daily::Date& date) const;
    std::vector<Row> board() const;

    // What a server's answer makes of a run, and the line to show; status 0: no answer.
    static DailyRun judge(DailyRun run, int status, const std::string& body, std::string& line);
    // The rows of a board's JSON; none for anything else.
    static std::vector<Row> parse_board(const std::string& body);

private:
    std::string base_url() const;
    std::string player_name() const;

    Profile& profile;
    DailyRuns& runs;
    BackgroundWriter& writer;
    mutable std::mutex mutex;
    std::map<std::string, std::string> answers;  // by date
    std::vector<Row> rows;
    std::string server_url;      // without a trailing slash; empty: sending off
    std::string sent_name;       // the player's, as sent
    int generation = 0;          // counts the servers configured, so that a late board is dropped
    std::unique_ptr<Http> http;  // last: destroyed first, before anything its answers use
};
