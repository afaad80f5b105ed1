// Small software raster for the image generator: a float RGBA canvas, seeded hash noise,
// anti-aliased shapes and PNG output. Everything is deterministic: no clocks, no library
// random distributions (their output differs between standard libraries).
#pragma once

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace raster {

struct Colour {
    float r = 0, g = 0, b = 0, a = 1;
};

inline Colour rgb(uint32_t hex, float alpha = 1.0f) {
    return {((hex >> 16) & 0xFF) / 255.0f, ((hex >> 8) & 0xFF) / 255.0f, (hex & 0xFF) / 255.0f,
            alpha};
}

inline Colour mix(const Colour& a, const Colour& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

inline Colour scale(const Colour& c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

inline float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

inline float smoothstep(float e0, float e1, float x) {
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

// Straight (not premultiplied) alpha; (0, 0) is the top-left pixel.
class Canvas {
public:
    Canvas(int width, int height) : w(width), h(height), px(static_cast<size_t>(w * h)) {
        for (auto& c : px) c.a = 0.0f;
    }

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
    Colour& at(int x, int y) { return px[static_cast<size_t>(y * w + x)]; }
    const Colour& at(int x, int y) const { return px[static_cast<size_t>(y * w + x)]; }

    void set(int x, int y, const Colour& c) {
        if (inside(x, y)) at(x, y) = c;
    }

    // Source-over with an extra coverage factor.
    void blend(int x, int y, const Colour& c, float coverage = 1.0f) {
        if (!inside(x, y)) return;
        const float a = clamp01(c.a * coverage);
        if (a <= 0.0f) return;
        Colour& d = at(x, y);
        const float out = a + d.a * (1.0f - a);
        if (out <= 0.0f) return;
        const float k = d.a * (1.0f - a);
        d.r = (c.r * a + d.r * k) / out;
        d.g = (c.g * a + d.g * k) / out;
        d.b = (c.b * a + d.b * k) / out;
        d.a = out;
    }

    void fill(const Colour& c) {
        for (auto& p : px) p = c;
    }

    // Copies `src` with its top-left corner at (x, y), blending.
    void draw(const Canvas& src, int x, int y) {
        for (int sy = 0; sy < src.h; ++sy)
            for (int sx = 0; sx < src.w; ++sx) blend(x + sx, y + sy, src.at(sx, sy));
    }

    // Copies the region (x, y, w, h) of this canvas into a new one, transparent outside.
    Canvas crop(int x, int y, int cw, int ch) const {
        Canvas out(cw, ch);
        for (int j = 0; j < ch; ++j)
            for (int i = 0; i < cw; ++i)
                if (inside(x + i, y + j)) out.at(i, j) = at(x + i, y + j);
        return out;
    }

    int w;
    int h;
    std::vector<Colour> px;
};

inline uint8_t to_byte(float v) { return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0f)); }

// Writes the canvas as a 32-bit RGBA PNG. Fully transparent pixels are stored as zero so that
// invisible colour leftovers never change the file.
inline bool save_png(const Canvas& c, const std::string& path) {
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, c.w, c.h, 32, SDL_PIXELFORMAT_RGBA32);
    if (s == nullptr) return false;
    for (int y = 0; y < c.h; ++y) {
        auto* row = static_cast<uint8_t*>(s->pixels) + y * s->pitch;
        for (int x = 0; x < c.w; ++x) {
            const Colour& p = c.at(x, y);
            const uint8_t a = to_byte(p.a);
            row[x * 4 + 0] = a ? to_byte(p.r) : 0;
            row[x * 4 + 1] = a ? to_byte(p.g) : 0;
            row[x * 4 + 2] = a ? to_byte(p.b) : 0;
            row[x * 4 + 3] = a;
        }
    }
    const bool ok = IMG_SavePNG(s, path.c_str()) == 0;
    if (!ok) std::fprintf(stderr, "Unable to write %s: %s\n", path.c_str(), SDL_GetError());
    SDL_FreeSurface(s);
    return ok;
}

// Nearest-neighbour enlargement by a whole factor.
inline Canvas upscale(const Canvas& src, int factor) {
    Canvas out(src.w * factor, src.h * factor);
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) out.at(x, y) = src.at(x / factor, y / factor);
    return out;
}

// Area-averaging resize (alpha-weighted), for the small icon sizes.
inline Canvas resample(const Canvas& src, int w, int h) {
    Canvas out(w, h);
    const double sx = static_cast<double>(src.w) / w;
    const double sy = static_cast<double>(src.h) / h;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            double r = 0, g = 0, b = 0, a = 0, area = 0;
            const double x0 = x * sx, x1 = (x + 1) * sx, y0 = y * sy, y1 = (y + 1) * sy;
            for (int j = static_cast<int>(y0); j < static_cast<int>(std::ceil(y1)); ++j) {
                const double wy = std::min<double>(j + 1, y1) - std::max<double>(j, y0);
                for (int i = static_cast<int>(x0); i < static_cast<int>(std::ceil(x1)); ++i) {
                    const double wx = std::min<double>(i + 1, x1) - std::max<double>(i, x0);
                    const Colour& p = src.at(i, j);
                    const double k = wx * wy;
                    r += p.r * p.a * k;
                    g += p.g * p.a * k;
                    b += p.b * p.a * k;
                    a += p.a * k;
                    area += k;
                }
            }
            if (a > 0)
                out.at(x, y) = {static_cast<float>(r / a), static_cast<float>(g / a),
                                static_cast<float>(b / a), static_cast<float>(a / area)};
        }
    }
    return out;
}

// ---- Seeded randomness -------------------------------------------------------------------

inline uint32_t hash(uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

inline uint32_t hash(int x, int y, uint32_t seed) {
    return hash(static_cast<uint32_t>(x) * 0x9E3779B1U ^ hash(static_cast<uint32_t>(y) + seed));
}

inline float hash01(int x, int y, uint32_t seed) {
    return static_cast<float>(hash(x, y, seed) >> 8) / 16777216.0f;
}

// A tiny sequential generator for placing things.
class Random {
public:
    explicit Random(uint32_t seed) : state(seed) {}
    uint32_t next() {
        state += 0x9E3779B9U;
        return hash(state);
    }
    float uniform() { return static_cast<float>(next() >> 8) / 16777216.0f; }
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }

private:
    uint32_t state;
};

inline int wrap(int v, int period) {
    const int m = v % period;
    return m < 0 ? m + period : m;
}

// Value noise in [0, 1) on a grid of `px` by `py` cells that repeats after those counts.
inline float value_noise(float x, float y, int px, int py, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const auto v = [&](int i, int j) { return hash01(wrap(i, px), wrap(j, py), seed); };
    const float a = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * tx;
    const float b = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * tx;
    return a + (b - a) * ty;
}

// Octaves of periodic value noise, normalised to [0, 1).
inline float fbm(float x, float y, int px, int py, int octaves, uint32_t seed) {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * value_noise(x, y, px, py, seed + static_cast<uint32_t>(o) * 101U);
        norm += amp;
        amp *= 0.5f;
        x *= 2;
        y *= 2;
        px *= 2;
        py *= 2;
    }
    return sum / norm;
}

// 4x4 ordered dither threshold in [0, 1).
inline float bayer4(int x, int y) {
    static constexpr int kMatrix[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (kMatrix[wrap(y, 4)][wrap(x, 4)] + 0.5f) / 16.0f;
}

// Picks one of `ramp` for a shade in [0, 1], dithering between neighbouring entries.
inline Colour ramp_pick(const std::vector<Colour>& ramp, float v, int x, int y) {
    const float t = clamp01(v) * static_cast<float>(ramp.size() - 1);
    int i = static_cast<int>(std::floor(t));
    const float f = t - static_cast<float>(i);
    if (f > bayer4(x, y)) ++i;
    return ramp[static_cast<size_t>(std::min<int>(i, static_cast<int>(ramp.size()) - 1))];
}

// ---- Shapes ------------------------------------------------------------------------------

struct Vec {
    float x = 0, y = 0;
};
inline Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
inline Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
inline Vec operator*(Vec a, float k) { return {a.x * k, a.y * k}; }
inline float dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
inline float cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
inline float length(Vec a) { return std::sqrt(dot(a, a)); }
inline Vec normalised(Vec a) {
    const float l = length(a);
    return l > 0 ? a * (1.0f / l) : Vec{};
}
inline Vec perpendicular(Vec a) { return {-a.y, a.x}; }

// Distance from p to the segment a-b.
inline float segment_distance(Vec p, Vec a, Vec b) {
    const Vec ab = b - a;
    const float l2 = dot(ab, ab);
    const float t = l2 > 0 ? std::clamp(dot(p - a, ab) / l2, 0.0f, 1.0f) : 0.0f;
    return length(p - (a + ab * t));
}

// Calls shade(x, y) for every pixel of the box and blends what it returns with the coverage
// of the region where sdf < 0, measured on a 4x4 grid of samples inside the pixel.
template <class Sdf, class Shade>
void paint(Canvas& c, int x0, int y0, int x1, int y1, Sdf sdf, Shade shade) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, c.w - 1);
    y1 = std::min(y1, c.h - 1);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            int hits = 0;
            for (int j = 0; j < 4; ++j)
                for (int i = 0; i < 4; ++i)
                    if (sdf(Vec{x + (i + 0.5f) / 4.0f, y + (j + 0.5f) / 4.0f}) < 0) ++hits;
            if (hits > 0) c.blend(x, y, shade(x, y), hits / 16.0f);
        }
    }
}

inline void disc(Canvas& c, Vec centre, float radius, const Colour& colour) {
    paint(
        c, static_cast<int>(centre.x - radius) - 1, static_cast<int>(centre.y - radius) - 1,
        static_cast<int>(centre.x + radius) + 1, static_cast<int>(centre.y + radius) + 1,
        [&](Vec p) { return length(p - centre) - radius; }, [&](int, int) { return colour; });
}

inline void ellipse(Canvas& c, Vec centre, float rx, float ry, const Colour& colour) {
    paint(
        c, static_cast<int>(centre.x - rx) - 1, static_cast<int>(centre.y - ry) - 1,
        static_cast<int>(centre.x + rx) + 1, static_cast<int>(centre.y + ry) + 1,
        [&](Vec p) {
            const float dx = (p.x - centre.x) / rx, dy = (p.y - centre.y) / ry;
            return (std::sqrt(dx * dx + dy * dy) - 1.0f) * std::min(rx, ry);
        },
        [&](int, int) { return colour; });
}

// A thick line with round ends.
inline void capsule(Canvas& c, Vec a, Vec b, float radius, const Colour& colour) {
    paint(
        c, static_cast<int>(std::min(a.x, b.x) - radius) - 1,
        static_cast<int>(std::min(a.y, b.y) - radius) - 1,
        static_cast<int>(std::max(a.x, b.x) + radius) + 1,
        static_cast<int>(std::max(a.y, b.y) + radius) + 1,
        [&](Vec p) { return segment_distance(p, a, b) - radius; },
        [&](int, int) { return colour; });
}

// A polyline of capsules (hard to see joins at these widths).
inline void polyline(Canvas& c, const std::vector<Vec>& points, float radius,
                     const Colour& colour) {
    paint(
        c, 0, 0, c.w - 1, c.h - 1,
        [&](Vec p) {
            float d = 1e9f;
            for (size_t i = 1; i < points.size(); ++i)
                d = std::min(d, segment_distance(p, points[i - 1], points[i]));
            return d - radius;
        },
        [&](int, int) { return colour; });
}

// Adds a one-pixel outline of `colour` around every pixel whose alpha is above `threshold`,
// on transparent pixels only (4-neighbourhood, or 8 with `diagonal`).
inline void outline(Canvas& c, const Colour& colour, bool diagonal = true, float threshold = 0.5f) {
    const Canvas before = c;
    for (int y = 0; y < c.h; ++y) {
        for (int x = 0; x < c.w; ++x) {
            if (before.at(x, y).a > 0.0f) continue;
            bool near = false;
            for (int j = -1; j <= 1 && !near; ++j)
                for (int i = -1; i <= 1 && !near; ++i) {
                    if ((i == 0 && j == 0) || (!diagonal && i != 0 && j != 0)) continue;
                    near = before.inside(x + i, y + j) && before.at(x + i, y + j).a > threshold;
                }
            if (near) c.at(x, y) = colour;
        }
    }
}

}  // namespace raster
