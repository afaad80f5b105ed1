#include "game/screens/daily_client.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "game/profile/player_key.h"

namespace {

constexpr int kTooManyRequests = 429;
constexpr std::size_t kMaxNameLength = 16;

// A small reader for the server's answers: objects, arrays, strings, numbers, true and false.
// It finds what it is asked for among an object's own members and nothing else.
class Json {
public:
    explicit Json(const std::string& text_) : text(text_) {}

    // The text of the member `name` of the object at `at`, or empty.
    std::string member(std::size_t at, const std::string& name) const {
        const std::size_t value = find(at, name);
        if (value == std::string::npos) return "";
        return text.substr(value, skip_value(value) - value);
    }
    // The member's text if it is a string, escapes undone; else empty.
    std::string member_string(std::size_t at, const std::string& name) const {
        const std::size_t value = find(at, name);
        if (value == std::string::npos || text[value] != '"') return "";
        return string_at(value);
    }

    // Where the value of the member `name` of the object at `at` starts, or npos.
    std::size_t find(std::size_t at, const std::string& name) const {
        at = skip_space(at);
        if (at >= text.size() || text[at] != '{') return std::string::npos;
        ++at;
        while (true) {
            at = skip_space(at);
            if (at >= text.size() || text[at] != '"') return std::string::npos;
            const std::size_t key_end = skip_value(at);
            if (key_end == std::string::npos) return std::string::npos;
            const std::string key = string_at(at);
            at = skip_space(key_end);
            if (at >= text.size() || text[at] != ':') return std::string::npos;
            const std::size_t value = skip_space(at + 1);
            const std::size_t value_end = skip_value(value);
            if (value_end == std::string::npos) return std::string::npos;
            if (key == name) return value;
            at = skip_space(value_end);
            if (at >= text.size() || text[at] != ',') return std::string::npos;
            ++at;
        }
    }

    // The starts of the elements of the array at the start of `array`.
    static std::vector<std::string> elements(const std::string& array) {
        std::vector<std::string> found;
        const Json json(array);
        std::size_t at = json.skip_space(0);
        if (at >= array.size() || array[at] != '[') return found;
        at = json.skip_space(at + 1);
        if (at < array.size() && array[at] == ']') return found;
        while (at < array.size()) {
            const std::size_t end = json.skip_value(at);
            if (end == std::string::npos) return {};
            found.push_back(array.substr(at, end - at));
            at = json.skip_space(end);
            if (at >= array.size() || array[at] != ',') break;
            at = json.skip_space(at + 1);
        }
        return found;
    }

    // A string's text, escapes undone; characters beyond ASCII as '?'.
    std::string string_at(std::size_t at) const {
        std::string out;
        for (std::size_t i = at + 1; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] != '\\') {
                out += text[i];
                continue;
            }
            if (++i >= text.size()) break;
            switch (text[i]) {
                case 'u': {
                    const long code = i + 4 < text.size()
                                          ? std::strtol(text.substr(i + 1, 4).c_str(), nullptr, 16)
                                          : 0;
                    out += code >= 32 && code < 127 ? static_cast<char>(code) : '?';
                    i += 4;
                    break;
                }
                case 'n':
                case 't':
                case 'r':
                case 'b':
                case 'f':
                    out += ' ';
                    break;
                default:
                    out += text[i];
            }
        }
        return out;
    }

private:
    std::size_t skip_space(std::size_t at) const {
        while (at < text.size() &&
               (text[at] == ' ' || text[at] == '\n' || text[at] == '\r' || text[at] == '\t')) {
            ++at;
        }
        return at;
    }

    // Where the value at `at` ends; npos for a broken one. Nesting is counted, not recursed,
    // so that no answer can run the stack out.
    std::size_t skip_value(std::size_t at) const {
        if (at >= text.size()) return std::string::npos;
        if (text[at] != '"' && text[at] != '{' && text[at] != '[') {
            // A number, true, false or null: up to the next delimiter.
            const std::size_t start = at;
            while (at < text.size() &&
                   std::string(",:}] \n\r\t").find(text[at]) == std::string::npos) {
                ++at;
            }
            return at == start ? std::string::npos : at;
        }
        int depth = 0;
        while (at < text.size()) {
            const char c = text[at];
            if (c == '"') {
                for (++at; at < text.size() && text[at] != '"'; ++at) {
                    if (text[at] == '\\') ++at;
                }
                if (at >= text.size()) return std::string::npos;
                if (depth == 0) return at + 1;
            } else if (c == '{' || c == '[') {
                ++depth;
            } else if ((c == '}' || c == ']') && --depth == 0) {
                return at + 1;
            }
            ++at;
        }
        return std::string::npos;
    }

    const std::string& text;
};

bool whole_number(const std::string& text, int& out) {
    if (text.empty() || text.size() > 9) return false;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    out = value;
    return true;
}

bool figure(const std::string& text, double& out) {
    if (text.empty() || text.size() > 32) return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && out >= 0.0 && out < 1.0e7;
}

// One line of the server's words, short and drawable.
std::string printable(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (out.size() >= DailyRuns::kMaxNoteLength) break;
        out += c >= ' ' && c <= '~' ? c : '?';
    }
    return out;
}

}  // namespace

DailyClient::DailyClient(Profile& profile_, DailyRuns& runs_, BackgroundWriter& writer_,
                         std::unique_ptr<Http> http_)
    : profile(profile_), runs(runs_), writer(writer_), http(std::move(http_)) {
    configure(profile.settings.leaderboard_url, profile.settings.player_name);
}

DailyClient::~DailyClient() { http.reset(); }

bool DailyClient::configure(const std::string& new_url, const std::string& new_name) {
    std::string base = new_url;
    while (!base.empty() && base.back() == '/') base.pop_back();
    const std::lock_guard lock(mutex);
    sent_name = new_name;
    if (base == server_url) return false;
    server_url = base;
    rows.clear();
    ++generation;
    return true;
}

std::string DailyClient::base_url() const {
    const std::lock_guard lock(mutex);
    return server_url;
}

std::string DailyClient::player_name() const {
    const std::lock_guard lock(mutex);
    return sent_name;
}

DailyRun DailyClient::judge(DailyRun run, int status, const std::string& body, std::string& line) {
    const Json json(body);
    if (status == 201) {
        int rank = 0;
        int of = 0;
        if (whole_number(json.member(0, "rank"), rank) && whole_number(json.member(0, "of"), of)) {
            run.state = DailyRun::State::Sent;
            run.rank = rank;
            run.of = of;
            line = "Daily rank " + std::to_string(rank) + " of " + std::to_string(of);
            return run;
        }
        status = 0;  // not the answer of a leaderboard: try again later
    }
    if (status >= 200 && status < 300) {
        run.state = DailyRun::State::Sent;
        run.note = "kept unranked: the server has a ranked run of this key that day";
        line = "Daily dig: the server already has your ranked run of the day";
        return run;
    }
    if (status == 0 || status >= 500 || status == kTooManyRequests) {
        line = "Daily run not sent yet: it is sent at the next start";
        return run;
    }
    const std::string error = json.member(0, "error");
    run.state = DailyRun::State::Refused;
    run.note = printable(error.size() >= 2 && error[0] == '"' ? json.string_at(body.find(error))
                                                              : "answer " + std::to_string(status));
    line = "Not ranked: " + run.note;
    return run;
}

std::vector<DailyClient::Row> DailyClient::parse_board(const std::string& body) {
    std::vector<Row> found;
    const Json json(body);
    for (const std::string& element : Json::elements(json.member(0, "runs"))) {
        const Json object(element);
        Row row;
        const std::string name = object.member_string(0, "name");
        if (name.empty() || !whole_number(object.member(0, "rank"), row.rank) ||
            !figure(object.member(0, "depth"), row.depth) ||
            !figure(object.member(0, "length"), row.length)) {
            return {};
        }
        row.name = printable(name).substr(0, kMaxNameLength);
        found.push_back(row);
        if (found.size() == kBoardRows) break;
    }
    return found;
}

void DailyClient::send(const daily::Date& date, const std::string& replay) {
    const std::string url = base_url();
    if (url.empty() || replay.empty()) return;
    std::string error;
    const std::string key = player_key(profile.config_folder, error);
    if (key.empty()) {
        std::fprintf(stderr, "burrowgale: %s; the daily run is not sent\n", error.c_str());
        return;
    }
    HttpRequest request;
    request.method = "POST";
    request.url = url + "/api/v1/daily/" + daily::format_date(date) + "/runs";
    request.headers = {"Authorization: Bearer " + key, "X-Player-Name: " + player_name(),
                       "Content-Type: application/octet-stream"};
    request.body = replay;
    DailyRun run;
    if (const DailyRun* known = runs.find(date)) run = *known;
    run.date = date;
    run.state = DailyRun::State::Pending;
    http->send(std::move(request), [this, run](HttpResponse response) {
        std::string line;
        const DailyRun judged = judge(run, response.status, response.body, line);
        if (judged.state == DailyRun::State::Refused) {
            std::fprintf(stderr, "burrowgale: the leaderboard refused the daily run of %s: %s\n",
                         daily::format_date(run.date).c_str(), judged.note.c_str());
        } else if (judged.state == DailyRun::State::Pending && !response.error.empty()) {
            std::fprintf(stderr, "burrowgale: %s; the daily run waits\n", response.error.c_str());
        }
        {
            const std::lock_guard lock(mutex);
            answers[daily::format_date(run.date)] = line;
        }
        if (judged.state != DailyRun::State::Pending) {
            writer.post([this, judged] { runs.update(judged); });
        }
    });
}

void DailyClient::send_due(int64_t now) {
    for (const DailyRun& late : runs.overdue(now)) {
        std::fprintf(stderr,
                     "burrowgale: the daily run of %s was not sent in time; it is kept here only\n",
                     daily::format_date(late.date).c_str());
        DailyRun expired = late;
        expired.state = DailyRun::State::Expired;
        writer.post([this, expired] { runs.update(expired); });
    }
    if (base_url().empty()) return;
    for (const DailyRun& due : runs.due(now)) {
        std::string bytes;
        std::string error;
        const auto read =
            profile.files.read(runs.replay_path(due.date), 4 * 1024 * 1024, bytes, error);
        if (read != SafeFile::ReadResult::Ok) {
            std::fprintf(stderr, "burrowgale: the daily run of %s cannot be sent: %s\n",
                         daily::format_date(due.date).c_str(),
                         error.empty() ? "its replay is missing" : error.c_str());
            continue;
        }
        send(due.date, bytes);
    }
}

void DailyClient::fetch_board(const daily::Date& date) {
    std::string server;
    int asked = 0;
    {
        const std::lock_guard lock(mutex);
        server = server_url;
        asked = generation;
    }
    if (server.empty()) return;
    HttpRequest request;
    request.url = server + "/api/v1/daily/" + daily::format_date(date) +
                  "?limit=" + std::to_string(kBoardRows);
    http->send(std::move(request), [this, asked](HttpResponse response) {
        if (response.status != 200) return;  // nothing shown when it is not there
        std::vector<Row> found = parse_board(response.body);
        const std::lock_guard lock(mutex);
        if (asked == generation) rows = std::move(found);
    });
}

std::string DailyClient::answer(const daily::Date& date) const {
    const std::lock_guard lock(mutex);
    const auto found = answers.find(daily::format_date(date));
    return found == answers.end() ? "" : found->second;
}

std::vector<DailyClient::Row> DailyClient::board() const {
    const std::lock_guard lock(mutex);
    return rows;
}
