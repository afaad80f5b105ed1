// The warning that the worm is nearly starved, in three forms so that it never rests on telling
// red apart: a red glow round the edge of the canvas, light dashes over it, and a framed box in
// the top left corner with a warning sign, what is wrong and the length left. Drawing only.
#pragma once

#include <cstdint>
#include <string>

#include "engine/graphics.h"
#include "engine/text.h"

class StarvingWarning {
public:
    static constexpr double kStarvingLength = 2.0;  // worm units: below it the warning shows
    static constexpr uint32_t kBlinkCycle = 800;    // ms of play; the box stands out first half
    static constexpr int kBorderWidth = 32;         // pixels of glow from the canvas's edge
    static constexpr int kBoxInset = 40;            // pixels from the corner, clear of the glow
    static constexpr const char* kHeading = "STARVING: find food";

    // Where the parts go for `text`'s scale: the framed box, the sign at its left, the two lines
    // at the sign's right.
    struct Layout {
        Graphics::PixelRect box;
        Graphics::PixelRect sign;
        Graphics::Point heading;
        Graphics::Point figure;
    };
    static Layout layout(const Text& text, const std::string& figure);
    // The box's second line for a worm of `length`: "Length: 0.80cm, over at 0.50cm".
    static std::string figure(double length);

    // The warning for a worm of `length` after `play_ms` of play; nothing from kStarvingLength
    // up. Blinks with the time played (so a pause holds it, and a replay draws alike) unless
    // `steady`. Called once per frame, after the world and before any overlay.
    void draw(Graphics& graphics, const Text& text, double length, uint64_t play_ms) const;

    // The player's reduce flashing: the box keeps its standing-out look instead of blinking.
    bool steady = false;
};
