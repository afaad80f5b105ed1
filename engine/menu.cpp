#include "engine/menu.h"

#include "engine/graphics.h"

namespace {

constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 16;
// Rows and the entry indent are this far apart whatever the font's glyph size, at scale 1.
constexpr int kSpacing = 16;

}  // namespace

Menu::Menu(const std::string& font_image) : text(font_image, kGlyphWidth, kGlyphHeight) {}

void Menu::add_entry(const std::string& entry) { entries.push_back(entry); }

void Menu::next() {
    if (cursor + 1 < entries.size()) {
        ++cursor;
    } else if (wrap) {
        cursor = 0;
    }
}

void Menu::prev() {
    if (cursor > 0) {
        --cursor;
    } else if (wrap && !entries.empty()) {
        cursor = static_cast<uint32_t>(entries.size() - 1);
    }
}

void Menu::select(unsigned int index) {
    if (index < entries.size()) cursor = index;
}

void Menu::draw(Graphics& graphics, int x, int y) const {
    const int spacing = static_cast<int>(kSpacing * text.scale + 0.5);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int row = y + spacing * static_cast<int>(i);
        if (i == cursor) text.draw(graphics, ">", x, row, Text::Alignment::Left);
        text.draw(graphics, entries[i], x + spacing, row, Text::Alignment::Left);
    }
}
