#include "server/options.h"

#include <charconv>
#include <string_view>

const char* const kServerUsage =
    "usage: burrowgale-server [--db FILE] [--listen HOST:PORT] [--rate-limit N] [--site DIR]\n"
    "  --db FILE           the SQLite database of runs (default burrowgale.db)\n"
    "  --listen HOST:PORT  where to take requests (default 127.0.0.1:8080)\n"
    "  --rate-limit N      submissions a minute per address (default 30; 0 turns it off)\n"
    "  --site DIR          also serve the web build from DIR, with a watch link per run\n";

namespace {

template <typename T>
bool parse_number(std::string_view text, T& out) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), out);
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool parse_listen(std::string_view text, ServerOptions& out) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    std::string_view host = text.substr(0, colon);
    // "[::1]:8080": brackets keep an IPv6 address's colons apart from the port's.
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']') return false;
        host = host.substr(1, host.size() - 2);
    }
    int port = 0;
    if (!parse_number(text.substr(colon + 1), port) || port < 0 || port > 65535) return false;
    out.host = std::string(host);
    out.port = port;
    return true;
}

}  // namespace

bool parse_server_options(int argc, const char* const* argv, ServerOptions& out, std::string& error,
                          bool& help) {
    help = false;
    for (int i = 0; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        }
        std::string_view value;
        bool has_value = false;
        if (const std::size_t equals = arg.find('='); arg.starts_with("--") && equals != arg.npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            has_value = true;
        }
        const bool known = arg == "--db" || arg == "--listen" || arg == "--rate-limit" ||
                           arg == "--site" || arg == "--now";
        if (!known) {
            error = "unknown option: " + std::string(argv[i]);
            return false;
        }
        if (!has_value) {
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        bool ok = true;
        if (arg == "--db") {
            ok = !value.empty();
            out.db = std::string(value);
        } else if (arg == "--listen") {
            ok = parse_listen(value, out);
        } else if (arg == "--rate-limit") {
            ok = parse_number(value, out.rate_limit) && out.rate_limit <= 1000000;
        } else if (arg == "--site") {
            ok = !value.empty();
            out.site = std::string(value);
        } else {
            int64_t now = 0;
            ok = parse_number(value, now) && now >= 0;
            out.now = now;
        }
        if (!ok) {
            error = "bad value for " + std::string(arg) + ": " + std::string(value);
            return false;
        }
    }
    return true;
}
