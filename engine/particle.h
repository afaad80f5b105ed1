// A single moving, falling, fading pixel. Its owner drops it once age reaches lifetime.
#pragma once

#include <cstdint>

class Graphics;

class Particle {
public:
    Particle(float x, float y, float vx, float vy, float gravity, int color, int lifetime);
    void update(unsigned int ms);
    void draw(Graphics& graphics) const;
    // 255 when new, falling linearly to 0 at the end of the lifetime; 0 past it.
    int alpha() const;

    float x, y;
    float vx, vy;     // pixels per ms
    float gravity;    // pixels per ms squared, positive downwards
    int32_t color;    // 0xRRGGBBAA; the alpha byte is replaced when drawing
    int32_t lifetime; // ms
    uint32_t age = 0;
};
