#include "game/view/text_layout.h"

#include <algorithm>

namespace {

constexpr const char* kEllipsis = "...";
constexpr std::size_t kEllipsisLength = 3;

// Whole glyphs only; at least one, so that even a sliver of room shows something.
std::size_t chars_in(const Text& text, int width) {
    const int advance = std::max(text.advance(), 1);
    return static_cast<std::size_t>(std::max(width / advance, 1));
}

// `line` cut to `room` characters, with the ellipsis in its last ones.
std::string shortened(const std::string& line, std::size_t room) {
    if (line.size() <= room) return line;
    if (room <= kEllipsisLength) return line.substr(0, room);
    std::string cut = line.substr(0, room - kEllipsisLength);
    while (!cut.empty() && cut.back() == ' ') cut.pop_back();
    return cut + kEllipsis;
}

}  // namespace

std::vector<std::string> wrap_text(const Text& text, const std::string& line, int width,
                                   int max_lines) {
    const std::size_t room = chars_in(text, width);
    const std::size_t most = static_cast<std::size_t>(std::max(max_lines, 1));
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ') ++at;  // no line starts with a space
        if (at == line.size()) break;
        if (lines.size() + 1 == most) {
            lines.push_back(shortened(line.substr(at), room));
            return lines;
        }
        std::size_t end = std::min(at + room, line.size());
        if (end < line.size() && line[end] != ' ') {
            // Back to the last space inside the line, unless the word fills it all.
            const std::size_t space = line.rfind(' ', end);
            if (space != std::string::npos && space > at) end = space;
        }
        std::string piece = line.substr(at, end - at);
        while (!piece.empty() && piece.back() == ' ') piece.pop_back();
        lines.push_back(piece);
        at = end;
    }
    return lines;
}
