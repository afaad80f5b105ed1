// One row of tiles across the canvas, shifted by a fraction of a scroll position.
#pragma once

#include <string>

class Graphics;

class ParallaxBackdrop {
public:
    ParallaxBackdrop(const std::string& image, int tile_width, int tile_height, double factor);
    void draw(Graphics& graphics, double x, double y) const;

    std::string image;
    int tile_width;
    int tile_height;
    double factor;  // divisor of the scroll position
};
