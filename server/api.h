// The leaderboard's HTTP side: the routes, their checks and their answers. Every error answer
// is JSON, {"error": "..."}.
//
//     POST /api/v1/daily/{date}/runs      a replay; Authorization: Bearer <key>; X-Player-Name
//     GET  /api/v1/daily/{date}?limit=N   the board as JSON
//     GET  /api/v1/runs/{id}/replay       a stored replay file
//     GET  /  and  /daily/{date}          the board as a page
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <semaphore>
#include <string>

#include "game/world/replay.h"
#include "server/rate_limiter.h"
#include "server/store.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

// The largest body taken: the largest replay file the game's parser reads (a six-hour game
// takes well under a tenth of it). Larger ones are refused before their body is read.
constexpr std::size_t kMaxBodyBytes = Replay::kMaxFileSize;

constexpr int kDefaultBoardLimit = 100;
constexpr int kMaxBoardLimit = 1000;

// Binds `server` to host:port (port 0: any free one, set in `port`) with a listening queue long
// enough for a burst of new clients: the library's own holds five, and a sixth client at once
// waits a second for its connection to be retried. False when it cannot bind.
bool bind_server(httplib::Server& server, const std::string& host, int& port);

class Api {
public:
    // `now` gives the Unix time that decides which dates are open. `watch_links`: the web build
    // is served under /play/, so the board links each run to it.
    Api(Store& store, unsigned rate_limit, bool watch_links, std::function<int64_t()> now);

    // Sets the routes, the error answers and the body cap on `server`.
    void install(httplib::Server& server);

private:
    void submit(const httplib::Request& request, httplib::Response& response);
    void board_json(const httplib::Request& request, httplib::Response& response);
    void board_html(const std::string& date, httplib::Response& response);
    void replay_file(const httplib::Request& request, httplib::Response& response);

    Store& store_;
    bool watch_links_;
    std::function<int64_t()> now_;
    std::mutex limiter_lock_;
    RateLimiter limiter_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    // Replays run at most this many at once, one a core: more would only share the cores and
    // hold more decoded replays in memory.
    std::counting_semaphore<64> verifiers_;
};
