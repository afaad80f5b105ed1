// The tile sheet: five kinds of tile in six looks each, and the food beside them.
#include <cmath>
#include <functional>
#include <iterator>
#include <vector>

#include "images.h"

namespace images {
namespace {

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

Canvas tile(int kind, int variant) {
    switch (kind) {
        case kSky:
            return sky_tile(variant);
        case kHardDirt:
            return hard_dirt_tile(variant);
        case kDirt:
            return dirt_tile(variant);
        case kTunnel:
            return tunnel_tile(variant);
        default:
            return rock_tile(variant);
    }
}

// Food kind k, from the commonest to the most valuable.
const std::function<Canvas()> kFood[] = {food_leaf, food_berries, food_mushroom, food_truffle};
static_assert(std::size(kFood) == TileSheet::kFoodKinds, "a picture for every kind of food");

}  // namespace

Canvas make_tiles() {
    Canvas sheet = sheet_canvas(TileSheet::kRows);
    for (int kind = 0; kind < TileSheet::kKinds; ++kind)
        for (int variant = 0; variant < TileSheet::kVariants; ++variant)
            put(sheet, tile(kind, variant), TileSheet::tile_frame(kind, variant));
    for (int k = 0; k < TileSheet::kFoodKinds; ++k)
        put(sheet, kFood[k](), TileSheet::food_frame(k));
    return sheet;
}

}  // namespace images
