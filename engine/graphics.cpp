#include "engine/graphics.h"

#include <SDL_image.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

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
float slope(int64_t dx, int64_t dy) {
    if (dy == 0) return 0.0f;
    return static_cast<float>(dx) / static_cast<float>(dy);
}

// Positions past the int range pin to its ends: they are off the canvas either way, and a
// segment pinned so keeps the same visible part.
int pinned(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX)); }

int rounded(float value) {
    const float r = std::roundf(value);
    if (r != r) return 0;
    if (r >= 2147483648.0f) return INT_MAX;
    if (r < -2147483648.0f) return INT_MIN;
    return static_cast<int>(r);
}

// The steps i = 0 ... span of a line from `start` whose position start + i lies within
// [0, extent): only those can show. An extent of 0 or less means no known canvas.
std::pair<int64_t, int64_t> visible_steps(int start, int64_t span, int extent) {
    if (extent <= 0) return {0, span};
    return {std::max<int64_t>(0, -int64_t{start}),
            std::min<int64_t>(span, extent - 1 - int64_t{start})};
}

// libpng writes its own complaint about a damaged file straight to stderr; our one line per
// failed image says all a player needs, so the decoder's stderr goes to /dev/null meanwhile.
SDL_Surface* load_quietly(const std::string& path) {
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    SDL_Surface* surface = IMG_Load(path.c_str());
    std::fflush(stderr);
    if (saved >= 0) {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
    if (null >= 0) close(null);
    return surface;
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
    whole_scale = config.integer_scale;
    SDL_RenderSetIntegerScale(renderer, whole_scale ? SDL_TRUE : SDL_FALSE);
    fit_canvas();
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_BLEND);
    renderer_alive = std::make_shared<const bool>(true);
    SDL_AddEventWatch(&Graphics::watch_events, this);
}

Graphics::~Graphics() {
    SDL_DelEventWatch(&Graphics::watch_events, this);
    renderer_alive.reset();  // SDL_DestroyRenderer frees the targets' textures itself
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

SDL_Rect Graphics::canvas_placement(int window_w, int window_h, int canvas_w, int canvas_h,
                                    bool integer_scale) {
    if (window_w <= 0 || window_h <= 0 || canvas_w <= 0 || canvas_h <= 0) return {0, 0, 0, 0};
    int64_t w = 0;
    int64_t h = 0;
    const int64_t whole = std::min(window_w / canvas_w, window_h / canvas_h);
    if (integer_scale && whole >= 1) {
        w = whole * canvas_w;
        h = whole * canvas_h;
    } else if (int64_t{canvas_w} * window_h > int64_t{window_w} * canvas_h) {
        // Wider than the window: full width, bars above and below.
        w = window_w;
        h = int64_t{canvas_h} * window_w / canvas_w;
    } else {
        h = window_h;
        w = int64_t{canvas_w} * window_h / canvas_h;
    }
    return {static_cast<int>((window_w - w) / 2), static_cast<int>((window_h - h) / 2),
            static_cast<int>(w), static_cast<int>(h)};
}

void Graphics::fit_canvas() {
    if (renderer == nullptr) return;
    int w = 0;
    int h = 0;
    SDL_GetRendererOutputSize(renderer, &w, &h);
    // SDL's whole-factor scaling never goes below 1 and would crop a canvas larger than the
    // window; there SDL's own fit-to-window scaling takes over, which keeps the shape.
    const bool whole = config.integer_scale && w >= config.width && h >= config.height;
    if (whole == whole_scale) return;
    whole_scale = whole;
    SDL_RenderSetIntegerScale(renderer, whole ? SDL_TRUE : SDL_FALSE);
}

bool Graphics::shown() const {
    return window != nullptr &&
           (SDL_GetWindowFlags(window) & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) == 0;
}

bool Graphics::presents_in_step() const {
    if (renderer == nullptr || !shown()) return false;
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0) return false;
    return (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
}

int Graphics::refresh_rate() const {
    constexpr int kUsualRate = 60;
    if (window == nullptr) return kUsualRate;
    SDL_DisplayMode mode{};
    if (SDL_GetWindowDisplayMode(window, &mode) != 0 || mode.refresh_rate <= 0) {
        const int display = SDL_GetWindowDisplayIndex(window);
        if (display < 0 || SDL_GetDesktopDisplayMode(display, &mode) != 0) return kUsualRate;
    }
    return mode.refresh_rate > 0 ? mode.refresh_rate : kUsualRate;
}

void Graphics::set_color(int color) {
    const auto c = static_cast<uint32_t>(color);
    SDL_SetRenderDrawColor(renderer, static_cast<Uint8>(c >> 24), static_cast<Uint8>(c >> 16),
                           static_cast<Uint8>(c >> 8), static_cast<Uint8>(c));
}

void Graphics::draw_pixel(Point p, unsigned int color) {
    set_color(static_cast<int>(color));
    ++primitives_made;
    SDL_RenderDrawPoint(renderer, p.x, p.y);
}

void Graphics::draw_line(Point a, Point b, unsigned int color) {
    set_color(static_cast<int>(color));
    if (a.y == b.y || a.x == b.x) {
        ++primitives_made;
        SDL_RenderDrawLine(renderer, a.x, a.y, b.x, b.y);
        return;
    }
    // Differences in 64 bits: ends at opposite extremes of the int range stay defined. Only the
    // steps that land on the canvas are plotted, so such a line costs no more than a short one.
    const int64_t dx = std::abs(int64_t{a.x} - b.x);
    const int64_t dy = std::abs(int64_t{a.y} - b.y);
    // Single precision, divide then multiply then add: the pixels depend on this exact order.
    if (dx >= dy) {
        const Point s = a.x < b.x ? a : b;
        const Point e = a.x < b.x ? b : a;
        const int64_t span = int64_t{e.x} - s.x;
        const float run = static_cast<float>(span);
        const float rise = static_cast<float>(int64_t{e.y} - s.y);
        const auto [first, last] = visible_steps(s.x, span, config.width);
        for (int64_t i = first; i <= last; ++i) {
            const float y = static_cast<float>(i) / run * rise + static_cast<float>(s.y);
            ++primitives_made;
            SDL_RenderDrawPoint(renderer, static_cast<int>(s.x + i), rounded(y));
        }
    } else {
        const Point s = a.y < b.y ? a : b;
        const Point e = a.y < b.y ? b : a;
        const int64_t span = int64_t{e.y} - s.y;
        const float run = static_cast<float>(span);
        const float rise = static_cast<float>(int64_t{e.x} - s.x);
        const auto [first, last] = visible_steps(s.y, span, config.height);
        for (int64_t i = first; i <= last; ++i) {
            const float x = static_cast<float>(i) / run * rise + static_cast<float>(s.x);
            ++primitives_made;
            SDL_RenderDrawPoint(renderer, rounded(x), static_cast<int>(s.y + i));
        }
    }
}

void Graphics::draw_rect(Point a, Point b, unsigned int color, bool filled) {
    set_color(static_cast<int>(color));
    int64_t x0 = a.x, y0 = a.y, x1 = b.x, y1 = b.y;
    // A size past the int range (corners at opposite extremes): the corners move to just off
    // the canvas, which keeps every visible pixel, the border's included.
    if (x1 - x0 > INT_MAX || x1 - x0 < INT_MIN || y1 - y0 > INT_MAX || y1 - y0 < INT_MIN) {
        const auto off_canvas = [](int64_t v, int extent) {
            return std::clamp<int64_t>(v, -1, int64_t{std::max(extent, 0)} + 1);
        };
        x0 = off_canvas(x0, config.width);
        x1 = off_canvas(x1, config.width);
        y0 = off_canvas(y0, config.height);
        y1 = off_canvas(y1, config.height);
    }
    const SDL_Rect rect{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                        static_cast<int>(y1 - y0)};
    ++primitives_made;
    if (filled) {
        SDL_RenderFillRect(renderer, &rect);
    } else {
        SDL_RenderDrawRect(renderer, &rect);
    }
}

void Graphics::draw_circle(Point c, int r, unsigned int color, bool filled) {
    set_color(static_cast<int>(color));
    if (r < 0) return;
    // 64 bits for the loop and the positions, which pin to the int range far off the canvas.
    int64_t x = r;
    int64_t y = 0;
    int64_t err = 0;
    const auto at = [c](int64_t dx, int64_t dy) {
        return SDL_Point{pinned(c.x + dx), pinned(c.y + dy)};
    };
    const auto row = [this](SDL_Point from, SDL_Point to) {
        ++primitives_made;
        SDL_RenderDrawLine(renderer, from.x, from.y, to.x, to.y);
    };
    while (y <= x) {
        if (filled) {
            row(at(-x, y), at(x, y));
            row(at(-y, x), at(y, x));
            row(at(-x, -y), at(x, -y));
            row(at(-y, -x), at(y, -x));
        } else {
            const std::array<SDL_Point, 8> points{{at(x, y), at(y, x), at(-y, x), at(-x, y),
                                                   at(-x, -y), at(-y, -x), at(y, -x), at(x, -y)}};
            ++primitives_made;
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

// Rows off the canvas are not drawn but still advance the edges, so the visible rows round
// exactly as they would; the loop ends once the rows have passed the canvas.
void Graphics::draw_triangle_top(Point p1, Point p2, Point p3, unsigned int color) {
    set_color(static_cast<int>(color));
    if (p1.y > p2.y) return;
    // Accumulated, not recomputed per row: the rounding of each row depends on it.
    const float sa = slope(int64_t{p2.x} - p1.x, int64_t{p2.y} - p1.y);
    const float sb = slope(int64_t{p3.x} - p1.x, int64_t{p3.y} - p1.y);
    float a = static_cast<float>(p1.x);
    float b = static_cast<float>(p1.x);
    for (int64_t row = p1.y; row <= p2.y; ++row) {
        if (config.height > 0 && row >= config.height) break;
        if (row >= 0 || config.height <= 0) {
            const int y = static_cast<int>(row);
            draw_line({rounded(a), y}, {rounded(b), y}, color);
        }
        a += sa;
        b += sb;
    }
}

void Graphics::draw_triangle_bottom(Point p1, Point p2, Point p3, unsigned int color) {
    set_color(static_cast<int>(color));
    if (p2.y >= p3.y) return;
    const float sa = slope(int64_t{p3.x} - p2.x, int64_t{p3.y} - p2.y);
    const float sb = slope(int64_t{p3.x} - p1.x, int64_t{p3.y} - p1.y);
    float a = static_cast<float>(p3.x);
    float b = static_cast<float>(p3.x);
    for (int64_t row = p3.y; row > p2.y; --row) {
        if (config.height > 0 && row < 0) break;
        if (row < config.height || config.height <= 0) {
            const int y = static_cast<int>(row);
            draw_line({rounded(a), y}, {rounded(b), y}, color);
        }
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
        // Product first, then a division truncating toward zero. Wide enough for any vertices;
        // the split lies between the top and bottom x, so it fits an int again.
        const __int128 product =
            static_cast<__int128>(int64_t{bottom.x} - top.x) * (int64_t{mid.y} - top.y);
        const int64_t shift = static_cast<int64_t>(product / (int64_t{bottom.y} - top.y));
        const Point split{static_cast<int>(top.x + shift), mid.y};
        draw_triangle_top(top, mid, split, color);
        draw_triangle_bottom(mid, split, bottom, color);
    }
}

SDL_Texture* Graphics::load_image(const std::string& name) {
    if (images_seen_lost != targets_lost) reload_images();
    if (last_entry != nullptr && name == last_name) return *last_entry;
    return find_image(name);
}

SDL_Texture* Graphics::find_image(const std::string& name) {
    const std::string path = config.content + name;
    if (auto found = textures.find(path); found != textures.end()) {
        last_name = name;
        last_entry = &found->second;
        return found->second;
    }
    SDL_Texture*& entry = textures[path];
    entry = texture_from_file(path, name);
    last_name = name;
    last_entry = &entry;
    return entry;
}

SDL_Texture* Graphics::texture_from_file(const std::string& path, const std::string& name) {
    SDL_Surface* surface = load_quietly(path);
    if (surface == nullptr) {
        std::fprintf(stderr, "Unable to load %s: %s\n", name.c_str(), SDL_GetError());
    }
    SDL_Texture* texture = nullptr;
    if (surface != nullptr && renderer != nullptr) {
        texture = SDL_CreateTextureFromSurface(renderer, surface);
    }
    SDL_FreeSurface(surface);
    return texture;
}

void Graphics::reload_images() {
    images_seen_lost = targets_lost;
    // In place: the entries, and the memo of the last one, stay where they are. A load that
    // failed before was reported then and is not tried again.
    for (auto& [path, texture] : textures) {
        if (texture == nullptr) continue;
        SDL_DestroyTexture(texture);
        texture = texture_from_file(path, path);
    }
}

void Graphics::blit(const std::string& name, const SDL_Rect* source, const SDL_Rect* destination) {
    if (blit_log != nullptr) {
        blit_log->push_back({name, source ? *source : SDL_Rect{},
                             destination ? *destination : SDL_Rect{}, source == nullptr,
                             destination == nullptr, 0.0, FlipDirection::None});
        if (blit_log_only) return;
    }
    ++copies_made;
    SDL_RenderCopy(renderer, load_image(name), source, destination);
}

void Graphics::blit_all(const std::string& name, std::span<const Copy> copies) {
    if (blit_log != nullptr) {
        for (const Copy& c : copies) {
            blit_log->push_back(
                {name, c.source, c.destination, false, false, 0.0, FlipDirection::None});
        }
        if (blit_log_only) return;
    }
    SDL_Texture* texture = load_image(name);
    copies_made += copies.size();
    for (const Copy& c : copies) SDL_RenderCopy(renderer, texture, &c.source, &c.destination);
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
    ++copies_made;
    SDL_RenderCopyEx(renderer, load_image(name), source, destination, degrees, center,
                     static_cast<SDL_RendererFlip>(used));
}

// ---- Drawing into textures ----

Graphics::Target::~Target() {
    if (texture != nullptr && !renderer_alive.expired()) SDL_DestroyTexture(texture);
}

int Graphics::watch_events(void* graphics, SDL_Event* event) {
    if (event->type == SDL_RENDER_TARGETS_RESET || event->type == SDL_RENDER_DEVICE_RESET) {
        ++static_cast<Graphics*>(graphics)->targets_lost;
    }
    return 0;
}

bool Graphics::targets_supported() const {
    return targets_allowed && renderer != nullptr &&
           SDL_RenderTargetSupported(renderer) == SDL_TRUE;
}

std::unique_ptr<Graphics::Target> Graphics::create_target(int width, int height) {
    if (!targets_supported() || width <= 0 || height <= 0) return nullptr;
    SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                             SDL_TEXTUREACCESS_TARGET, width, height);
    if (texture == nullptr) return nullptr;
    SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
    std::unique_ptr<Target> target(new Target);
    target->texture = texture;
    target->width = width;
    target->height = height;
    target->renderer_alive = renderer_alive;
    Target* previous = current_target;
    draw_into(target.get());
    clear(0x00000000);
    draw_into(previous);
    return target;
}

bool Graphics::owns(const Target& target) const {
    return renderer_alive != nullptr && target.renderer_alive.lock() == renderer_alive;
}

void Graphics::draw_into(Target* target) {
    if (target != nullptr && !owns(*target)) target = nullptr;
    current_target = target;
    SDL_SetRenderTarget(renderer, target != nullptr ? target->texture : nullptr);
}

void Graphics::blit_target(const Target& target, const SDL_Rect& destination, bool opaque) {
    if (blit_log != nullptr) {
        blit_log->push_back({"", {0, 0, 0, 0}, destination, true, false, 0.0, FlipDirection::None});
        if (blit_log_only) return;
    }
    if (!owns(target)) return;
    ++copies_made;
    SDL_SetTextureBlendMode(target.texture, opaque ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
    SDL_RenderCopy(renderer, target.texture, nullptr, &destination);
}

bool Graphics::read_image(const std::string& name, Pixels& out) const {
    SDL_Surface* loaded = load_quietly(config.content + name);
    if (loaded == nullptr) return false;
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA8888, 0);
    SDL_FreeSurface(loaded);
    if (rgba == nullptr) return false;
    out.width = rgba->w;
    out.height = rgba->h;
    out.rgba.resize(static_cast<std::size_t>(rgba->w) * static_cast<std::size_t>(rgba->h));
    SDL_LockSurface(rgba);
    for (int y = 0; y < rgba->h; ++y) {
        const auto* row =
            reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(rgba->pixels) +
                                              static_cast<std::ptrdiff_t>(y) * rgba->pitch);
        std::copy(row, row + rgba->w, out.rgba.begin() + static_cast<std::ptrdiff_t>(y) * rgba->w);
    }
    SDL_UnlockSurface(rgba);
    SDL_FreeSurface(rgba);
    return true;
}
