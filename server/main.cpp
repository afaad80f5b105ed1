// burrowgale-server: the daily dig's leaderboard. It replays every run it is sent and ranks only
// what it computed itself. See the README for running it.
#include <httplib.h>
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <ctime>
#include <thread>

#include "server/api.h"
#include "server/options.h"
#include "server/store.h"

namespace {

// Connections each hold a worker while they are open; enough for a busy day's clients, few
// enough that a flood of them cannot exhaust memory.
constexpr std::size_t kWorkers = 32;
constexpr time_t kReadTimeoutSeconds = 10;
constexpr time_t kWriteTimeoutSeconds = 10;
constexpr time_t kKeepAliveSeconds = 5;

}  // namespace

int main(int argc, char** argv) {
    ServerOptions options;
    std::string error;
    bool help = false;
    if (!parse_server_options(argc - 1, argv + 1, options, error, help)) {
        std::fprintf(stderr, "burrowgale-server: %s\n%s", error.c_str(), kServerUsage);
        return 2;
    }
    if (help) {
        std::fputs(kServerUsage, stdout);
        return 0;
    }

    // SIGINT and SIGTERM stop the server from a thread of its own, where stopping is safe; every
    // other thread inherits the blocked mask and never sees them.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<Store> store = Store::open(options.db, error);
    if (!store) {
        std::fprintf(stderr, "burrowgale-server: %s\n", error.c_str());
        return 1;
    }
    const std::optional<int64_t> fixed_now = options.now;
    Api api(*store, options.rate_limit, !options.site.empty(), [fixed_now] {
        return fixed_now ? *fixed_now : static_cast<int64_t>(std::time(nullptr));
    });

    httplib::Server server;
    server.new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    server.set_read_timeout(kReadTimeoutSeconds);
    server.set_write_timeout(kWriteTimeoutSeconds);
    server.set_keep_alive_timeout(kKeepAliveSeconds);
    api.install(server);
    if (!options.site.empty() && !server.set_mount_point("/play", options.site)) {
        std::fprintf(stderr, "burrowgale-server: %s: not a folder\n%s", options.site.c_str(),
                     kServerUsage);
        return 2;
    }
    int port = options.port;
    if (!bind_server(server, options.host, port)) {
        std::fprintf(stderr, "burrowgale-server: cannot listen on %s:%d\n", options.host.c_str(),
                     options.port);
        return 1;
    }
    // Tests and scripts read the port from this line when they asked for any free one.
    std::printf("burrowgale-server: listening on %s:%d, database %s\n", options.host.c_str(), port,
                options.db.c_str());
    std::fflush(stdout);

    std::thread stopper([&server, stop_signals] {
        int signal_number = 0;
        sigwait(&stop_signals, &signal_number);
        server.stop();
    });
    const bool served = server.listen_after_bind();
    pthread_kill(stopper.native_handle(), SIGTERM);  // wakes the stopper if it still waits
    stopper.join();
    return served ? 0 : 1;
}
