#include "game/view/text_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Wrap {
    const char* line;
    double scale;
    int width;
    int max_lines;
    std::vector<std::string> expected;
};

// An 8-pixel font: 80 pixels hold 10 glyphs at the normal size, 5 at twice it.
TEST(WrapText, BreaksAtSpacesCutsLongWordsAndEndsCutTextWithAnEllipsis) {
    const Wrap cases[] = {
        {"Daily rank 12 of 340", 1.0, 80, 3, {"Daily rank", "12 of 340"}},
        {"0123456789", 1.0, 80, 1, {"0123456789"}},                  // exactly the width
        {"0123456789 x", 1.0, 80, 3, {"0123456789", "x"}},           // the break at the edge
        {"abcdefghijklmnop", 1.0, 80, 3, {"abcdefghij", "klmnop"}},  // no space to break at
        {"  two   spaces  ", 1.0, 80, 3, {"two", "spaces"}},
        {"one two three four five", 1.0, 80, 2, {"one two", "three f..."}},
        {"one two three four five", 1.0, 80, 0, {"one two..."}},  // never fewer than one line
        {"Seed 42", 2.0, 80, 3, {"Seed", "42"}},
        {"Seed 42", 1.25, 80, 3, {"Seed 42"}},  // 10-pixel glyphs: 8 of them fit
        {"ab", 1.0, 3, 5, {"a", "b"}},          // less than a glyph still shows one
        {"", 1.0, 80, 3, {}},
        {"   ", 1.0, 80, 3, {}},
    };
    for (const Wrap& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.line + "\" at " + std::to_string(c.scale));
        Text text("text.png", 8, 16);
        text.scale = c.scale;
        EXPECT_EQ(wrap_text(text, c.line, c.width, c.max_lines), c.expected);
    }
}

}  // namespace
