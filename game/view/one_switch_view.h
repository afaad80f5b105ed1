// What one-switch play shows: the list whose highlight the switch takes, and the turn the worm
// would take now. The highlight differs in shape (marks and a frame, or capitals and brackets)
// as well as in brightness, so that it reads without telling colours apart.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/world/player.h"

class Graphics;
class Text;

// The turns in the order the highlight takes them.
enum class SwitchTurn : int { Left = 0, Ahead = 1, Right = 2 };
inline constexpr int kSwitchTurns = 3;

// The heading a turn gives, as the marks show it: the worm's own left is counter-clockwise.
Direction switch_heading(Direction heading, SwitchTurn turn);

// One entry a row, centred on `centre_x` from `top`; the highlighted one framed as "> Play <".
void draw_switch_choices(Graphics& graphics, const Text& text,
                         const std::vector<std::string>& entries, int highlighted, int centre_x,
                         int top);

// Marks on the three tiles the head could go to next, the highlighted one a large filled
// diamond, the others small rings; (x_offset, y_offset) is the world pixel at the canvas's
// top-left corner, as for WormView.
void draw_turn_marks(Graphics& graphics, const Player& player, SwitchTurn highlighted,
                     int64_t x_offset, int64_t y_offset);
// The same in the HUD: "Turn:  [LEFT]  ahead  right", left-aligned at (x, y).
void draw_turn_line(Graphics& graphics, const Text& text, SwitchTurn highlighted, int x, int y);
// The HUD line's text.
std::string turn_line(SwitchTurn highlighted);
