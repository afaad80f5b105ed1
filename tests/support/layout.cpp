#include "tests/support/layout.h"

#include <algorithm>

namespace test {

namespace {

std::string describe(const DrawnText& d) {
    const Graphics::PixelRect& b = d.box;
    return "\"" + d.text + "\" at " + std::to_string(b.x) + "," + std::to_string(b.y) + " " +
           std::to_string(b.w) + "x" + std::to_string(b.h);
}

bool overlap(const Graphics::PixelRect& a, const Graphics::PixelRect& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

}  // namespace

std::vector<std::string> check_layout(const std::vector<DrawnText>& drawn,
                                      const Graphics::PixelRect& canvas, int least_glyph_height) {
    std::vector<std::string> problems;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const DrawnText& d = drawn[i];
        const Graphics::PixelRect& b = d.box;
        if (b.x < canvas.x || b.y < canvas.y || b.x + b.w > canvas.x + canvas.w ||
            b.y + b.h > canvas.y + canvas.h) {
            problems.push_back(describe(d) + " leaves the canvas");
        }
        const int lines = 1 + static_cast<int>(std::count(d.text.begin(), d.text.end(), '\n'));
        if (b.h / lines < least_glyph_height) {
            problems.push_back(describe(d) + " has glyphs under " +
                               std::to_string(least_glyph_height) + " px");
        }
        for (std::size_t j = i + 1; j < drawn.size(); ++j) {
            if (overlap(b, drawn[j].box)) {
                problems.push_back(describe(d) + " overlaps " + describe(drawn[j]));
            }
        }
    }
    return problems;
}

}  // namespace test
