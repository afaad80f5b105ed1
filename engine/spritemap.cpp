#include "engine/spritemap.h"

#include "engine/graphics.h"

SpriteMap::SpriteMap(const std::string& image_, int columns_, int frame_width_, int frame_height_)
    : image(image_), columns(columns_), frame_width(frame_width_), frame_height(frame_height_) {}

SDL_Rect SpriteMap::frame_rect(int frame) const {
    // A sheet without columns has no frames; dividing by its column count would crash.
    if (columns <= 0) return {0, 0, 0, 0};
    return {(frame % columns) * frame_width, (frame / columns) * frame_height, frame_width,
            frame_height};
}

void SpriteMap::draw(Graphics& graphics, int frame, int x, int y) const {
    if (columns <= 0) return;
    const SDL_Rect source = frame_rect(frame);
    const SDL_Rect destination{x, y, frame_width, frame_height};
    graphics.blit(image, &source, &destination);
}

void SpriteMap::draw_ex(Graphics& graphics, int frame, int x, int y, bool flip, float angle, int cx,
                        int cy) const {
    if (columns <= 0) return;
    const SDL_Rect source = frame_rect(frame);
    const SDL_Rect destination{x, y, frame_width, frame_height};
    const SDL_Point center{cx, cy};
    graphics.blit_ex(image, &source, &destination, angle, &center,
                     flip ? Graphics::FlipDirection::Horizontal : Graphics::FlipDirection::None);
}
