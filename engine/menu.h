// A vertical list of text entries with a cursor, which wraps from the last entry to the first
// (and back) only when asked to. Drawn at its text's scale.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/text.h"

class Graphics;

class Menu {
public:
    explicit Menu(const std::string& font_image);
    void add_entry(const std::string& entry);
    void next();
    void prev();
    void select(unsigned int index);
    unsigned int selected() const { return cursor; }
    void draw(Graphics& graphics, int x, int y) const;

    Text text;
    uint32_t cursor = 0;  // index of the entry under the cursor, read through selected()
    bool wrap = false;    // one-switch play steps through a menu in one direction only
    std::vector<std::string> entries;
};
