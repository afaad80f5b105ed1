// The view of the world: follows the worm's head with a dead zone and carries the shake. How
// the shake jitters what is drawn is the view's (CameraShake).
#pragma once

#include "game/world/geometry.h"

// low when low > value, else high when high < value, else value: the low test comes first.
double clamp(double value, double low, double high);

class Camera {
public:
    static constexpr int kViewWidth = 1280;
    static constexpr int kViewHeight = 720;

    // An area of world pixels; the edges belong to it.
    struct Zone {
        double left = 0.0;
        double top = 0.0;
        double right = 0.0;
        double bottom = 0.0;
        bool contains(double px, double py) const {
            return left <= px && px <= right && top <= py && py <= bottom;
        }
    };

    explicit Camera(Point head);

    Zone inner_focus() const;  // the dead zone
    Zone outer_focus() const;  // outside it the camera follows twice as fast
    // Every playing frame after the worm's update: follows the head (the centre of the worm's
    // head tile, world pixels) and clears the shake.
    void update(Point head, unsigned int elapsed_ms);
    void shake(double amount);  // keeps the largest amount of the frame, at most 1.0

    double x;                   // world x of the view's left edge
    double y;                   // world y of the view's top edge
    double shake_amount = 0.0;  // 0 to 1: how far drawing wobbles this frame
};
