// The enemy: a straight band of cells crawling along one row, digging as it goes.
#pragma once

#include <cstdint>

#include "engine/spritemap.h"
#include "game/geometry.h"

class Audio;
class Graphics;
class Map;

class Centipede {
public:
    Centipede(GridPoint head, int length, Direction facing);

    // At most one step per call; the excess time is kept.
    void update(Audio& audio, Map& map, unsigned int elapsed_ms);
    void draw(Graphics& graphics, long cam_x, long cam_y) const;
    void draw_legs(Graphics& graphics, long x, long y, int k) const;
    bool touching(const GridPoint& cell) const;

    SpriteMap sprites;
    GridPoint head;
    Direction facing;  // Direction::W or Direction::E
    int32_t length;
    int32_t step_timer = 0;
};
