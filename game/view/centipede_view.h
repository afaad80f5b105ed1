// The centipede as drawn: a middle piece per cell, flank pieces over it and legs under them,
// from the centipede sheet.
#pragma once

#include <cstdint>

#include "engine/spritemap.h"
#include "game/world/centipede.h"

class Graphics;

class CentipedeView {
public:
    CentipedeView();

    // (cam_x, cam_y) is the world pixel at the canvas's top-left corner.
    void draw(Graphics& graphics, const Centipede& centipede, int64_t cam_x, int64_t cam_y) const;
    // One leg sprite at screen (x, y); the frame follows the head cell, so legs move per step.
    void draw_legs(Graphics& graphics, const Centipede& centipede, long x, long y, int k) const;

    SpriteMap sprites;
};
