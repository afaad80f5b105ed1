#include "engine/sprite.h"

#include "engine/graphics.h"

Sprite::Sprite(const std::string& image_, int x, int y, int w, int h)
    : source{x, y, w, h}, image(image_) {}

void Sprite::draw(Graphics& graphics, int x, int y) const {
    const SDL_Rect destination{x, y, source.w, source.h};
    graphics.blit(image, &source, &destination);
}

void Sprite::draw_ex(Graphics& graphics, int x, int y, bool flip, float angle, int cx,
                     int cy) const {
    const SDL_Rect destination{x, y, source.w, source.h};
    const SDL_Point center{cx, cy};
    graphics.blit_ex(image, &source, &destination, angle, &center,
                     flip ? Graphics::FlipDirection::Horizontal : Graphics::FlipDirection::None);
}
