// Checks of a screen's text as drawn, from a Graphics text log: any test that draws a screen
// can ask whether its layout holds.
#pragma once

#include <string>
#include <vector>

#include "engine/graphics.h"
#include "engine/text.h"

namespace test {

// What is wrong with the drawn strings: two whose boxes overlap, one whose box leaves
// `canvas`, one whose glyphs are less than `least_glyph_height` pixels tall (its box's height
// over its lines). One line per problem, naming the strings; none when all is well.
std::vector<std::string> check_layout(const std::vector<DrawnText>& drawn,
                                      const Graphics::PixelRect& canvas,
                                      int least_glyph_height = 0);

// The strings `draw` draws on `graphics`, with their boxes.
template <typename Draw>
std::vector<DrawnText> drawn_text(Graphics& graphics, Draw&& draw) {
    std::vector<DrawnText> log;
    graphics.text_log = &log;
    draw(graphics);
    graphics.text_log = nullptr;
    return log;
}

}  // namespace test
