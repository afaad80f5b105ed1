// How a shaking camera jitters what is drawn: every drawn object takes its own offset, the
// camera's position plus a random sample scaled by the shake amount. Drawing only: the rules
// never see these samples.
#pragma once

#include <random>

#include "game/world/camera.h"

class CameraShake {
public:
    explicit CameraShake(unsigned int seed) : rng(seed) {}

    // The view offset for one drawn object: one jitter sample for y, then one for x.
    Point shaken_offset(const Camera& camera) const;

    // Drawing is const but advances the jitter source.
    mutable std::mt19937 rng;
    mutable std::normal_distribution<double> jitter{0.0, 2.0};
};
