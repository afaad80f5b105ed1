#include "game/view/starving_warning.h"

#include <algorithm>

#include "game/view/format.h"
#include "game/world/world.h"

namespace {

using Point = Graphics::Point;

constexpr uint32_t kGlowColor = 0xFF000000;  // alpha from the strength and the distance in
constexpr uint32_t kSignColor = 0xFFD840FF;  // light enough to stand out for any eyes
constexpr uint32_t kBoxColor = 0x141414FF;   // opaque: the map never shows through the text
constexpr uint32_t kPlainFrame = 0x707070FF;
// Dashes half way into the glow, where they show against its red and against the map.
constexpr int kDashInset = 12;
constexpr int kDashLength = 16;
constexpr int kDashThickness = 4;

// Dashes along a horizontal or vertical line of the canvas, from `from` up to `to`.
void dashes(Graphics& graphics, Point from, Point to, uint32_t color) {
    const bool across = from.y == to.y;
    const int end = across ? to.x : to.y;
    for (int at = across ? from.x : from.y; at < end; at += 2 * kDashLength) {
        const int stop = std::min(at + kDashLength, end);
        if (across) {
            graphics.draw_rect({at, from.y}, {stop, from.y + kDashThickness}, color, true);
        } else {
            graphics.draw_rect({from.x, at}, {from.x + kDashThickness, stop}, color, true);
        }
    }
}

}  // namespace

StarvingWarning::Layout StarvingWarning::layout(const Text& text, const std::string& figure) {
    const int line = text.height();
    const int pad = std::max(2, line / 4);
    const int sign = 2 * line;  // as tall as the two lines
    const int text_x = kBoxInset + pad + sign + pad;
    const int widest = std::max(text.width(kHeading), text.width(figure));
    Layout l;
    l.box = {kBoxInset, kBoxInset, text_x - kBoxInset + widest + pad, pad + 2 * line + pad};
    l.sign = {kBoxInset + pad, kBoxInset + pad, sign, sign};
    l.heading = {text_x, kBoxInset + pad};
    l.figure = {text_x, kBoxInset + pad + line};
    return l;
}

std::string StarvingWarning::figure(double length) {
    return format("Length", World::kCentimetresPerLength * length, "cm") + ", game over at " +
           format("", World::kCentimetresPerLength * World::kDeathLength, "cm");
}

void StarvingWarning::draw(Graphics& graphics, const Text& text, double length,
                           uint64_t play_ms) const {
    if (length >= kStarvingLength) return;
    const int width = graphics.config.width;
    const int height = graphics.config.height;

    // The glow grows as the worm shrinks and fades inwards from the edge.
    const double strength = std::min(kStarvingLength - length, 1.0);
    for (int i = 0; i < kBorderWidth; ++i) {
        const auto alpha = static_cast<uint32_t>((255 - 255 * i / kBorderWidth) * strength);
        graphics.draw_rect({i, i}, {width - i, height - i}, kGlowColor | alpha, false);
    }
    // Never faint: the dashes are what tells the edge apart without its red.
    const auto dash_alpha = static_cast<uint32_t>(96 + 159 * strength);
    const uint32_t dash = (kSignColor & 0xFFFFFF00) | dash_alpha;
    const int far_x = width - kDashInset - kDashThickness;
    const int far_y = height - kDashInset - kDashThickness;
    dashes(graphics, {kDashInset, kDashInset}, {width - kDashInset, kDashInset}, dash);
    dashes(graphics, {kDashInset, far_y}, {width - kDashInset, far_y}, dash);
    // The sides start clear of the corners' dashes, so that none is drawn twice.
    const int side_from = kDashInset + 2 * kDashLength;
    dashes(graphics, {kDashInset, side_from}, {kDashInset, far_y}, dash);
    dashes(graphics, {far_x, side_from}, {far_x, far_y}, dash);

    const std::string figure_line = figure(length);
    const Layout l = layout(text, figure_line);
    const bool standing_out = steady || play_ms % kBlinkCycle < kBlinkCycle / 2;
    const Graphics::PixelRect& b = l.box;
    graphics.draw_rect({b.x, b.y}, {b.x + b.w, b.y + b.h}, kBoxColor, true);
    if (standing_out) {
        const int frame = std::max(2, text.height() / 6);
        for (int i = 0; i < frame; ++i) {
            graphics.draw_rect({b.x + i, b.y + i}, {b.x + b.w - i, b.y + b.h - i}, kSignColor,
                               false);
        }
    } else {
        graphics.draw_rect({b.x, b.y}, {b.x + b.w, b.y + b.h}, kPlainFrame, false);
    }

    // A warning sign: a solid triangle with a dark "!" standing out, its outline with a light
    // one otherwise, so that its shape shows in both looks.
    const Graphics::PixelRect& s = l.sign;
    const int middle = s.x + s.w / 2;
    graphics.draw_triangle({middle, s.y}, {s.x, s.y + s.h - 1}, {s.x + s.w - 1, s.y + s.h - 1},
                           kSignColor, standing_out);
    const uint32_t mark = standing_out ? kBoxColor : kSignColor;
    const int stroke = std::max(2, s.w / 8);
    const int left = middle - stroke / 2;
    graphics.draw_rect({left, s.y + s.h * 3 / 8}, {left + stroke, s.y + s.h * 11 / 16}, mark, true);
    graphics.draw_rect({left, s.y + s.h * 3 / 4}, {left + stroke, s.y + s.h * 3 / 4 + stroke}, mark,
                       true);

    text.draw(graphics, kHeading, l.heading.x, l.heading.y, Text::Alignment::Left);
    text.draw(graphics, figure_line, l.figure.x, l.figure.y, Text::Alignment::Left);
}
