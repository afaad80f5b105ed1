// Requests over HTTP that never hold up a frame: on a thread of their own on the desktop
// (libcurl), through the browser's fetch in a page. Small exchanges only: a body to send, an
// answer of at most kMaxAnswer bytes.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct HttpRequest {
    std::string method = "GET";        // "GET" or "POST"
    std::string url;                   // "https://host/path"
    std::vector<std::string> headers;  // "Name: value"
    std::string body;                  // sent with a POST
};

struct HttpResponse {
    int status = 0;     // the server's status; 0 when there was no answer (see `error`)
    std::string body;   // at most kMaxAnswer bytes
    std::string error;  // why there was no answer: unreachable, timed out, too long
};

class Http {
public:
    static constexpr std::chrono::seconds kConnectTimeout{5};
    static constexpr std::chrono::seconds kTotalTimeout{20};
    static constexpr std::size_t kMaxAnswer = 256 * 1024;

    using Done = std::function<void(HttpResponse)>;

    virtual ~Http() = default;
    // Starts the request and returns at once. `done` is called once with the answer: on the
    // client's own thread on the desktop, in a later frame in a page. Requests not finished
    // when the client is destroyed are given up, and their `done` is never called.
    virtual void send(HttpRequest request, Done done) = 0;

    // The platform's client: libcurl on the desktop, fetch in a page.
    static std::unique_ptr<Http> make();
};
