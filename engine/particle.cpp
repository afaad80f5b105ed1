#include "engine/particle.h"

#include <limits>

#include "engine/graphics.h"

Particle::Particle(float x_, float y_, float vx_, float vy_, float gravity_, int color_,
                   int lifetime_)
    : x(x_), y(y_), vx(vx_), vy(vy_), gravity(gravity_), color(color_), lifetime(lifetime_) {}

void Particle::update(unsigned int ms) {
    // Saturates so that a particle nobody dropped never wraps round to young and visible.
    const uint32_t room = std::numeric_limits<uint32_t>::max() - age;
    age = ms > room ? std::numeric_limits<uint32_t>::max() : age + ms;
    const float t = static_cast<float>(ms);
    x += vx * t;
    y += vy * t;
    vy += gravity * t;
}

int Particle::alpha() const {
    // Past its lifetime, or with none, a particle is spent: invisible rather than a wrapped
    // or undefined alpha.
    if (lifetime <= 0 || age > static_cast<uint32_t>(lifetime)) return 0;
    const float fraction =
        static_cast<float>(static_cast<int32_t>(age)) / static_cast<float>(lifetime);
    return static_cast<int>((1.0f - fraction) * 255.0f);
}

namespace {

// A pixel beyond the int range is off the canvas anyway; converting it would be undefined.
bool fits_int(float v) { return v > -2147483648.0f && v < 2147483648.0f; }

}  // namespace

void Particle::draw(Graphics& graphics) const {
    if (!fits_int(x) || !fits_int(y)) return;
    const unsigned int rgb = static_cast<uint32_t>(color) & 0xFFFFFF00u;
    graphics.draw_pixel({static_cast<int>(x), static_cast<int>(y)},
                        rgb | static_cast<unsigned int>(alpha()));
}
