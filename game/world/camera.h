// The view of the world: follows the worm's head with a dead zone and carries the shake.
#pragma once

#include <random>

#include "engine/rect.h"
#include "game/world/geometry.h"

// low when low > value, else high when high < value, else value: the low test comes first.
double clamp(double value, double low, double high);

class Camera {
public:
    static constexpr int kViewWidth = 1280;
    static constexpr int kViewHeight = 720;

    Camera(unsigned int seed, Point head);

    Rect inner_focus() const;  // the dead zone
    Rect outer_focus() const;  // outside it the camera follows twice as fast
    // Every playing frame after the worm's update: follows the head (the centre of the worm's
    // head tile, world pixels) and clears the shake.
    void update(Point head, unsigned int elapsed_ms);
    void shake(double amount);  // keeps the largest amount of the frame, at most 1.0
    // The view offset for one drawn object: one jitter sample for y, then one for x.
    Point shaken_offset() const;

    double x;  // world x of the view's left edge
    double y;  // world y of the view's top edge
    double shake_amount = 0.0;
    // Drawing is const but advances the jitter source.
    mutable std::mt19937 rng;
    mutable std::normal_distribution<double> jitter{0.0, 2.0};
};
