// Fitting text into the room a screen has for it, measured in the font at its scale: at a large
// UI scale a line that fitted at the normal size may not.
#pragma once

#include <string>
#include <vector>

#include "engine/text.h"

// `line` broken at spaces into lines at most `width` pixels wide in `text`'s font; a word
// wider than a line is cut. At most `max_lines` (at least one): when the text goes on past
// them, the last ends in "..." instead. Nothing for an empty line.
std::vector<std::string> wrap_text(const Text& text, const std::string& line, int width,
                                   int max_lines);
