// The enemy: a straight band of cells crawling along one row, digging as it goes.
#pragma once

#include <cstdint>

#include "game/world/events.h"
#include "game/world/geometry.h"

class Map;

class Centipede {
public:
    static constexpr int32_t kStepMs = 100;  // one cell per step

    Centipede(GridPoint head, int length, Direction facing);

    // Once per playing frame. At most one step per call; the excess time is kept. Each step
    // digs and clears food in the new head cell and its two flank cells.
    void update(GameEvents& events, Map& map, unsigned int elapsed_ms);
    // Its three rows of `length` cells, plus the lone cell `length` + 1 behind the head.
    bool touching(const GridPoint& cell) const;

    GridPoint head;
    Direction facing;  // Direction::W or Direction::E
    int32_t length;
    int32_t step_timer = 0;
};
