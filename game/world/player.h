// The worm: a chain of tiles, head first, that steps, digs, falls, eats and is bitten.
#pragma once

#include <cstdint>
#include <list>

#include "game/world/events.h"
#include "game/world/geometry.h"

class Centipede;
class Map;

class Player {
public:
    // A worm that has not stepped for this long loses a whole unit of length.
    static constexpr int kStarveAfterMs = 1000;

    struct Segment {
        GridPoint position;
        Direction front;  // towards the segment nearer the head; for the head, its heading
        Direction back;   // towards the segment nearer the tail
    };

    // Starts at (6, 6) and settles through the sky.
    explicit Player(const Map& map);

    void grow();  // a new head one tile along the heading, unchecked
    // The heading may only be opposite the back or next to that.
    void turn_left();
    void turn_right();
    void eat(GameEvents& events, int value);
    // Called for every centipede after `update`; cuts from the first bitten segment to the
    // tail (the segments go at the next update) and always rounds `length` up.
    void injure(GameEvents& events, const Centipede& centipede);
    bool occupying(const GridPoint& p) const;
    // One step into a free open tile once the timer has passed its strength; a direction
    // back along the body turns the head instead. True when the worm moved.
    bool check_and_move(const Map& map, Direction dir);
    bool drop(const Map& map);  // one step of falling; true when the worm moved
    // Once per playing frame, before the camera: starves, falls or steps and digs, then
    // shortens the body to `length` (never below the head).
    void update(GameEvents& events, Map& map, unsigned int elapsed_ms);

    std::list<Segment> segments;  // never empty
    int step_timer = 100;
    double length = 5.0;
};
