#include "server/api.h"

#include <httplib.h>

#include <sys/socket.h>

#include <algorithm>
#include <charconv>
#include <thread>

#include "server/board_page.h"
#include "server/check_run.h"
#include "server/json.h"
#include "server/player.h"

namespace {

constexpr const char* kJson = "application/json";

void fail(httplib::Response& response, int status, std::string_view message) {
    response.status = status;
    response.set_content(json_error(message), kJson);
}

std::ptrdiff_t verifier_count() {
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp<std::ptrdiff_t>(cores, 1, 64);
}

bool declared_too_long(const httplib::Request& request) {
    if (!request.has_header("Content-Length")) return false;
    const std::string text = request.get_header_value("Content-Length");
    uint64_t length = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), length);
    // A length that does not even read as a number is too long as far as we know.
    return result.ec != std::errc() || length > kMaxBodyBytes;
}

std::string too_long_message() {
    return "the body is over " + std::to_string(kMaxBodyBytes) + " bytes, the largest replay";
}

}  // namespace

bool bind_server(httplib::Server& server, const std::string& host, int& port) {
    constexpr int kBacklog = 256;
    int listening = -1;
    server.set_socket_options([&listening](int socket) {
        const int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        listening = socket;
    });
    const bool bound =
        port == 0 ? (port = server.bind_to_any_port(host)) > 0 : server.bind_to_port(host, port);
    // listen() again on a listening socket only changes its queue's length.
    return bound && listening >= 0 && ::listen(listening, kBacklog) == 0;
}

Api::Api(Store& store, unsigned rate_limit, bool watch_links, std::function<int64_t()> now)
    : store_(store),
      watch_links_(watch_links),
      now_(std::move(now)),
      limiter_(rate_limit),
      verifiers_(verifier_count()) {}

void Api::install(httplib::Server& server) {
    server.set_payload_max_length(kMaxBodyBytes);
    // Small answers leave at once rather than waiting on the client's delayed acknowledgement.
    server.set_tcp_nodelay(true);
    // The listening queue is short (the library's), so clients keep their connections rather
    // than making new ones every few requests.
    server.set_keep_alive_max_count(1000);
    // A declared length over the cap is refused from the headers alone: the body is not read.
    server.set_expect_100_continue_handler(
        [](const httplib::Request& request, httplib::Response& response) {
            if (!declared_too_long(request)) return 100;
            fail(response, 413, too_long_message());
            response.set_header("Connection", "close");
            return 413;
        });
    server.set_pre_routing_handler(
        [](const httplib::Request& request, httplib::Response& response) {
            if (!declared_too_long(request)) return httplib::Server::HandlerResponse::Unhandled;
            fail(response, 413, too_long_message());
            response.set_header("Connection", "close");
            return httplib::Server::HandlerResponse::Handled;
        });
    // Answers httplib makes itself (no such route, a body over the cap, a malformed request)
    // get a JSON body like ours.
    server.set_error_handler(httplib::Server::HandlerWithResponse(
        [](const httplib::Request&, httplib::Response& response) {
            if (!response.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
            const char* message = response.status == 404   ? "no such resource"
                                  : response.status == 413 ? "the body is too long"
                                  : response.status == 405 ? "method not allowed"
                                  : response.status < 500  ? "bad request"
                                                           : "internal error";
            fail(response, response.status, message);
            return httplib::Server::HandlerResponse::Handled;
        }));
    server.set_exception_handler([](const httplib::Request&, httplib::Response& response,
                                    std::exception_ptr) { fail(response, 500, "internal error"); });

    server.Post(R"(/api/v1/daily/([^/]+)/runs)",
                [this](const httplib::Request& request, httplib::Response& response) {
                    submit(request, response);
                });
    server.Get(R"(/api/v1/daily/([^/]+))",
               [this](const httplib::Request& request, httplib::Response& response) {
                   board_json(request, response);
               });
    server.Get(R"(/api/v1/runs/([0-9]+)/replay)",
               [this](const httplib::Request& request, httplib::Response& response) {
                   replay_file(request, response);
               });
    server.Get("/", [this](const httplib::Request&, httplib::Response& response) {
        board_html(daily::format_date(daily::date_at(now_())), response);
    });
    server.Get(R"(/daily/([^/]+))",
               [this](const httplib::Request& request, httplib::Response& response) {
                   board_html(request.matches[1], response);
               });
}

void Api::submit(const httplib::Request& request, httplib::Response& response) {
    {
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - started_);
        std::lock_guard lock(limiter_lock_);
        if (const int64_t wait = limiter_.take(request.remote_addr, elapsed.count()); wait > 0) {
            response.set_header("Retry-After", std::to_string(wait));
            fail(response, 429,
                 "too many submissions from this address; try again in " + std::to_string(wait) +
                     " s");
            return;
        }
    }
    const std::optional<daily::Date> date = daily::parse_date(request.matches[1].str());
    if (!date) return fail(response, 400, "the date must be a real date written YYYY-MM-DD");
    const std::optional<std::string> key = bearer_key(request.get_header_value("Authorization"));
    if (!key) {
        return fail(response, 400,
                    "the Authorization header must be \"Bearer \" and a 32-hex-digit player key");
    }
    const std::optional<std::string> name =
        clean_player_name(request.get_header_value("X-Player-Name"));
    if (!name) {
        return fail(response, 400,
                    "the X-Player-Name header must hold 1 to 16 printable ASCII characters");
    }
    const int64_t now = now_();
    if (!daily::is_open(*date, now)) {
        return fail(response, 410,
                    daily::format_date(*date) +
                        (now < daily::day_start(*date) ? " is not open yet" : " is closed"));
    }
    if (request.body.size() > kMaxBodyBytes) return fail(response, 413, too_long_message());

    const auto* bytes = reinterpret_cast<const uint8_t*>(request.body.data());
    verifiers_.acquire();
    const CheckedRun checked = check_run(*date, bytes, request.body.size());
    verifiers_.release();
    switch (checked.verdict) {
        case CheckedRun::Verdict::Verified:
            break;
        case CheckedRun::Verdict::NotAReplay:
            return fail(response, 400, checked.detail);
        case CheckedRun::Verdict::WrongSeed:
        case CheckedRun::Verdict::UnknownVersion:
        case CheckedRun::Verdict::Differs:
            return fail(response, 422, checked.detail);
    }

    Store::NewRun run;
    run.date = daily::format_date(*date);
    run.key_hash = key_hash(*key);
    run.name = *name;
    run.depth = checked.depth;
    run.length = checked.length;
    run.submitted = now;
    run.assisted = checked.assisted;
    run.replay.assign(bytes, bytes + request.body.size());
    Store::Added added;
    std::string error;
    if (!store_.add_run(run, added, error)) {
        std::fprintf(stderr, "burrowgale-server: %s\n", error.c_str());
        return fail(response, 500, "the run could not be stored");
    }
    JsonWriter json;
    json.begin_object().key("id").value(added.id).key("date").value(run.date);
    json.key("depth").value(run.depth).key("length").value(run.length);
    if (added.ranked) {
        json.key("rank").value(added.rank).key("of").value(added.of);
        response.status = 201;
    } else {
        json.key("practice").value(true);
        if (run.assisted) json.key("assisted").value(true);
        response.status = 200;
    }
    json.end_object();
    response.set_content(json.text(), kJson);
}

void Api::board_json(const httplib::Request& request, httplib::Response& response) {
    const std::optional<daily::Date> date = daily::parse_date(request.matches[1].str());
    if (!date) return fail(response, 400, "the date must be a real date written YYYY-MM-DD");
    int limit = kDefaultBoardLimit;
    if (request.has_param("limit")) {
        const std::string text = request.get_param_value("limit");
        const auto result = std::from_chars(text.data(), text.data() + text.size(), limit);
        if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size() ||
            limit < 1 || limit > kMaxBoardLimit) {
            return fail(response, 400,
                        "limit must be a whole number from 1 to " + std::to_string(kMaxBoardLimit));
        }
    }
    const std::string day = daily::format_date(*date);
    std::vector<Store::BoardRow> rows;
    std::string error;
    if (!store_.board(day, limit, rows, error)) {
        std::fprintf(stderr, "burrowgale-server: %s\n", error.c_str());
        return fail(response, 500, "the board could not be read");
    }
    JsonWriter json;
    json.begin_object().key("date").value(day).key("seed").value(daily::seed_of(*date));
    json.key("runs").begin_array();
    for (const Store::BoardRow& row : rows) {
        json.begin_object().key("rank").value(row.rank).key("name").value(row.name);
        json.key("depth").value(row.depth).key("length").value(row.length);
        json.key("id").value(row.id).end_object();
    }
    json.end_array().end_object();
    response.set_content(json.text(), kJson);
}

void Api::board_html(const std::string& date_text, httplib::Response& response) {
    const std::optional<daily::Date> date = daily::parse_date(date_text);
    if (!date) return fail(response, 400, "the date must be a real date written YYYY-MM-DD");
    std::vector<Store::BoardRow> rows;
    std::string error;
    if (!store_.board(daily::format_date(*date), kDefaultBoardLimit, rows, error)) {
        std::fprintf(stderr, "burrowgale-server: %s\n", error.c_str());
        return fail(response, 500, "the board could not be read");
    }
    response.set_content(board_page(*date, rows, watch_links_), "text/html; charset=utf-8");
}

void Api::replay_file(const httplib::Request& request, httplib::Response& response) {
    const std::string text = request.matches[1].str();
    int64_t id = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), id);
    std::vector<uint8_t> bytes;
    bool found = false;
    std::string error;
    if (result.ec == std::errc() && !store_.replay(id, bytes, found, error)) {
        std::fprintf(stderr, "burrowgale-server: %s\n", error.c_str());
        return fail(response, 500, "the replay could not be read");
    }
    if (!found) return fail(response, 404, "no run " + text);
    response.set_header("Content-Disposition", "attachment; filename=\"burrowgale-run-" +
                                                   std::to_string(id) + ".replay\"");
    response.set_content(std::string(bytes.begin(), bytes.end()), "application/octet-stream");
}
