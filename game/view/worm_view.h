// The worm as drawn: a head, body and tail piece per segment from the worm sheet.
#pragma once

#include <cstdint>

#include "engine/spritemap.h"
#include "game/world/player.h"

class Graphics;

class WormView {
public:
    WormView();

    // The head frame of a segment's pair of directions, WormSheet::head_frame.
    static int head_frame(const Player::Segment& segment);
    // (x_offset, y_offset) is the world pixel at the canvas's top-left corner.
    void draw(Graphics& graphics, const Player& player, int64_t x_offset, int64_t y_offset) const;

    SpriteMap sprites;
};
