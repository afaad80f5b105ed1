#include "server/board_page.h"

#include <cstdio>

std::string html_escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

namespace {

std::string fixed(double value, const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %s", value, unit);
    return text;
}

}  // namespace

std::string board_page(const daily::Date& date, const std::vector<Store::BoardRow>& rows,
                       bool watch_links) {
    const std::string day = daily::format_date(date);
    const int64_t start = daily::day_start(date);
    const std::string before = daily::format_date(daily::date_at(start - daily::kSecondsPerDay));
    const std::string after = daily::format_date(daily::date_at(start + daily::kSecondsPerDay));
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Burrowgale daily dig " +
        day +
        "</title>\n"
        "<style>body{font-family:sans-serif;max-width:40em;margin:2em auto;padding:0 1em}"
        "table{border-collapse:collapse;width:100%}td,th{padding:.2em .6em;text-align:left}"
        "td.n{text-align:right}tr:nth-child(even){background:#eee}</style>\n"
        "</head><body>\n<h1>Daily dig " +
        day +
        "</h1>\n"
        "<p>Seed " +
        std::to_string(daily::seed_of(date)) +
        ". Every run here was replayed by the server. <a href=\"/daily/" + before +
        "\">Day before</a> · <a href=\"/daily/" + after + "\">Day after</a></p>\n";
    if (rows.empty()) {
        page += "<p>No runs yet.</p>\n";
    } else {
        page +=
            "<table>\n<tr><th>Rank</th><th>Name</th><th>Depth</th><th>Length</th><th>Replay</th>";
        page += "</tr>\n";
        for (const Store::BoardRow& row : rows) {
            const std::string id = std::to_string(row.id);
            page += "<tr><td class=\"n\">" + std::to_string(row.rank) + "</td><td>" +
                    html_escape(row.name) + "</td><td class=\"n\">" + fixed(row.depth, "m") +
                    "</td><td class=\"n\">" + fixed(row.length, "cm") + "</td><td>";
            page += "<a href=\"/api/v1/runs/" + id + "/replay\">file</a>";
            if (watch_links) {
                page += " <a href=\"/play/index.html?replay=%2Fapi%2Fv1%2Fruns%2F" + id +
                        "%2Freplay\">watch</a>";
            }
            page += "</td></tr>\n";
        }
        page += "</table>\n";
    }
    page += "</body></html>\n";
    return page;
}
