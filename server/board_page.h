// The day's board as a small HTML page: readable without a script, every stored text escaped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "game/world/daily.h"
#include "server/store.h"

// `text` with & < > " ' written as character references.
std::string html_escape(std::string_view text);

// The page for `date`. With `watch_links`, each row links to the web build (served under
// /play/) playing that run.
std::string board_page(const daily::Date& date, const std::vector<Store::BoardRow>& rows,
                       bool watch_links);
