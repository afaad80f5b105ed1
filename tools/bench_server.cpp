// Times the leaderboard server: verified submissions a second and their latency from concurrent
// clients over HTTP, then the board's read time with many runs stored. Prints figures; it is not
// a test.
//
//     bench_server [clients] [submissions] [stored runs]      (defaults 20, 400, 100000)
//
// The runs are daily runs of a fixed date played by the simulator's autopilot. The server runs in
// this process on a scratch database, on a free port.
#include <httplib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "game/world/daily.h"
#include "game/world/world.h"
#include "server/api.h"
#include "server/store.h"
#include "tools/pilot.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kDate = "2025-06-15";
constexpr int64_t kNow = 1749988800;  // noon of kDate
constexpr unsigned kPilots = 12;
constexpr std::size_t kRunsKept = 4;

// Plays kPilots games of the day and keeps the kRunsKept longest: the autopilot's games last
// about two minutes, so their figures are also given per three minutes of play.
std::vector<std::string> record_runs(uint32_t seed, double& minutes_each) {
    std::vector<std::pair<double, std::string>> games;
    for (unsigned pilot_seed = 1; pilot_seed <= kPilots; ++pilot_seed) {
        World world(seed);
        sim::Pilot pilot(sim::Policy::Autopilot, pilot_seed);
        std::mt19937 frame_rng(pilot_seed);
        uint32_t held = 0;
        uint64_t total_ms = 0;
        while (world.state != World::State::GameOver && total_ms < 20 * 60000) {
            const Replay::Step step{static_cast<uint32_t>(16u + (frame_rng() & 1u)),
                                    Replay::bit(static_cast<int>(pilot.choose(world))), held};
            held = step.pressed;
            total_ms += step.ms;
            world.step(step);
        }
        if (world.state != World::State::GameOver) continue;
        const std::vector<uint8_t> bytes = world.recording.encode();
        games.emplace_back(static_cast<double>(total_ms) / 60000.0,
                           std::string(bytes.begin(), bytes.end()));
    }
    std::sort(games.begin(), games.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    games.resize(std::min<std::size_t>(games.size(), kRunsKept));
    std::vector<std::string> runs;
    double total_minutes = 0.0;
    for (auto& game : games) {
        total_minutes += game.first;
        runs.push_back(std::move(game.second));
    }
    minutes_each = runs.empty() ? 0.0 : total_minutes / static_cast<double>(runs.size());
    return runs;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// A server on `store`, on a free port, until destroyed.
class LocalServer {
public:
    explicit LocalServer(Store& store) : api_(store, 0, false, [] { return kNow; }) {
        server_.new_task_queue = [] { return new httplib::ThreadPool(32); };
        api_.install(server_);
        if (!bind_server(server_, "127.0.0.1", port_)) std::abort();
        // Bound already: connections made before the thread listens wait in the backlog.
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~LocalServer() {
        server_.stop();
        thread_.join();
    }
    int port() const { return port_; }

private:
    Api api_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

// A count from the command line: a whole number from 1 to `most`, or 0.
int count_of(const char* text, int most) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= 1 && value <= most ? static_cast<int>(value) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    constexpr const char* kUsage = "usage: bench_server [clients] [submissions] [stored runs]\n";
    const int clients = argc > 1 ? count_of(argv[1], 1000) : 20;
    const int submissions = argc > 2 ? count_of(argv[2], 1000000) : 400;
    const int stored = argc > 3 ? count_of(argv[3], 10000000) : 100000;
    if (argc > 4 || clients == 0 || submissions == 0 || stored == 0) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const daily::Date date = *daily::parse_date(kDate);

    double minutes = 0.0;
    const std::vector<std::string> runs = record_runs(daily::seed_of(date), minutes);
    if (runs.empty()) {
        std::fprintf(stderr, "bench_server: the autopilot played no game long enough\n");
        return 1;
    }
    std::printf("%zu recorded daily runs of %.2f minutes on average\n", runs.size(), minutes);

    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("bench_server_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::string error;

    {
        std::unique_ptr<Store> store = Store::open((folder / "submit.db").string(), error);
        if (!store) {
            std::fprintf(stderr, "bench_server: %s\n", error.c_str());
            return 1;
        }
        LocalServer server(*store);
        std::atomic<int> next{0};
        std::atomic<int> failures{0};
        std::vector<std::vector<double>> latencies(static_cast<std::size_t>(clients));
        const Clock::time_point start = Clock::now();
        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c) {
            threads.emplace_back([&, c] {
                httplib::Client client("127.0.0.1", server.port());
                client.set_keep_alive(true);
                client.set_tcp_nodelay(true);
                for (int i; (i = next++) < submissions;) {
                    char key[64];
                    std::snprintf(key, sizeof key, "Bearer %032x", i);
                    const httplib::Headers headers = {{"Authorization", key},
                                                      {"X-Player-Name", "bench"}};
                    const std::string& body = runs[static_cast<std::size_t>(i) % runs.size()];
                    const Clock::time_point sent = Clock::now();
                    const auto result =
                        client.Post((std::string("/api/v1/daily/") + kDate + "/runs").c_str(),
                                    headers, body, "application/octet-stream");
                    const std::chrono::duration<double, std::milli> took = Clock::now() - sent;
                    if (!result || result->status != 201) {
                        ++failures;
                        std::fprintf(stderr, "bench_server: %s\n",
                                     result ? result->body.c_str()
                                            : httplib::to_string(result.error()).c_str());
                    }
                    latencies[static_cast<std::size_t>(c)].push_back(took.count());
                }
            });
        }
        for (std::thread& thread : threads) thread.join();
        const std::chrono::duration<double> elapsed = Clock::now() - start;
        std::vector<double> all;
        for (const auto& list : latencies) all.insert(all.end(), list.begin(), list.end());
        const double per_second = static_cast<double>(submissions - failures) / elapsed.count();
        // Replaying costs in proportion to the play, so the rate is also given per three minutes.
        std::printf(
            "%d submissions from %d clients in %.2f s: %.1f verified runs a second "
            "(%.1f of three minutes); submit latency p50 %.1f ms, p99 %.1f ms; "
            "%d not ranked\n",
            submissions, clients, elapsed.count(), per_second, per_second * minutes / 3.0,
            percentile(all, 0.50), percentile(all, 0.99), failures.load());
    }

    {
        std::unique_ptr<Store> store = Store::open((folder / "board.db").string(), error);
        if (!store) {
            std::fprintf(stderr, "bench_server: %s\n", error.c_str());
            return 1;
        }
        // Filled through the store in large transactions: only the reading is timed.
        std::mt19937 rng(1);
        std::vector<Store::NewRun> batch;
        std::vector<Store::Added> added;
        for (int i = 0; i < stored; ++i) {
            Store::NewRun run;
            run.date = kDate;
            run.key_hash = std::to_string(i);
            run.name = "player " + std::to_string(i % 1000);
            run.depth = static_cast<double>(rng() % 100000) / 100.0;
            run.length = static_cast<double>(rng() % 10000) / 100.0;
            run.submitted = kNow;
            run.replay.assign(runs[0].begin(), runs[0].end());
            batch.push_back(std::move(run));
            if (batch.size() == 10000 || i + 1 == stored) {
                if (!store->add_runs(batch, added, error, Store::Ranks::Skip)) {
                    std::fprintf(stderr, "bench_server: %s\n", error.c_str());
                    return 1;
                }
                batch.clear();
            }
        }
        LocalServer server(*store);
        httplib::Client client("127.0.0.1", server.port());
        client.set_keep_alive(true);
        client.set_tcp_nodelay(true);
        std::vector<double> reads;
        const std::string path = std::string("/api/v1/daily/") + kDate + "?limit=100";
        for (int i = 0; i < 1000; ++i) {
            const Clock::time_point sent = Clock::now();
            const auto result = client.Get(path.c_str());
            const std::chrono::duration<double, std::milli> took = Clock::now() - sent;
            if (!result || result->status != 200) {
                std::fprintf(stderr, "bench_server: a board read failed\n");
                return 1;
            }
            reads.push_back(took.count());
        }
        std::printf(
            "board of the top 100 with %d runs stored, 1000 reads: p50 %.2f ms, p99 %.2f ms\n",
            stored, percentile(reads, 0.50), percentile(reads, 0.99));
    }
    std::filesystem::remove_all(folder);
    return 0;
}
