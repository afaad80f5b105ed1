#include "engine/graphics.h"

#include <SDL_image.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// SDL falls back to these when there is no display; a game window nobody can see or close
// is worse than no game, unless the user asked for them.
bool invisible_driver_unasked() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) return false;
    if (SDL_strcasecmp(driver, "offscreen") != 0 && SDL_strcasecmp(driver, "dummy") != 0) {
        return false;
    }
    // The hint reads SDL_VIDEODRIVER; newer SDL versions accept a comma-separated list there.
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (asked == nullptr) return true;
    const std::string list = asked;
    std::size_t begin = 0;
    while (begin <= list.size()) {
        std::size_t end = list.find(',', begin);
        if (end == std::string::npos) end = list.size();
        if (SDL_strcasecmp(list.substr(begin, end - begin).c_str(), driver) == 0) return false;
        begin = end + 1;
    }
    return true;
}

// Edge slope in pixels per row. A flat edge spans one row, where its slope is never used;
// zero keeps the edge positions finite, so their conversion to int stays defined.
float slope(int dx, int dy) {
    if (dy == 0) return 0.0f;
    return static_cast<float>(dx) / static_cast<float>(dy);
}

}  // namespace

Graphics::Graphics(const Config& config_) : config(config_) {
    const std::string no_window = "Unable to create window: ";
    if (invisible_driver_unasked()) {
        error = no_window + "no display available";
        return;
    }
    Uint32 window_flags = SDL_WINDOW_RESIZABLE;
    if (config.fullscreen) window_flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (config.accelerated) window_flags |= SDL_WINDOW_OPENGL;
    window = SDL_CreateWindow(config.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                              config.width, config.height, window_flags);
    if (window == nullptr) {
        error = no_window + SDL_GetError();
        return;
    }
    // Creating the window may have been what started the video driver.
    if (invisible_driver_unasked()) {
        error = no_window + "no display available";
        return;
    }

    Uint32 renderer_flags = 0;
    if (config.accelerated) renderer_flags |= SDL_RENDERER_ACCELERATED;
    if (config.vsync) renderer_flags |= SDL_RENDERER_PRESENTVSYNC;
    renderer = SDL_CreateRenderer(window, -1, renderer_flags);
    if (renderer == nullptr) {
        error = std::string("Unable to create renderer: ") + SDL_GetError();
        return;
    }

    if (!config.fullscreen) set_window_size();
    // Textures are created on first use, after this, so every image scales nearest-neighbour.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    SDL_RenderSetLogicalSize(renderer, config.width, config.height);
    SDL_RenderSetIntegerScale(renderer, config.integer_scale ? SDL_TRUE : SDL_FALSE);
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
}

Graphics::~Graphics() {
    for (auto& [path, texture] : textures) {
        if (texture != nullptr) SDL_DestroyTexture(texture);
    }
    textures.clear();
    if (renderer != nullptr) SDL_DestroyRenderer(renderer);
    if (window != nullptr) SDL_DestroyWindow(window);
}

void Graphics::clear() { clear(0x000000FF); }

void Graphics::clear(unsigned int color) {
    set_color(static_cast<int>(color));
    SDL_RenderClear(renderer);
}

void Graphics::flip() { SDL_RenderPresent(renderer); }

void Graphics::toggle_fullscreen() {
    config.fullscreen = !config.fullscreen;
    SDL_SetWindowFullscreen(window, config.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!config.fullscreen) set_window_size();
}

void Graphics::set_window_size() {
    SDL_SetWindowSize(window, config.scale * config.width, config.scale * config.height);
}

void Graphics::set_color(int color) {
    const auto c = static_cast<uint32_t>(color);
    SDL_SetRenderDrawColor(renderer, static_cast<Uint8>(c >> 24), static_cast<Uint8>(c >> 16),
                           static_cast<Uint8>(c >> 8), static_cast<Uint8>(c));
}

void Graphics::draw_pixel(Point p, unsigned int color) {
    set_color(static_cast<int>(color));
    SDL_RenderDrawPoint(renderer, p.x, p.y);
}

void Graphics::draw_line(Point a, Point b, unsigned int color) {
    set_color(static_cast<int>(color));
    if (a.y == b.y || a.x == b.x) {
        SDL_RenderDrawLine(renderer, a.x, a.y, b.x, b.y);
        return;
    }
    const int dx = std::abs(a.x - b.x);
    const int dy = std::abs(a.y - b.y);
    // Single precision, divide then multiply then add: the pixels depend on this exact order.
    if (dx >= dy) {
        const Point s = a.x < b.x ? a : b;
        const Point e = a.x < b.x ? b : a;
        const float run = static_cast<float>(e.x - s.x);
        const float rise = static_cast<float>(e.y - s.y);
        for (int i = 0; i <= e.x - s.x; ++i) {
            const float y = static_cast<float>(i) / run * rise + static_cast<float>(s.y);
            SDL_RenderDrawPoint(renderer, s.x + i, static_cast<int>(std::roundf(y)));
        }
    } else {
        const Point s = a.y < b.y ? a : b;
        const Point e = a.y < b.y ? b : a;
        const float run = static_cast<float>(e.y - s.y);
        const float rise = static_cast<float>(e.x - s.x);
        for (int i = 0; i <= e.y - s.y; ++i) {
            const float x = static_cast<float>(i) / run * rise + static_cast<float>(s.x);
            SDL_RenderDrawPoint(renderer, static_cast<int>(std::roundf(x)), s.y + i);
        }
    }
}

void Graphics::draw_rect(Point a, Point b, unsigned int color, bool filled) {
    set_color(static_cast<int>(color));
    const SDL_Rect rect{a.x, a.y, b.x - a.x, b.y - a.y};
    if (filled) {
        SDL_RenderFillRect(renderer, &rect);
    } else {
        SDL_RenderDrawRect(renderer, &rect);
    }
}

void Graphics::draw_circle(Point c, int r, unsigned int color, bool filled) {
    set_color(static_cast<int>(color));
    if (r < 0) return;
    int x = r;
    int y = 0;
    int err = 0;
    while (y <= x) {
        if (filled) {
            SDL_RenderDrawLine(renderer, c.x - x, c.y + y, c.x + x, c.y + y);
            SDL_RenderDrawLine(renderer, c.x - y, c.y + x, c.x + y, c.y + x);
            SDL_RenderDrawLine(renderer, c.x - x, c.y - y, c.x + x, c.y - y);
            SDL_RenderDrawLine(renderer, c.x - y, c.y - x, c.x + y, c.y - x);
        } else {
            const std::array<SDL_Point, 8> points{{{c.x + x, c.y + y},
                                                   {c.x + y, c.y + x},
                                                   {c.x - y, c.y + x},
                                                   {c.x - x, c.y + y},
                                                   {c.x - x, c.y - y},
                                                   {c.x - y, c.y - x},
                                                   {c.x + y, c.y - x},
                                                   {c.x + x, c.y - y}}};
            SDL_RenderDrawPoints(renderer, points.data(), static_cast<int>(points.size()));
        }
        y = y + 1;
        err = err + 2 * y + 1;
        if (err - x >= 0) {
            x = x - 1;
            err = err + 1 - 2 * x;
        }
    }
}

void Graphics::draw_triangle_top(Point p1, Point p2, Point p3, unsigned int color) {
    set_color(static_cast<int>(color));
    if (p1.y > p2.y) return;
    // Accumulated, not recomputed per row: the rounding of each row depends on it.
    const float sa = slope(p2.x - p1.x, p2.y - p1.y);
    const float sb = slope(p3.x - p1.x, p3.y - p1.y);
    float a = static_cast<float>(p1.x);
    float b = static_cast<float>(p1.x);
    for (int row = p1.y; row <= p2.y; ++row) {
        draw_line({static_cast<int>(std::roundf(a)), row}, {static_cast<int>(std::roundf(b)), row},
                  color);
        a += sa;
        b += sb;
    }
}

void Graphics::draw_triangle_bottom(Point p1, Point p2, Point p3, unsigned int color) {
    set_color(static_cast<int>(color));
    if (p2.y >= p3.y) return;
    const float sa = slope(p3.x - p2.x, p3.y - p2.y);
    const float sb = slope(p3.x - p1.x, p3.y - p1.y);
    float a = static_cast<float>(p3.x);
    float b = static_cast<float>(p3.x);
    for (int row = p3.y; row > p2.y; --row) {
        draw_line({static_cast<int>(std::roundf(a)), row}, {static_cast<int>(std::roundf(b)), row},
                  color);
        a -= sa;
        b -= sb;
    }
}

void Graphics::draw_triangle(Point p1, Point p2, Point p3, unsigned int color, bool filled) {
    if (!filled) {
        draw_line(p1, p2, color);
        draw_line(p2, p3, color);
        draw_line(p3, p1, color);
        return;
    }
    std::array<Point, 3> v{p1, p2, p3};
    std::stable_sort(v.begin(), v.end(), [](Point a, Point b) { return a.y < b.y; });
    const Point& top = v[0];
    const Point& mid = v[1];
    const Point& bottom = v[2];
    if (mid.y == bottom.y) {
        draw_triangle_top(top, mid, bottom, color);
    } else if (top.y == mid.y) {
        draw_triangle_bottom(top, mid, bottom, color);
    } else {
        // Product first, then a division truncating toward zero; 64 bits only keep the
        // product from overflowing far off the canvas.
        const int64_t product = int64_t{bottom.x - top.x} * (mid.y - top.y);
        const Point split{top.x + static_cast<int>(product / (bottom.y - top.y)), mid.y};
        draw_triangle_top(top, mid, split, color);
        draw_triangle_bottom(mid, split, bottom, color);
    }
}

SDL_Texture* Graphics::load_image(const std::string& name) {
    const std::string path = "content/" + name;
    if (auto found = textures.find(path); found != textures.end()) return found->second;
    SDL_Surface* surface = IMG_Load(path.c_str());
    if (surface == nullptr) {
        std::fprintf(stderr, "Unable to load %s: %s\n", name.c_str(), SDL_GetError());
    }
    SDL_Texture* texture = nullptr;
    if (surface != nullptr && renderer != nullptr) {
        texture = SDL_CreateTextureFromSurface(renderer, surface);
    }
    textures[path] = texture;
    SDL_FreeSurface(surface);
    return texture;
}

void Graphics::blit(const std::string& name, const SDL_Rect* source, const SDL_Rect* destination) {
    if (blit_log != nullptr) {
        blit_log->push_back({name, source ? *source : SDL_Rect{},
                             destination ? *destination : SDL_Rect{}, source == nullptr,
                             destination == nullptr, 0.0, FlipDirection::None});
        if (blit_log_only) return;
    }
    SDL_RenderCopy(renderer, load_image(name), source, destination);
}

void Graphics::blit_ex(const std::string& name, const SDL_Rect* source, const SDL_Rect* destination,
                       float angle, const SDL_Point* center, FlipDirection flip) {
    // The product in single precision, widened for the division.
    const double degrees = static_cast<double>(angle * 180.0f) / 3.141592653589793;
    const int f = static_cast<int>(flip);
    const FlipDirection used = (f >= 1 && f <= 3) ? flip : FlipDirection::None;
    if (blit_log != nullptr) {
        blit_log->push_back({name, source ? *source : SDL_Rect{},
                             destination ? *destination : SDL_Rect{}, source == nullptr,
                             destination == nullptr, degrees, used});
        if (blit_log_only) return;
    }
    SDL_RenderCopyEx(renderer, load_image(name), source, destination, degrees, center,
                     static_cast<SDL_RendererFlip>(used));
}
