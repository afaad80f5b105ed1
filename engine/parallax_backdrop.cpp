#include "engine/parallax_backdrop.h"

#include <SDL.h>

#include <cmath>

#include "engine/graphics.h"

ParallaxBackdrop::ParallaxBackdrop(const std::string& image_, int tile_width_, int tile_height_,
                                   double factor_)
    : image(image_), tile_width(tile_width_), tile_height(tile_height_), factor(factor_) {}

// The row always starts at the top of the canvas: only the horizontal scroll moves it.
void ParallaxBackdrop::draw(Graphics& graphics, double x, double /*y*/) const {
    if (tile_width <= 0) return;  // no tile would ever advance the row
    double first = std::trunc(-x / factor);
    if (!std::isfinite(first) || first >= graphics.config.width) return;
    // Every tile shows the same region, so whole tiles off the left edge can be dropped; far
    // scrolls would otherwise issue millions of invisible copies (and overflow an int).
    if (first <= -tile_width) first = std::fmod(first, static_cast<double>(tile_width));

    const SDL_Rect source{0, 0, tile_width, tile_height};
    for (int left = static_cast<int>(first); left < graphics.config.width; left += tile_width) {
        const SDL_Rect destination{left, 0, tile_width, tile_height};
        graphics.blit(image, &source, &destination);
    }
}
