// The server's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct ServerOptions {
    std::string db = "burrowgale.db";
    std::string host = "127.0.0.1";
    int port = 8080;
    unsigned rate_limit = 30;  // submissions a minute per address; 0: no limit
    std::string site;          // the web build's folder, served beside the board; empty: none
    // For tests only: the Unix time the server takes as now, so that a test's date stays open
    // whatever the clock says. Not shown in the usage.
    std::optional<int64_t> now;
};

// Reads the arguments after the program's name ("--db FILE" or "--db=FILE"). On bad input
// returns false with one line in `error`; `help` is set for --help.
bool parse_server_options(int argc, const char* const* argv, ServerOptions& out, std::string& error,
                          bool& help);

extern const char* const kServerUsage;
