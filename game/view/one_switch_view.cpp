#include "game/view/one_switch_view.h"

#include <algorithm>
#include <cctype>

#include "engine/graphics.h"
#include "engine/text.h"

namespace {

constexpr uint32_t kMarkColor = 0xFFFFFFFF;
constexpr uint32_t kMarkEdge = 0x000000FF;  // dark rim: the marks show on sky and on soil
constexpr int kChosenRadius = 9;            // pixels: the highlighted turn's diamond
constexpr int kOtherRadius = 5;             // pixels: the other turns' rings
constexpr int kFramePadding = 6;            // pixels beside the highlighted entry, half above
constexpr uint32_t kFrameColor = 0xFFFFFFFF;

const char* const kTurnNames[kSwitchTurns] = {"left", "ahead", "right"};

void draw_diamond(Graphics& graphics, Graphics::Point c, int radius, uint32_t color) {
    const Graphics::Point top{c.x, c.y - radius};
    const Graphics::Point bottom{c.x, c.y + radius};
    graphics.draw_triangle(top, {c.x - radius, c.y}, {c.x + radius, c.y}, color, true);
    graphics.draw_triangle(bottom, {c.x - radius, c.y}, {c.x + radius, c.y}, color, true);
}

}  // namespace

Direction switch_heading(Direction heading, SwitchTurn turn) {
    // Five sixths clockwise is one sixth counter-clockwise.
    const int sixths = turn == SwitchTurn::Left ? 5 : turn == SwitchTurn::Right ? 1 : 0;
    return Direction(static_cast<Direction::Value>((heading.value + sixths) % 6));
}

void draw_switch_choices(Graphics& graphics, const Text& text,
                         const std::vector<std::string>& entries, int highlighted, int centre_x,
                         int top) {
    const int row_height = text.height() + text.height() / 8;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int y = top + row_height * static_cast<int>(i);
        if (static_cast<int>(i) != highlighted) {
            text.draw(graphics, entries[i], centre_x, y, Text::Alignment::Center);
            continue;
        }
        const std::string line = "> " + entries[i] + " <";
        text.draw(graphics, line, centre_x, y, Text::Alignment::Center);
        const int half = text.width(line) / 2 + kFramePadding;
        graphics.draw_rect({centre_x - half, y - kFramePadding / 2},
                           {centre_x + half, y + text.height() + kFramePadding / 2}, kFrameColor,
                           false);
    }
}

void draw_turn_marks(Graphics& graphics, const Player& player, SwitchTurn highlighted,
                     int64_t x_offset, int64_t y_offset) {
    const Player::Segment& head = player.segments.front();
    for (int i = 0; i < kSwitchTurns; ++i) {
        const auto turn = static_cast<SwitchTurn>(i);
        const Point world = head.position.apply(switch_heading(head.front, turn)).center();
        const Graphics::Point at{static_cast<int>(world.x - x_offset),
                                 static_cast<int>(world.y - y_offset)};
        if (turn == highlighted) {
            draw_diamond(graphics, at, kChosenRadius + 2, kMarkEdge);
            draw_diamond(graphics, at, kChosenRadius, kMarkColor);
        } else {
            graphics.draw_circle(at, kOtherRadius + 1, kMarkEdge, false);
            graphics.draw_circle(at, kOtherRadius, kMarkColor, false);
        }
    }
}

std::string turn_line(SwitchTurn highlighted) {
    std::string line = "Turn:";
    for (int i = 0; i < kSwitchTurns; ++i) {
        std::string name = kTurnNames[i];
        if (static_cast<SwitchTurn>(i) == highlighted) {
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
            name = "[" + name + "]";
        } else {
            name = " " + name + " ";
        }
        line += " " + name;
    }
    return line;
}

void draw_turn_line(Graphics& graphics, const Text& text, SwitchTurn highlighted, int x, int y) {
    text.draw(graphics, turn_line(highlighted), x, y, Text::Alignment::Left);
}
