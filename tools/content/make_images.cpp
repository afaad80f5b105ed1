// Draws every picture the game loads, from code and fixed seeds, and writes them as PNG into
// the directory given as the only argument. Running it twice gives identical files.
//
//   make_images OUTPUT_DIR [FONT_DIR]
//
// The bitmap fonts are built from the Terminus console fonts (SIL OFL 1.1) in FONT_DIR,
// /usr/share/consolefonts by default (Debian package console-setup-linux).
#include <SDL.h>
#include <SDL_image.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "psf_font.h"
#include "raster.h"

using raster::Canvas;
using raster::Colour;
using raster::rgb;
using raster::Vec;

namespace {

constexpr int kFrame = 32;  // every sheet is 8 columns of 32 by 32 frames
constexpr int kColumns = 8;
constexpr float kPi = 3.14159265358979f;

// ---- The hexagon -------------------------------------------------------------------------

// Corners of the pointy-top tile in its 32 by 32 frame, clockwise from the top.
const Vec kHex[6] = {{16, 0}, {32, 8}, {32, 24}, {16, 32}, {0, 24}, {0, 8}};

// A pixel belongs to the tile when its centre lies inside the hexagon. No pixel centre ever
// lies on an edge, and neighbouring tiles (32 px apart, rows 24 px apart shifted by 16) then
// share out every pixel exactly once: no gaps, no double cover.
bool in_hex(int x, int y) {
    const float px = x + 0.5f, py = y + 0.5f;
    return py > 8 - px / 2 && py > (px - 16) / 2 && py < 40 - px / 2 && py < 24 + px / 2;
}

// Distance from p to the hexagon's outline: positive inside.
float hex_inset(Vec p) {
    float d = 1e9f;
    for (int i = 0; i < 6; ++i)
        d = std::min(d, raster::segment_distance(p, kHex[i], kHex[(i + 1) % 6]));
    const int x = static_cast<int>(std::floor(p.x)), y = static_cast<int>(std::floor(p.y));
    return in_hex(x, y) ? d : -d;
}

// Outward normal of the hexagon edge nearest to p.
Vec hex_normal(Vec p) {
    float best = 1e9f;
    Vec n{};
    for (int i = 0; i < 6; ++i) {
        const Vec a = kHex[i], b = kHex[(i + 1) % 6];
        const float d = raster::segment_distance(p, a, b);
        if (d < best) {
            best = d;
            const Vec e = raster::normalised(b - a);
            n = {e.y, -e.x};  // clockwise corners: the outside is on the left of each edge
        }
    }
    return n;
}

// Textures that repeat with the tile lattice ((32, 0) and (16, 24)) continue across every tile
// edge, whatever the look of the neighbour. Lattice coordinates of a frame pixel's centre:
Vec lattice(int x, int y) {
    const float px = x + 0.5f, py = y + 0.5f;
    return {(px - py * 2.0f / 3.0f) / 32.0f, py / 24.0f};
}

// Periodic noise over the lattice, `cells` value-noise cells per lattice period.
float lattice_noise(int x, int y, int cells, int octaves, uint32_t seed) {
    const Vec l = lattice(x, y);
    return raster::fbm(l.x * cells, l.y * cells, cells, cells, octaves, seed);
}

// A per-pixel random number that repeats with the lattice.
float lattice_grain(int x, int y, uint32_t seed) {
    const int k = static_cast<int>(std::floor(y / 24.0f));
    return raster::hash01(raster::wrap(x - 16 * k, 32), y - 24 * k, seed);
}

// Distance in pixels from a frame pixel to the nearest copy of a point given in lattice
// coordinates.
float lattice_distance(int x, int y, Vec point) {
    const Vec l = lattice(x, y);
    float da = l.x - point.x, db = l.y - point.y;
    da -= std::round(da);
    db -= std::round(db);
    float best = 1e9f;
    for (int j = -1; j <= 1; ++j)
        for (int i = -1; i <= 1; ++i) {
            const float a = da + i, b = db + j;
            best = std::min(best, std::hypot(a * 32 + b * 16, b * 24));
        }
    return best;
}

Canvas hex_clip(const Canvas& c) {
    Canvas out = c;
    for (int y = 0; y < kFrame; ++y)
        for (int x = 0; x < kFrame; ++x)
            if (!in_hex(x, y)) out.at(x, y) = {0, 0, 0, 0};
    return out;
}

// ---- Tiles -------------------------------------------------------------------------------

enum Kind { kSky = 0, kHardDirt = 1, kDirt = 2, kTunnel = 3, kRock = 4 };

using Ramp = std::vector<Colour>;

Ramp ramp(std::initializer_list<uint32_t> colours) {
    Ramp r;
    for (uint32_t c : colours) r.push_back(rgb(c));
    return r;
}

// Weight of a look's own detail: nothing near the edges, so every look meets its neighbours
// on the shared lattice texture.
float interior(int x, int y, float from = 2.5f, float to = 7.0f) {
    return raster::smoothstep(from, to, hex_inset({x + 0.5f, y + 0.5f}));
}

// A small stone with a lit top-left and a dark rim.
void pebble(Canvas& c, Vec at, float rx, float ry, const Colour& body) {
    raster::ellipse(c, at + Vec{0.4f, 0.6f}, rx + 0.3f, ry + 0.3f, raster::scale(body, 0.45f));
    raster::ellipse(c, at, rx, ry, body);
    if (rx >= 1.4f)
        raster::ellipse(c, at + Vec{-rx * 0.35f, -ry * 0.4f}, rx * 0.45f, ry * 0.35f,
                        raster::mix(body, rgb(0xFFFFFF), 0.35f));
}

// Random spots well inside the hexagon.
Vec inner_spot(raster::Random& rnd, float margin) {
    for (;;) {
        const Vec p{rnd.range(margin, 32 - margin), rnd.range(margin, 32 - margin)};
        if (hex_inset(p) > margin) return p;
    }
}

Canvas sky_tile(int variant) {
    const Ramp sky = ramp({0x78bde8, 0x83c5ec, 0x8ecdef, 0x9ad4f2});
    Canvas c(kFrame, kFrame);
    for (int y = 0; y < kFrame; ++y) {
        for (int x = 0; x < kFrame; ++x) {
            float v = 0.42f + 0.28f * (lattice_noise(x, y, 2, 2, 11) - 0.5f);
            // Faint brighter air in some looks.
            v += 0.35f * interior(x, y, 3, 9) * (lattice_noise(x, y, 3, 2, 20 + variant) - 0.55f) *
                 (variant % 3 == 0 ? 1.0f : 0.4f);
            c.set(x, y, raster::ramp_pick(sky, v, x, y));
        }
    }
    return hex_clip(c);
}

Canvas dirt_tile(int variant) {
    const Ramp soil = ramp({0x3b2113, 0x52301c, 0x6a4027, 0x825233, 0x9a6641, 0xb47f55});
    Canvas c(kFrame, kFrame);
    const uint32_t vs = 100 + variant * 7;
    for (int y = 0; y < kFrame; ++y) {
        for (int x = 0; x < kFrame; ++x) {
            float v = 0.5f + 0.45f * (lattice_noise(x, y, 4, 3, 31) - 0.5f);
            v += 0.5f * interior(x, y) * (raster::fbm(x / 6.0f, y / 6.0f, 64, 64, 2, vs) - 0.5f);
            const float g = lattice_grain(x, y, 37);
            if (g > 0.965f) v += 0.35f;
            if (g < 0.035f) v -= 0.35f;
            c.set(x, y, raster::ramp_pick(soil, v, x, y));
        }
    }
    raster::Random rnd(200 + variant);
    switch (variant) {
        case 1:  // a couple of pebbles
            for (int i = 0; i < 2; ++i)
                pebble(c, inner_spot(rnd, 7), rnd.range(1.1f, 1.8f), rnd.range(0.9f, 1.4f),
                       rgb(i == 1 ? 0x8a7a6c : 0x766658));
            break;
        case 2: {  // a pale rootlet
            Vec p = inner_spot(rnd, 9);
            std::vector<Vec> line{p};
            float angle = rnd.range(0, 2 * kPi);
            for (int i = 0; i < 6; ++i) {
                angle += rnd.range(-0.6f, 0.6f);
                p = p + Vec{std::cos(angle), std::sin(angle)} * 2.2f;
                if (hex_inset(p) < 5) break;
                line.push_back(p);
            }
            raster::polyline(c, line, 0.75f, rgb(0xc9a27a));
            break;
        }
        case 3:  // a lighter clay patch
            for (int y = 0; y < kFrame; ++y)
                for (int x = 0; x < kFrame; ++x) {
                    const float d = std::hypot(x + 0.5f - 17, (y + 0.5f - 15) * 1.4f);
                    if (d < 6.5f && raster::hash01(x, y, 5) > d / 9.0f)
                        c.set(x, y, raster::ramp_pick(soil, 0.78f, x, y));
                }
            break;
        case 4:  // one larger stone
            pebble(c, inner_spot(rnd, 10), 2.7f, 2.0f, rgb(0x807264));
            break;
        case 5: {  // a tiny snail shell
            const Vec at = inner_spot(rnd, 10);
            raster::disc(c, at, 2.6f, rgb(0x4a2c18));
            raster::disc(c, at, 1.9f, rgb(0xb89468));
            raster::disc(c, at + Vec{0.4f, 0.3f}, 0.8f, rgb(0x6a4a2e));
            break;
        }
        default:
            break;
    }
    return hex_clip(c);
}

Canvas hard_dirt_tile(int variant) {
    const Ramp soil = ramp({0x24150e, 0x331f15, 0x432a1d, 0x543626, 0x674532});
    Canvas c(kFrame, kFrame);
    for (int y = 0; y < kFrame; ++y) {
        for (int x = 0; x < kFrame; ++x) {
            // Compressed layers: bands 8 px apart, wavering, so hard soil reads as packed.
            const float waver = 2.5f * (lattice_noise(x, y, 3, 2, 41) - 0.5f);
            const float band = std::sin((y + 0.5f + waver) * 2 * kPi / 8.0f);
            float v = 0.5f + 0.3f * (lattice_noise(x, y, 5, 3, 43) - 0.5f) + 0.16f * band;
            v += 0.25f * interior(x, y) *
                 (raster::fbm(x / 5.0f, y / 5.0f, 64, 64, 2, 300 + variant) - 0.5f);
            const float g = lattice_grain(x, y, 47);
            if (g > 0.95f) v += 0.4f;
            if (g < 0.05f) v -= 0.4f;
            c.set(x, y, raster::ramp_pick(soil, v, x, y));
        }
    }
    // Gravel packed into it, repeating with the lattice.
    raster::Random grit(77);
    for (int i = 0; i < 4; ++i) {
        const Vec p{grit.uniform(), grit.uniform()};
        const float r = grit.range(0.7f, 1.2f);
        const Colour stone = rgb(i % 3 == 0 ? 0x7b6a5b : i % 3 == 1 ? 0x6b6660 : 0x8a7155);
        for (int y = 0; y < kFrame; ++y)
            for (int x = 0; x < kFrame; ++x) {
                const float d = lattice_distance(x, y, p);
                if (d < r)
                    c.set(x, y, stone);
                else if (d < r + 0.9f &&
                         lattice_distance(x, y, p + Vec{-0.8f / 32, -0.8f / 24}) > r)
                    c.set(x, y, raster::scale(stone, 0.5f));
            }
    }
    raster::Random rnd(400 + variant);
    const int stones = variant == 0 ? 0 : variant % 3 + 1;
    for (int i = 0; i < stones; ++i)
        pebble(c, inner_spot(rnd, 8), rnd.range(1.4f, 2.6f), rnd.range(1.1f, 1.8f),
               rgb(rnd.uniform() < 0.5f ? 0x857a70 : 0x948674));
    if (variant == 5)  // a lump of darker clay
        for (int y = 0; y < kFrame; ++y)
            for (int x = 0; x < kFrame; ++x) {
                const float d = std::hypot(x + 0.5f - 15, (y + 0.5f - 17) * 1.5f);
                if (d < 5.5f && raster::hash01(x, y, 6) > d / 7.0f)
                    c.set(x, y, raster::ramp_pick(soil, 0.08f, x, y));
            }
    return hex_clip(c);
}

Canvas tunnel_tile(int variant) {
    const Ramp dark = ramp({0x120a06, 0x1a110b, 0x231710, 0x2c1e15, 0x37271b});
    Canvas c(kFrame, kFrame);
    for (int y = 0; y < kFrame; ++y) {
        for (int x = 0; x < kFrame; ++x) {
            float v = 0.45f + 0.5f * (lattice_noise(x, y, 3, 3, 51) - 0.5f);
            v += 0.3f * interior(x, y) *
                 (raster::fbm(x / 7.0f, y / 7.0f, 64, 64, 2, 500 + variant) - 0.5f);
            if (lattice_grain(x, y, 57) > 0.975f) v += 0.3f;
            c.set(x, y, raster::ramp_pick(dark, v, x, y));
        }
    }
    raster::Random rnd(600 + variant);
    if (variant == 2 || variant == 5) {  // a thread of root hanging into the hollow
        Vec p = inner_spot(rnd, 9);
        std::vector<Vec> line{p};
        for (int i = 0; i < 4; ++i) {
            p = p + Vec{rnd.range(-1.2f, 1.2f), 2.0f};
            if (hex_inset(p) < 5) break;
            line.push_back(p);
        }
        raster::polyline(c, line, 0.55f, rgb(0x5b4330));
    }
    if (variant == 3 || variant == 4)  // loose crumbs
        for (int i = 0; i < 2 + variant % 2; ++i)
            pebble(c, inner_spot(rnd, 7), rnd.range(0.8f, 1.3f), rnd.range(0.7f, 1.0f),
                   rgb(0x4a3526));
    return hex_clip(c);
}

Canvas rock_tile(int variant) {
    const Ramp stone = ramp({0x2b2d33, 0x3c3f46, 0x50545c, 0x656a73, 0x7c818a, 0x959aa3});
    Canvas c(kFrame, kFrame);
    const Vec light = raster::normalised({-1.0f, -1.4f});
    for (int y = 0; y < kFrame; ++y) {
        for (int x = 0; x < kFrame; ++x) {
            const Vec p{x + 0.5f, y + 0.5f};
            const float inset = hex_inset(p);
            float v =
                0.5f + 0.45f * (raster::fbm(x / 9.0f, y / 9.0f, 64, 64, 3, 700 + variant) - 0.5f);
            v += 0.1f * (raster::hash01(x, y, 710 + variant) - 0.5f);
            // Each rock is a column of stone with a bevelled rim lit from the upper left.
            const float rim = 1.0f - raster::smoothstep(0.5f, 3.5f, inset);
            v += 0.45f * rim * raster::dot(hex_normal(p), light);
            Colour col = raster::ramp_pick(stone, v, x, y);
            if (inset < 1.0f) col = rgb(0x1b1c20);
            c.set(x, y, col);
        }
    }
    raster::Random rnd(800 + variant);
    // A crack runs in from the rim and wanders towards the middle.
    const auto crack = [&](int steps) {
        float angle = rnd.range(0, 2 * kPi);
        Vec p = Vec{16, 16} + Vec{std::cos(angle), std::sin(angle)} * 12.0f;
        while (hex_inset(p) < 2.0f) p = p - Vec{std::cos(angle), std::sin(angle)};
        angle += kPi;
        std::vector<Vec> line{p};
        for (int i = 0; i < steps; ++i) {
            angle += rnd.range(-0.9f, 0.9f);
            p = p + Vec{std::cos(angle), std::sin(angle)} * rnd.range(1.8f, 3.2f);
            if (hex_inset(p) < 2.0f) break;
            line.push_back(p);
        }
        std::vector<Vec> lit;
        for (const Vec& q : line) lit.push_back(q + Vec{0.8f, 0.9f});
        raster::polyline(c, lit, 0.45f, rgb(0x868b94));
        raster::polyline(c, line, 0.5f, rgb(0x1d1e22));
    };
    switch (variant) {
        case 1:
            crack(6);
            break;
        case 2:
            crack(5);
            crack(4);
            break;
        case 3: {  // a quartz vein
            const Vec a = inner_spot(rnd, 7);
            const Vec b = a + raster::normalised({rnd.range(-1, 1), rnd.range(0.3f, 1)}) * 12;
            raster::capsule(c, a, b, 0.8f, rgb(0xa9adb5));
            raster::capsule(c, a + Vec{0.8f, 0.8f}, b + Vec{0.8f, 0.8f}, 0.4f, rgb(0x3c3f46));
            break;
        }
        case 4:  // flecks of feldspar
            for (int i = 0; i < 9; ++i) {
                const Vec p = inner_spot(rnd, 4);
                c.set(static_cast<int>(p.x), static_cast<int>(p.y),
                      rgb(i % 2 ? 0xb89a8f : 0xc9cdd2));
            }
            break;
        case 5: {  // the faint whorl of an ammonite
            const Vec centre{16.5f, 16.5f};
            std::vector<Vec> spiral;
            for (float t = 0; t < 2.6f * kPi; t += 0.15f) {
                const float r = 0.6f + t * 0.55f;
                spiral.push_back(centre + Vec{std::cos(t), std::sin(t)} * r);
            }
            std::vector<Vec> lit;
            for (const Vec& q : spiral) lit.push_back(q + Vec{-0.6f, -0.6f});
            raster::polyline(c, lit, 0.45f, rgb(0x7a7f88));
            raster::polyline(c, spiral, 0.5f, rgb(0x3c3f46));
            break;
        }
        default:
            break;
    }
    return hex_clip(c);
}

// ---- Food --------------------------------------------------------------------------------

const Colour kInk = rgb(0x1a0e08);

// Kind 0, the everyday meal: a fallen green leaf.
Canvas food_leaf() {
    Canvas c(kFrame, kFrame);
    const Vec base{9, 23}, tip{24, 9};
    const Vec axis = raster::normalised(tip - base), side = raster::perpendicular(axis);
    const float len = raster::length(tip - base);
    const auto leaf = [&](Vec p, float grow) {
        const Vec d = p - base;
        const float u = raster::dot(d, axis) / len, w = raster::dot(d, side);
        if (u < 0 || u > 1) return 1.0f;
        const float half = 5.8f * std::sin(u * kPi) * (1.0f - 0.25f * u) + grow;
        return std::abs(w) - half;
    };
    raster::paint(
        c, 0, 0, 31, 31, [&](Vec p) { return leaf(p, 1.0f); }, [&](int, int) { return kInk; });
    raster::paint(
        c, 0, 0, 31, 31, [&](Vec p) { return leaf(p, 0.0f); },
        [&](int x, int y) {
            const Vec d = Vec{x + 0.5f, y + 0.5f} - base;
            const float w = raster::dot(d, side);
            return w < 0 ? rgb(0x5fae3a) : rgb(0x4a9130);
        });
    raster::capsule(c, base + axis * 1.0f, tip - axis * 2.0f, 0.5f, rgb(0xa8dc70));
    for (float u : {0.3f, 0.5f, 0.7f}) {
        const Vec s = base + axis * (len * u);
        raster::capsule(c, s, s + axis * 2.5f + side * 3.2f, 0.4f, rgb(0x8fcc5c));
        raster::capsule(c, s, s + axis * 2.5f - side * 3.2f, 0.4f, rgb(0x3d7a27));
    }
    raster::capsule(c, base, base - axis * 3.0f + side * 1.0f, 0.8f, rgb(0x6a4a22));
    return hex_clip(c);
}

// Kind 1: a cluster of red berries.
Canvas food_berries() {
    Canvas c(kFrame, kFrame);
    const Vec berries[] = {{12, 18}, {19.5f, 18.5f}, {15.5f, 12.5f}, {16, 23}};
    raster::capsule(c, {15.5f, 12.5f}, {18, 5.5f}, 1.4f, kInk);
    raster::capsule(c, {15.5f, 12.5f}, {18, 5.5f}, 0.6f, rgb(0x6a8a2a));
    raster::ellipse(c, {21.5f, 7}, 4, 2.2f, kInk);
    raster::ellipse(c, {21.5f, 7}, 3, 1.3f, rgb(0x5fae3a));
    for (const Vec& b : berries) raster::disc(c, b, 5.0f, kInk);
    for (const Vec& b : berries) {
        raster::disc(c, b, 4.0f, rgb(0xb0202c));
        raster::disc(c, b + Vec{0.6f, 0.7f}, 3.0f, rgb(0xd83a3e));
        raster::disc(c, b + Vec{-1.4f, -1.4f}, 1.1f, rgb(0xffc0b0));
    }
    return hex_clip(c);
}

// Kind 2: a little mushroom.
Canvas food_mushroom() {
    Canvas c(kFrame, kFrame);
    raster::capsule(c, {16, 15}, {16.5f, 25}, 4.0f, kInk);
    raster::capsule(c, {16, 15}, {16.5f, 25}, 3.0f, rgb(0xe8dcc0));
    raster::capsule(c, {17.2f, 16}, {17.6f, 25}, 1.1f, rgb(0xb9a989));
    const auto cap = [](Vec p, float grow) {
        const float dx = (p.x - 16) / (11.0f + grow), dy = (p.y - 15) / (8.5f + grow);
        if (p.y > 15.5f + grow) return p.y - 15.5f - grow;
        return std::sqrt(dx * dx + dy * dy) - 1.0f;
    };
    raster::paint(
        c, 0, 0, 31, 31, [&](Vec p) { return cap(p, 1.0f); }, [&](int, int) { return kInk; });
    raster::paint(
        c, 0, 0, 31, 31, [&](Vec p) { return cap(p, 0.0f); },
        [&](int x, int y) {
            const float shade = (x - 16) * 0.04f + (y - 9) * 0.05f;
            return raster::mix(rgb(0xc9783a), rgb(0x8a4520), raster::clamp01(shade + 0.3f));
        });
    for (const Vec& spot : {Vec{12, 10}, Vec{18, 9}, Vec{21.5f, 12.5f}, Vec{9, 13.5f}})
        raster::disc(c, spot, 1.2f, rgb(0xf3e6c8));
    return hex_clip(c);
}

// Kind 3, the rare prize of hard soil: a golden truffle that glows.
Canvas food_truffle() {
    Canvas c(kFrame, kFrame);
    for (int y = 0; y < kFrame; ++y)
        for (int x = 0; x < kFrame; ++x) {
            const float d = std::hypot(x + 0.5f - 16, y + 0.5f - 17);
            c.blend(x, y, rgb(0xffd860, 0.55f * (1.0f - raster::smoothstep(5, 13, d))));
        }
    const auto lump = [](Vec p, float grow) {
        const float a = std::atan2(p.y - 17, p.x - 16);
        const float r = 7.0f + 0.9f * std::sin(a * 5 + 0.7f) + 0.5f * std::sin(a * 9) + grow;
        return std::hypot(p.x - 16, (p.y - 17) * 1.1f) - r;
    };
    raster::paint(
        c, 0, 0, 31, 31, [&](Vec p) { return lump(p, 1.0f); },
        [&](int, int) { return rgb(0x3a2108); });
    raster::paint(
        c, 0, 0, 31, 31, [&](Vec p) { return lump(p, 0.0f); },
        [&](int x, int y) {
            const float lit = raster::clamp01(0.5f - (x - 16) * 0.06f - (y - 17) * 0.07f +
                                              0.25f * (raster::hash01(x, y, 9) - 0.5f));
            return raster::mix(rgb(0xa9661a), rgb(0xffd24a), lit);
        });
    raster::disc(c, {13, 13.5f}, 1.4f, rgb(0xfff6c8));
    // A twinkle.
    raster::capsule(c, {23, 6}, {23, 12}, 0.45f, rgb(0xfffbe6));
    raster::capsule(c, {20, 9}, {26, 9}, 0.45f, rgb(0xfffbe6));
    return hex_clip(c);
}

Canvas make_tiles() {
    Canvas sheet(kColumns * kFrame, 6 * kFrame);
    const std::function<Canvas(int)> kinds[] = {sky_tile, hard_dirt_tile, dirt_tile, tunnel_tile,
                                                rock_tile};
    for (int kind = 0; kind < 5; ++kind)
        for (int variant = 0; variant < 6; ++variant)
            sheet.draw(kinds[kind](variant), kind * kFrame, variant * kFrame);
    const std::function<Canvas()> food[] = {food_leaf, food_berries, food_mushroom, food_truffle};
    for (int k = 0; k < 4; ++k) sheet.draw(food[k](), 5 * kFrame, k * kFrame);
    return sheet;
}

// ---- Worm --------------------------------------------------------------------------------

// Middle of the tile edge towards each direction, from the tile centre (NW, NE, E, SE, SW, W).
const Vec kEdgeMiddle[6] = {{-8, -12}, {8, -12}, {16, 0}, {8, 12}, {-8, 12}, {-16, 0}};
const Vec kCentre{16, 16};

// Head frame for (front, back); -1 where the worm has no piece.
int head_frame(int front, int back) {
    static constexpr int kTable[6][6] = {{-1, -1, 0, 8, 16, -1},  {-1, -1, -1, 17, 9, 1},
                                         {2, -1, -1, -1, 18, 10}, {11, 19, -1, -1, -1, 3},
                                         {20, 12, 4, -1, -1, -1}, {-1, 5, 13, 21, -1, -1}};
    return kTable[front][back];
}
constexpr int kOddHead = 99;
constexpr int kOddBody = 123;
constexpr int kBodyOffset = 24;
constexpr int kTailOffset = 48;

const Ramp& worm_ramp() {
    static const Ramp r = ramp({0x5e2233, 0x8e3548, 0xb44e5c, 0xd46d72, 0xec9189, 0xf8b5a5});
    return r;
}
const Colour kWormRim = rgb(0x3a1020);

// Where a pixel lies on a tube: distance from the centre line, the side (-1 to 1 across it),
// the direction of the line there and how far along it the nearest point is.
struct TubePoint {
    float distance;
    float side;
    Vec tangent;
    float along;  // 0 at the back end to 1 at the front end
};

// The centre line bends from the back edge's middle to the front edge's middle as a
// quadratic curve through the tile centre's pull, so that it leaves each edge straight along
// the line between the two tile centres: the neighbour's piece continues it exactly.
struct Tube {
    Vec back_end, front_end;
    std::vector<Vec> points;

    Tube(int front, int back, float front_stop = 1.0f) {
        back_end = kCentre + kEdgeMiddle[back];
        front_end = kCentre + kEdgeMiddle[front];
        for (int i = 0; i <= 96; ++i) {
            const float t = front_stop * i / 96.0f, u = 1 - t;
            points.push_back(back_end * (u * u) + kCentre * (2 * u * t) + front_end * (t * t));
        }
    }

    TubePoint nearest(Vec p) const {
        TubePoint best{1e9f, 0, {}, 0};
        for (size_t i = 1; i < points.size(); ++i) {
            const Vec a = points[i - 1], b = points[i], ab = b - a;
            const float t = std::clamp(raster::dot(p - a, ab) / raster::dot(ab, ab), 0.0f, 1.0f);
            const Vec q = a + ab * t;
            const float d = raster::length(p - q);
            if (d < best.distance) {
                const Vec tangent = raster::normalised(ab);
                best = {d, raster::cross(tangent, p - q) > 0 ? d : -d, tangent,
                        (static_cast<float>(i - 1) + t) / static_cast<float>(points.size() - 1)};
            }
        }
        return best;
    }
};

// Round flesh lit from the upper left, with the dark rim at the silhouette.
Colour flesh(Vec tangent, float side, float radius, float darken) {
    const float s = std::clamp(side / radius, -1.0f, 1.0f);
    const Vec across = raster::perpendicular(tangent);
    const float nx = across.x * s, ny = across.y * s, nz = std::sqrt(std::max(0.0f, 1 - s * s));
    const float lx = -0.45f, ly = -0.7f, lz = 0.55f;
    const float lambert = (nx * lx + ny * ly + nz * lz) / std::sqrt(lx * lx + ly * ly + lz * lz);
    float v = 0.3f + 0.65f * std::max(0.0f, lambert) - darken;
    if (std::abs(side) > radius - 1.1f) return kWormRim;
    const Ramp& r = worm_ramp();
    return r[static_cast<size_t>(std::clamp(v, 0.0f, 0.999f) * static_cast<float>(r.size()))];
}

enum class Piece { Head, Body, Tail };

// A tube piece from the back edge to the front edge (body), from the back edge to a round
// snout short of the front edge (head), or from the front edge narrowing to a tip at the back
// edge (tail).
Canvas worm_piece(int front, int back, Piece piece) {
    const bool head = piece == Piece::Head;
    const bool tail = piece == Piece::Tail;
    Canvas c(kFrame, kFrame);
    const float radius = 6.5f, head_radius = 7.5f;
    const Vec out_back = raster::normalised(kEdgeMiddle[back]);
    const Vec out_front = raster::normalised(kEdgeMiddle[front]);
    // The snout's centre sits one head radius inside the front edge.
    float stop = 1.0f;
    if (head) {
        const Tube full(front, back);
        const float reach = raster::length(kEdgeMiddle[front]) - head_radius - 0.5f;
        for (size_t i = full.points.size() - 1; i > 0; --i)
            if (raster::length(full.points[i] - kCentre) <= reach ||
                raster::dot(full.points[i] - kCentre, out_front) <= reach) {
                stop = static_cast<float>(i) / static_cast<float>(full.points.size() - 1);
                break;
            }
    }
    const Tube tube(front, back, stop);
    const auto radius_at = [&](float along) {
        if (head) return radius + (head_radius - radius) * raster::smoothstep(0.2f, 0.9f, along);
        // Full at the front edge, narrowing smoothly to a point just inside the back edge.
        if (tail) return radius * std::sqrt(raster::smoothstep(0.08f, 0.75f, along)) - 0.3f;
        return radius;
    };
    // The cut ends are decided by the pixel's centre, not smoothed: a pixel there belongs wholly
    // to this piece or wholly to the neighbour's (no pixel centre lies on a cut), so the join
    // shows no half-transparent seam.
    const auto inside = [&](Vec p) {
        const Vec centre{std::floor(p.x) + 0.5f, std::floor(p.y) + 0.5f};
        if (raster::dot(centre - tube.back_end, out_back) >= 0) return 1.0f;
        if (!head && raster::dot(centre - tube.front_end, out_front) >= 0) return 1.0f;
        const TubePoint tp = tube.nearest(p);
        return tp.distance - radius_at(tp.along);
    };
    // Rings: evenly spaced along the piece, never at its cut ends.
    const float ring_count = head || tail ? 3.0f : 4.0f;
    raster::paint(c, 0, 0, 31, 31, inside, [&](int x, int y) {
        const Vec p{x + 0.5f, y + 0.5f};
        const TubePoint tp = tube.nearest(p);
        const float r = radius_at(tp.along);
        const float phase = tp.along * ring_count;
        const float ring =
            head && tp.along > 0.7f
                ? 0.0f
                : std::max(0.0f, 1 - std::abs(phase - std::floor(phase) - 0.5f) * 5.0f);
        return flesh(tp.tangent, std::clamp(tp.side, -r, r), r, 0.22f * ring);
    });
    if (head) {
        const Vec tip = tube.points.back();
        const Vec ahead =
            raster::normalised(tube.points.back() - tube.points[tube.points.size() - 4]);
        const Vec across = raster::perpendicular(ahead);
        for (float s : {-1.0f, 1.0f}) {
            const Vec eye = tip - ahead * 0.3f + across * (3.6f * s);
            raster::disc(c, eye, 3.0f, kWormRim);
            raster::disc(c, eye, 2.4f, rgb(0xfdf6ee));
            raster::disc(c, eye + ahead * 0.9f, 1.35f, rgb(0x1a0a10));
            c.set(static_cast<int>(eye.x + ahead.x * 0.9f - 0.6f),
                  static_cast<int>(eye.y + ahead.y * 0.9f - 0.6f), rgb(0xffffff));
        }
        const Vec mouth = tip + ahead * (head_radius - 2.6f);
        raster::capsule(c, mouth - across * 1.6f, mouth + across * 1.6f, 0.55f, rgb(0x5e2233));
    }
    return c;
}

// A pair of directions the worm never shows: a plain ball, with eyes on the head.
Canvas worm_ball(bool head) {
    Canvas c(kFrame, kFrame);
    const float r = head ? 7.5f : 6.5f;
    raster::paint(
        c, 0, 0, 31, 31, [&](Vec p) { return raster::length(p - kCentre) - r; },
        [&](int x, int y) {
            const Vec d = Vec{x + 0.5f, y + 0.5f} - kCentre;
            const float l = raster::length(d);
            const Vec tangent = l > 0 ? raster::perpendicular(d * (-1.0f / l)) : Vec{1, 0};
            return flesh(tangent, l, r, 0);
        });
    if (head)
        for (float s : {-1.0f, 1.0f}) {
            const Vec eye = kCentre + Vec{3.4f * s, -1.0f};
            raster::disc(c, eye, 2.6f, kWormRim);
            raster::disc(c, eye, 2.0f, rgb(0xfdf6ee));
            raster::disc(c, eye + Vec{0, 0.8f}, 1.15f, rgb(0x1a0a10));
        }
    return c;
}

Canvas make_worm() {
    Canvas sheet(kColumns * kFrame, 16 * kFrame);
    for (int front = 0; front < 6; ++front)
        for (int back = 0; back < 6; ++back) {
            const int f = head_frame(front, back);
            if (f < 0) continue;
            sheet.draw(worm_piece(front, back, Piece::Head), f % kColumns * kFrame,
                       f / kColumns * kFrame);
            const int b = f + kBodyOffset;
            sheet.draw(worm_piece(front, back, Piece::Body), b % kColumns * kFrame,
                       b / kColumns * kFrame);
            const int t = f + kTailOffset;
            sheet.draw(worm_piece(front, back, Piece::Tail), t % kColumns * kFrame,
                       t / kColumns * kFrame);
        }
    sheet.draw(worm_ball(true), kOddHead % kColumns * kFrame, kOddHead / kColumns * kFrame);
    sheet.draw(worm_ball(false), kOddBody % kColumns * kFrame, kOddBody / kColumns * kFrame);
    return sheet;
}

// ---- Centipede ---------------------------------------------------------------------------
//
// The creature is drawn facing west as one picture over a band three rows high: the plates run
// along the middle row (one per cell, cells 32 px wide), the legs reach up and down into the
// rows above and below. Every piece of the sheet is cut out of such a picture at the place
// where the game draws it: middle pieces at the cell, upper and lower pieces one row up or
// down and half a cell towards the tail. Pieces that overlap on screen therefore show the same
// pixels, and the seams vanish.

constexpr int kPlateRx = 16;  // plates fill their cell's width exactly, so a cell's middle
constexpr int kPlateRy = 20;  // piece never needs its neighbour's plate
constexpr float kAxisY = 16;  // the body's midline, in the head cell's frame

enum class PedePart { Head, Body, Tail };

const Colour kPedeInk = rgb(0x1c0805);

// Shade of a plate at (u, v), both -1 to 1 across it: a cylinder along the body, lit from the
// upper left, its rear edge tucked under the next plate.
Colour plate_shade(float u, float v, bool head) {
    static const Ramp shell = ramp({0x3a0d08, 0x64190f, 0x8e2a16, 0xb83e20, 0xd85c30, 0xf08a4e});
    static const Ramp dark = ramp({0x1e0806, 0x3c0e08, 0x5e170c, 0x842412, 0xa8341a, 0xc84e28});
    const float nx = 0.35f * u, ny = v, nz = std::sqrt(std::max(0.0f, 1 - v * v));
    const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    float light = 0.2f + 0.8f * std::max(0.0f, (-0.4f * nx - 0.6f * ny + 0.7f * nz) / len);
    if (!head) light -= 0.3f * raster::smoothstep(0.4f, 0.95f, u);
    light += 0.1f * (1 - raster::smoothstep(0.0f, 0.15f, std::abs(v)));
    const Ramp& r = head ? dark : shell;
    return r[static_cast<size_t>(std::clamp(light, 0.0f, 0.999f) * static_cast<float>(r.size()))];
}

// A rounded box (superellipse) with a dark rim, shaded as a plate.
void plate_box(Canvas& c, Vec centre, float rx, float ry, float power, bool head) {
    const auto uv = [&](Vec p) { return Vec{(p.x - centre.x) / rx, (p.y - centre.y) / ry}; };
    const auto sdf = [&](Vec p) {
        const Vec q = uv(p);
        return (std::pow(std::pow(std::abs(q.x), power) + std::pow(std::abs(q.y), power),
                         1 / power) -
                1) *
               std::min(rx, ry);
    };
    raster::paint(c, 0, 0, c.w - 1, c.h - 1, sdf, [&](int x, int y) {
        const Vec p{x + 0.5f, y + 0.5f};
        if (sdf(p) > -1.3f) return kPedeInk;
        const Vec q = uv(p);
        return plate_shade(q.x, q.y, head);
    });
}

// One plate in the cell that starts at x0.
void plate(Canvas& c, Vec origin, float x0, bool head) {
    if (head)
        plate_box(c, origin + Vec{x0 + 17, kAxisY}, 15.0f, 16.5f, 2.4f, true);
    else
        plate_box(c, origin + Vec{x0 + 16, kAxisY}, kPlateRx, kPlateRy, 3.0f, false);
}

// A leg-like stroke with a dark rim: thick at the root, thin at the tip.
void limb(Canvas& c, const std::vector<Vec>& joints, float root_radius, float tip_radius,
          const Colour& near, const Colour& far) {
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 1; i < joints.size(); ++i) {
            const float t = static_cast<float>(i - 1) / static_cast<float>(joints.size() - 1);
            const float r = root_radius + (tip_radius - root_radius) * t;
            if (pass == 0)
                raster::capsule(c, joints[i - 1], joints[i], r + 0.9f, kPedeInk);
            else
                raster::capsule(c, joints[i - 1], joints[i], r, raster::mix(near, far, t));
        }
}

Canvas pede_model(PedePart part) {
    // Origin of the head cell's frame inside the picture: one cell and one row of margin.
    const Vec o{32, 32};
    Canvas c(5 * kFrame, 3 * kFrame);
    const int last = part == PedePart::Tail ? 0 : 3;
    for (int cell = -1; cell <= last; ++cell) {
        const bool head = part == PedePart::Head && cell == 0;
        if (part == PedePart::Head && cell < 0) continue;
        plate(c, o, static_cast<float>(cell * kFrame), head);
    }
    if (part == PedePart::Head) {
        // Feelers, eyes and the big poison claws, all inside the head's own cell.
        for (float sgn : {-1.0f, 1.0f}) {
            const auto at = [&](float x, float y) { return o + Vec{x, kAxisY + sgn * y}; };
            limb(c, {at(7, 12), at(3, 13.5f), at(0.8f, 15.5f)}, 1.6f, 0.8f, rgb(0xf0b838),
                 rgb(0xffe080));
            limb(c, {at(7, 5), at(3.5f, 3), at(1.5f, 4.5f), at(0.8f, 7)}, 2.1f, 1.0f, rgb(0x2a0a06),
                 rgb(0xe89030));
            raster::disc(c, at(12.5f, 8.5f), 2.0f, rgb(0x080202));
            raster::disc(c, at(11.8f, 8.0f), 0.6f, rgb(0xffe6c8));
        }
    }
    if (part == PedePart::Tail) {
        // The last plate narrows to a rounded end, and the last pair of legs trails behind
        // like a second pair of feelers. All of it stays inside the cell beyond the tail.
        const Vec tip = o + Vec{32, 0};
        for (float sgn : {-1.0f, 1.0f}) {
            const auto at = [&](float x, float y) { return tip + Vec{x, kAxisY + sgn * y}; };
            limb(c, {at(5, 5), at(13, 9), at(22, 12), at(30.5f, 13.5f)}, 1.9f, 0.9f, rgb(0xd08828),
                 rgb(0xf8c860));
        }
        plate_box(c, tip + Vec{7, kAxisY}, 7.0f, 12.5f, 2.2f, false);
    }
    return c;
}

// Upper leg, frame f of the walk: the leg swings forward (west) and back, lifting (shorter,
// seen from above) on the way forward. Its root hides under the plate; near the root it keeps
// right of frame column 8, where no earlier piece of the creature lies, so a leg never shows
// on top of the plate in front of it.
Canvas pede_leg(int f) {
    Canvas c(kFrame, kFrame);
    const float theta = 2 * kPi * static_cast<float>(f) / 8.0f;
    const float swing = std::sin(theta);
    const float lift = std::max(0.0f, std::cos(theta)) * 3.0f;
    const Vec root{11.5f, 17.5f};
    const Vec tip{12.5f - 8.5f * swing, 1.6f + lift};
    const Vec knee{root.x + 0.35f * (tip.x - root.x) + 2.5f, 9.5f + lift * 0.5f};
    limb(c, {root, knee, tip}, 2.1f, 1.0f, rgb(0xd88a20), rgb(0xfcd060));
    c.set(static_cast<int>(tip.x), static_cast<int>(tip.y), rgb(0x3a1a08));
    return c;
}

// The lower legs mirror the upper ones about the body's midline: upper frame row r shows the
// same as lower frame row 18 - r, given where the game draws the two rows of legs.
Canvas mirror_leg(const Canvas& upper) {
    Canvas c(kFrame, kFrame);
    for (int y = 0; y <= 18; ++y)
        for (int x = 0; x < kFrame; ++x) c.at(x, y) = upper.at(x, 18 - y);
    return c;
}

Canvas make_pedes() {
    Canvas sheet(kColumns * kFrame, 6 * kFrame);
    const auto put = [&](const Canvas& piece, int frame) {
        sheet.draw(piece, frame % kColumns * kFrame, frame / kColumns * kFrame);
    };
    for (int f = 0; f < 8; ++f) {
        const Canvas leg = pede_leg(f);
        put(leg, f);
        put(mirror_leg(leg), 8 + f);
    }
    const Vec o{32, 32};
    const auto cut = [&](const Canvas& model, int dx, int dy) {
        return model.crop(static_cast<int>(o.x) + dx, static_cast<int>(o.y) + dy, kFrame, kFrame);
    };
    const Canvas head = pede_model(PedePart::Head), body = pede_model(PedePart::Body),
                 tail = pede_model(PedePart::Tail);
    put(cut(head, 0, 0), 32);
    put(cut(head, 16, -24), 25);
    put(cut(head, 16, 24), 41);
    put(cut(body, 0, 0), 33);
    put(cut(body, 16, -24), 26);
    put(cut(body, 16, 24), 42);
    put(cut(tail, 16, -24), 27);
    put(cut(tail, 16, 24), 43);
    put(cut(tail, 32, 0), 36);
    return sheet;
}

// ---- Fonts -------------------------------------------------------------------------------

constexpr int kFirstChar = 32;
constexpr int kLastChar = 126;
constexpr int kCellsPerRow = 16;
constexpr int kFontRows = 6;  // 32 to 127

// Draws every printable character of `font` into cells of cell_w by cell_h, each font pixel
// `zoom` by `zoom` screen pixels, placed at `offset` inside the cell. Glyphs are filled with a
// vertical gradient and ringed by a dark outline one font pixel wide, so they read on the sky,
// on soil and on the dark overlays alike.
Canvas make_font(const PsfFont& font, int cell_w, int cell_h, int zoom, Vec offset,
                 const Colour& top, const Colour& bottom) {
    Canvas sheet(kCellsPerRow * cell_w, kFontRows * cell_h);
    const Colour ink = rgb(0x140c0a);
    const int gw = cell_w / zoom, gh = cell_h / zoom;
    for (int ch = kFirstChar; ch <= kLastChar; ++ch) {
        Canvas glyph(gw, gh);
        for (int y = 0; y < gh; ++y)
            for (int x = 0; x < gw; ++x)
                if (font.pixel(static_cast<uint32_t>(ch), x - static_cast<int>(offset.x),
                               y - static_cast<int>(offset.y)))
                    glyph.set(x, y,
                              raster::mix(top, bottom,
                                          static_cast<float>(y) / static_cast<float>(gh - 1)));
        raster::outline(glyph, ink);
        const int col = ch % kCellsPerRow, row = (ch - kFirstChar) / kCellsPerRow;
        sheet.draw(raster::upscale(glyph, zoom), col * cell_w, row * cell_h);
    }
    return sheet;
}

// Small text: Terminus 8x16 as it is.
Canvas make_text(const PsfFont& font) {
    return make_font(font, 8, 16, 1, {0, 0}, rgb(0xffffff), rgb(0xe2d6c0));
}

// Large text: Terminus Bold 12x24 doubled, to 24x48 cells.
Canvas make_bigtext(const PsfFont& font) {
    return make_font(font, 24, 48, 2, {0, 0}, rgb(0xfff4b0), rgb(0xf09838));
}

// ---- Pictures for the title and results screens ------------------------------------------
//
// Both are 640 by 360 (the game stretches them to 1280 by 720) and are built from the game's
// own sprites, so the screens show the world the player is about to dig through.

constexpr int kPictureW = 640;
constexpr int kPictureH = 360;

struct Sheets {
    Canvas tiles, worm, pedes;
};

Canvas sprite(const Canvas& sheet, int frame, bool mirrored = false) {
    Canvas c = sheet.crop(frame % kColumns * kFrame, frame / kColumns * kFrame, kFrame, kFrame);
    if (mirrored)
        for (int y = 0; y < kFrame; ++y)
            for (int x = 0; x < kFrame / 2; ++x) std::swap(c.at(x, y), c.at(kFrame - 1 - x, y));
    return c;
}

// Tile (q, r) of a picture: centres 32 apart, rows 24 apart shifted by 16, as in the game.
struct Cell {
    int q, r;
    bool operator<(const Cell& o) const { return r != o.r ? r < o.r : q < o.q; }
    bool operator==(const Cell& o) const { return q == o.q && r == o.r; }
    Cell step(int d) const {
        static constexpr int kDq[6] = {0, 1, 1, 0, -1, -1}, kDr[6] = {-1, -1, 0, 1, 1, 0};
        return {q + kDq[d], r + kDr[d]};
    }
    int x() const { return 32 * q + 16 * r - 16; }  // top-left of the sprite
    int y() const { return 24 * r - 16; }
    // The cell whose centre is nearest to (x, y) along its row.
    static Cell at(int x, int y) {
        const int r = static_cast<int>(std::lround(y / 24.0));
        return {static_cast<int>(std::lround((x - 16.0 * r) / 32.0)), r};
    }
};

// A worm lying along `path` (tail first), heading on in `heading`.
void draw_worm(Canvas& c, const Canvas& sheet, const std::vector<Cell>& path, int heading) {
    std::vector<int> moves;
    for (size_t i = 1; i < path.size(); ++i)
        for (int d = 0; d < 6; ++d)
            if (path[i - 1].step(d) == path[i]) moves.push_back(d);
    for (size_t i = path.size(); i-- > 0;) {
        const bool head = i + 1 == path.size();
        const int front = head ? heading : moves[i];
        const int back = i == 0 ? (moves[0] + 3) % 6 : (moves[i - 1] + 3) % 6;
        const int f = head_frame(front, back);
        const int piece = i == 0 ? kTailOffset : kBodyOffset;
        const int frame = head ? (f < 0 ? kOddHead : f) : (f < 0 ? kOddBody : f + piece);
        c.draw(sprite(sheet, frame), path[i].x(), path[i].y());
    }
}

// A centipede the way the game lays out its pieces and legs.
void draw_centipede(Canvas& c, const Canvas& sheet, Cell head, int length, bool west) {
    const int b = west ? 1 : -1, X = head.x(), Y = head.y(), L = 32 * b;
    const int phase = 11 * std::abs(head.q + head.r);
    const auto put = [&](int frame, int x, int y) { c.draw(sprite(sheet, frame, !west), x, y); };
    const auto leg = [&](int x, int y, int k) {
        put(k <= 7 ? (phase + k) % 8 : 8 + (phase + k) % 8, x, y);
    };
    leg(X + 12 * b, Y - 18, 0), leg(X + 21 * b, Y - 19, 1), leg(X + 30 * b, Y - 19, 2);
    leg(X + 12 * b, Y + 32, 8), leg(X + 21 * b, Y + 33, 9), leg(X + 30 * b, Y + 33, 10);
    put(32, X, Y), put(25, X + 16 * b, Y - 24), put(41, X + 16 * b, Y + 24);
    for (int i = 1; i <= length - 2; ++i) {
        const int xi = X + i * L;
        leg(xi + 8 * b, Y - 19, 3 * i % 8), leg(xi + 18 * b, Y - 19, 5 * i % 8);
        leg(xi + 28 * b, Y - 19, 7 * i % 8), leg(xi + 8 * b, Y + 33, 8 + i % 8);
        leg(xi + 18 * b, Y + 33, 8 + 3 * i % 8), leg(xi + 28 * b, Y + 33, 8 + 5 * i % 8);
        put(33, xi, Y), put(26, xi + 16 * b, Y - 24), put(42, xi + 16 * b, Y + 24);
    }
    const int xt = X + (length - 1) * L;
    leg(xt + 9 * b, Y - 19, 6), leg(xt + 18 * b, Y - 19, 7), leg(xt + 27 * b, Y - 19, 0);
    leg(xt + 35 * b, Y - 17, 1), leg(xt + 9 * b, Y + 33, 14), leg(xt + 18 * b, Y + 33, 15);
    leg(xt + 27 * b, Y + 33, 8), leg(xt + 35 * b, Y + 31, 9);
    put(33, xt, Y), put(36, X + length * L, Y), put(27, xt + 16 * b, Y - 24),
        put(43, xt + 16 * b, Y + 24);
}

// The ground of a picture: which kind each cell is, and what lies on it.
struct Ground {
    std::map<Cell, int> kinds;
    std::map<Cell, int> food;

    void draw(Canvas& c, const Canvas& tiles, float brightness) const {
        for (const auto& [cell, kind] : kinds) {
            const int variant = static_cast<int>(raster::hash(cell.q * 7919 + cell.r * 104729) % 6);
            Canvas t = sprite(tiles, kind + kColumns * variant);
            if (const auto f = food.find(cell); f != food.end())
                t.draw(sprite(tiles, 5 + kColumns * f->second), 0, 0);
            for (auto& p : t.px) p = raster::scale(p, brightness);
            c.draw(t, cell.x(), cell.y());
        }
    }
};

// Rolling surface: the first ground row under each column.
int surface_row(float x) {
    return 7 + static_cast<int>(
                   std::lround(1.1f * std::sin(x / 95.0f + 0.6f) + 0.7f * std::sin(x / 41.0f)));
}

Ground make_ground(uint32_t seed) {
    Ground g;
    raster::Random rnd(seed);
    for (int r = 0; r <= 16; ++r)
        for (int q = -r / 2 - 2; q <= 22 - r / 2; ++q) {
            const Cell cell{q, r};
            const float cx = static_cast<float>(cell.x() + 16),
                        cy = static_cast<float>(cell.y() + 16);
            if (cx < -32 || cx > kPictureW + 32 || r < surface_row(cx)) continue;
            int kind = r >= 12 || (r >= 11 && rnd.uniform() < 0.5f) ? kHardDirt : kDirt;
            if (std::hypot(cx - 610, (cy - 200) * 1.3f) < 34) kind = kRock;
            if (std::hypot(cx - 60, (cy - 300) * 1.2f) < 36) kind = kRock;
            g.kinds[cell] = kind;
        }
    return g;
}

// Grass along the upper edges of the top ground cells.
void grass(Canvas& c, const Ground& g, float brightness) {
    raster::Random rnd(5150);
    for (const auto& [cell, kind] : g.kinds) {
        if (g.kinds.count(cell.step(0)) || g.kinds.count(cell.step(1))) continue;
        for (int i = 0; i < 14; ++i) {
            const float t = rnd.uniform();
            // A point on the two upper edges, left corner (0, 8) over the top (16, 0) to (32, 8).
            const Vec base = t < 0.5f ? Vec{32 * t, 8 - 16 * t} : Vec{32 * t, 16 * t - 8};
            const Vec at =
                base + Vec{static_cast<float>(cell.x()), static_cast<float>(cell.y()) + 1.5f};
            const float h = rnd.range(3, 7), lean = rnd.range(-2, 2);
            const Colour blade =
                raster::scale(rgb(rnd.uniform() < 0.5f ? 0x5cae3c : 0x46962f), brightness);
            raster::capsule(c, at, at + Vec{lean, -h}, 0.7f, blade);
        }
    }
}

// Large lettering: Terminus Bold 16x32, each font pixel `zoom` wide, filled with a vertical
// gradient, a dark outline and a drop shadow.
void lettering(Canvas& c, const PsfFont& font, const std::string& text, int centre_x, int top,
               int zoom, const std::vector<Colour>& fill, const Colour& ink) {
    const int w = font.width * static_cast<int>(text.size()) + 4, h = font.height + 4;
    Canvas glyphs(w, h);
    for (size_t i = 0; i < text.size(); ++i)
        for (int y = 0; y < font.height; ++y)
            for (int x = 0; x < font.width; ++x)
                if (font.pixel(static_cast<unsigned char>(text[i]), x, y)) {
                    const float t =
                        static_cast<float>(y - 6) / static_cast<float>(font.height - 12);
                    const float k = raster::clamp01(t) * static_cast<float>(fill.size() - 1);
                    const size_t j = std::min(static_cast<size_t>(k), fill.size() - 2);
                    glyphs.set(2 + static_cast<int>(i) * font.width + x, 2 + y,
                               raster::mix(fill[j], fill[j + 1], k - static_cast<float>(j)));
                }
    raster::outline(glyphs, ink);
    Canvas shadow = glyphs;
    for (auto& p : shadow.px)
        if (p.a > 0) p = {0, 0, 0, 0.45f};
    const Canvas big = raster::upscale(glyphs, zoom), dark = raster::upscale(shadow, zoom);
    const int left = centre_x - big.w / 2;
    c.draw(dark, left + zoom, top + zoom);
    c.draw(big, left, top);
}

// Small lettering: Terminus 8x16, with a dark outline unless carved; x is the left end, the
// right end or the middle.
enum class Align { Left, Right, Centre };
void caption(Canvas& c, const PsfFont& font, const std::string& text, int x, int top, Align align,
             const Colour& colour, bool carved = false) {
    Canvas glyphs(font.width * static_cast<int>(text.size()) + 2, font.height + 2);
    for (size_t i = 0; i < text.size(); ++i)
        for (int y = 0; y < font.height; ++y)
            for (int gx = 0; gx < font.width; ++gx)
                if (font.pixel(static_cast<unsigned char>(text[i]), gx, y))
                    glyphs.set(1 + static_cast<int>(i) * font.width + gx, 1 + y, colour);
    if (!carved) raster::outline(glyphs, rgb(0x140c0a));
    c.draw(glyphs,
           align == Align::Left    ? x
           : align == Align::Right ? x - glyphs.w
                                   : x - glyphs.w / 2,
           top);
}

void vertical_gradient(Canvas& c, int y0, int y1, const Ramp& colours) {
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < c.w; ++x)
            c.set(x, y,
                  raster::ramp_pick(
                      colours, static_cast<float>(y - y0) / static_cast<float>(y1 - y0), x, y));
}

void cloud(Canvas& c, Vec at, float size) {
    const Vec puffs[] = {
        {-1.2f, 0.3f}, {-0.4f, -0.35f}, {0.5f, -0.2f}, {1.3f, 0.3f}, {0.1f, 0.35f}};
    for (const Vec& p : puffs)
        raster::disc(c, at + p * size + Vec{1.5f, 2}, size * 0.75f, rgb(0x9ccbe6));
    for (const Vec& p : puffs) raster::disc(c, at + p * size, size * 0.75f, rgb(0xf4fbff));
    for (const Vec& p : puffs)
        raster::disc(c, at + p * size + Vec{size * 0.15f, size * 0.3f}, size * 0.45f,
                     rgb(0xdcecf6));
}

Canvas make_title(const Sheets& sheets, const PsfFont& logo_font) {
    Canvas c(kPictureW, kPictureH);
    vertical_gradient(c, 0, 260,
                      ramp({0x4a9fe0, 0x5aaee6, 0x6cbcec, 0x82c9f0, 0x9ad5f3, 0xb6e2f6}));
    cloud(c, {70, 52}, 13);
    cloud(c, {548, 40}, 16);
    cloud(c, {610, 110}, 9);
    cloud(c, {110, 128}, 8);
    // Distant hills.
    for (int x = 0; x < kPictureW; ++x) {
        const int top =
            150 + static_cast<int>(12 * std::sin(x / 70.0f) + 6 * std::sin(x / 23.0f + 2));
        for (int y = top; y < 260; ++y)
            c.set(x, y, raster::ramp_pick(ramp({0x7fb86a, 0x6aa75a}), (y - top) / 20.0f, x, y));
    }
    Ground g = make_ground(42);
    // A tunnel from the surface down to the worm, and the worm in it, heading for a meal.
    std::vector<Cell> path{Cell::at(200, 168)};
    for (int d : {3, 3, 3, 2, 2, 3, 2, 1, 2, 2}) path.push_back(path.back().step(d));
    for (const Cell& cell : path) g.kinds[cell] = kTunnel;
    g.food[path.back().step(2).step(2)] = 1;
    g.food[Cell::at(120, 216)] = 0;
    g.food[Cell::at(420, 168)] = 2;
    g.food[Cell::at(250, 312)] = 3;
    g.food[Cell::at(520, 192)] = 0;
    // The centipede's three-row trench, coming in from the east.
    const Cell pede = Cell::at(568, 288);
    for (int i = -1; i < 12; ++i)
        for (const Cell& cell : {Cell{pede.q + i, pede.r}, Cell{pede.q + 1 + i, pede.r - 1},
                                 Cell{pede.q + i, pede.r + 1}}) {
            g.kinds[cell] = kTunnel;
            g.food.erase(cell);
        }
    g.draw(c, sheets.tiles, 1.0f);
    grass(c, g, 1.0f);
    draw_worm(c, sheets.worm, std::vector<Cell>(path.end() - 11, path.end()), 2);
    draw_centipede(c, sheets.pedes, pede, 6, true);
    // Darken the bottom edge so the prompt stands out.
    for (int y = 320; y < kPictureH; ++y)
        for (int x = 0; x < kPictureW; ++x)
            c.blend(x, y,
                    rgb(0x000000, 0.5f * raster::smoothstep(320, 350, static_cast<float>(y))));
    lettering(c, logo_font, "Burrowgale", kPictureW / 2, 26, 2,
              {rgb(0xfff3b0), rgb(0xf8c04a), rgb(0xe07a22), rgb(0x9a4616)}, rgb(0x2a1206));
    return c;
}

Canvas make_gameover(const Sheets& sheets, const PsfFont& logo_font, const PsfFont& label_font) {
    Canvas c(kPictureW, kPictureH);
    vertical_gradient(c, 0, 260, ramp({0x070a1e, 0x0b1028, 0x111832, 0x18203e, 0x222a4a}));
    raster::Random rnd(31337);
    for (int i = 0; i < 90; ++i) {
        const int x = rnd.below(kPictureW), y = rnd.below(170);
        c.set(x, y, rgb(rnd.uniform() < 0.3f ? 0xfff2c0 : 0xc8d0f0, rnd.range(0.4f, 1.0f)));
    }
    for (const Vec& star : {Vec{96, 40}, Vec{512, 150}, Vec{420, 30}}) {
        raster::capsule(c, star - Vec{3, 0}, star + Vec{3, 0}, 0.5f, rgb(0xfff6d8));
        raster::capsule(c, star - Vec{0, 3}, star + Vec{0, 3}, 0.5f, rgb(0xfff6d8));
    }
    // A crescent moon.
    raster::disc(c, {560, 56}, 17, rgb(0xf6efd0));
    raster::disc(c, {568, 50}, 15, rgb(0x0b1028));
    Ground g = make_ground(7);
    g.food[{9, 9}] = 0;
    g.food[{4, 11}] = 2;
    g.food[{14, 10}] = 1;
    g.draw(c, sheets.tiles, 0.5f);
    grass(c, g, 0.5f);
    // A little grave on the surface in the middle.
    const int gx = 320, gy = 24 * surface_row(320.0f) - 26;
    raster::ellipse(c, {static_cast<float>(gx), static_cast<float>(gy + 14)}, 26, 7, rgb(0x2e1a10));
    raster::paint(
        c, gx - 17, gy - 27, gx + 17, gy + 12,
        [&](Vec p) {
            const float dy = p.y - (gy - 10);
            return dy < 0 ? std::hypot(p.x - gx, dy) - 15
                          : std::max(std::abs(p.x - gx) - 15, p.y - gy - 12);
        },
        [&](int x, int y) {
            const bool lit = x < gx - 12 || std::hypot(x + 0.5f - gx, y + 0.5f - (gy - 10)) > 13;
            return lit && y < gy ? rgb(0x8a8f9c) : rgb(0x6a6f7c);
        });
    caption(c, label_font, "RIP", gx + 1, gy - 15, Align::Centre, rgb(0x3a3e48), true);
    lettering(c, logo_font, "GAME OVER", kPictureW / 2, 38, 2,
              {rgb(0xf4f0ff), rgb(0xc8c0f0), rgb(0x8a7cc8), rgb(0x5a4a98)}, rgb(0x0c0820));
    // The panel under the two result lines (drawn by the game at 296-320 and 328-352 here).
    raster::paint(
        c, 150, 286, 490, 358,
        [](Vec p) {
            const float dx = std::max(std::abs(p.x - 320) - 162, 0.0f),
                        dy = std::max(std::abs(p.y - 322) - 28, 0.0f);
            return std::hypot(dx, dy) - 6;
        },
        [](int, int) { return rgb(0x0e0805, 0.8f); });
    caption(c, label_font, "DEPTH", 250, 299, Align::Right, rgb(0xd8c8a8));
    caption(c, label_font, "LENGTH", 250, 331, Align::Right, rgb(0xd8c8a8));
    return c;
}

// The application icon: a worm coming out of its hole in a tile of soil, in the game's own
// pixels.
Canvas make_icon_base(const Sheets& sheets) {
    Canvas c = sprite(sheets.tiles, kDirt);
    const Vec hole{12.5f, 22.0f};
    const Vec along = raster::normalised(kEdgeMiddle[1] - kEdgeMiddle[4]);
    const Vec across = raster::perpendicular(along);
    const auto in_hole = [&](Vec p, float grow) {
        const Vec d = p - hole;
        const float u = raster::dot(d, across) / (9.5f + grow),
                    v = raster::dot(d, along) / (4.5f + grow);
        return std::sqrt(u * u + v * v) - 1;
    };
    raster::paint(
        c, 0, 0, 31, 31, [&](Vec p) { return in_hole(p, 1); },
        [](int, int) { return rgb(0x3b2113); });
    raster::paint(
        c, 0, 0, 31, 31, [&](Vec p) { return in_hole(p, 0); },
        [](int, int) { return rgb(0x120a06); });
    Canvas worm = sprite(sheets.worm, head_frame(1, 4));
    for (int y = 0; y < kFrame; ++y)
        for (int x = 0; x < kFrame; ++x)
            if (raster::dot(Vec{x + 0.5f, y + 0.5f} - hole, along) < 0) worm.at(x, y).a = 0;
    c.draw(worm, 0, 0);
    return hex_clip(c);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR [FONT_DIR]\n", argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    const std::string fonts = argc > 2 ? argv[2] : "/usr/share/consolefonts";
    const PsfFont small(fonts + "/Lat15-Terminus16.psf.gz");
    const PsfFont big(fonts + "/Lat15-TerminusBold24x12.psf.gz");
    const PsfFont bold(fonts + "/Lat15-TerminusBold16.psf.gz");
    const PsfFont logo(fonts + "/Lat15-TerminusBold32x16.psf.gz");
    if (!small.ok() || small.width != 8 || small.height != 16 || !big.ok() || big.width != 12 ||
        big.height != 24 || !bold.ok() || !logo.ok() || logo.height != 32) {
        std::fprintf(stderr,
                     "The Terminus fonts were not found in %s (package console-setup-linux)\n",
                     fonts.c_str());
        return 1;
    }
    std::error_code error;
    std::filesystem::create_directories(out + "/icons", error);
    if (error) {
        std::fprintf(stderr, "Cannot create %s/icons: %s\n", out.c_str(), error.message().c_str());
        return 1;
    }
    bool ok = true;
    const Sheets sheets{make_tiles(), make_worm(), make_pedes()};
    ok &= raster::save_png(sheets.tiles, out + "/tiles.png");
    ok &= raster::save_png(sheets.worm, out + "/worm.png");
    ok &= raster::save_png(sheets.pedes, out + "/pedes.png");
    ok &= raster::save_png(make_text(small), out + "/text.png");
    ok &= raster::save_png(make_bigtext(big), out + "/bigtext.png");
    ok &= raster::save_png(make_title(sheets, logo), out + "/title.png");
    ok &= raster::save_png(make_gameover(sheets, logo, bold), out + "/gameover.png");
    // Icon sizes of the desktop's hicolor theme.
    const Canvas icon = make_icon_base(sheets);
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const Canvas scaled = size % kFrame == 0 ? raster::upscale(icon, size / kFrame)
                                                 : raster::resample(icon, size, size);
        ok &= raster::save_png(scaled, out + "/icons/burrowgale-" + std::to_string(size) + ".png");
    }
    return ok ? 0 : 1;
}
