// The pictures of the title and results screens. Both are 640 by 360 (the game stretches them to
// 1280 by 720) and are built from the game's own sprites, so the screens show the world the player
// is about to dig through.
#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "images.h"

namespace images {
namespace {

constexpr int kPictureW = 640;
constexpr int kPictureH = 360;

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
        const int frame = head     ? WormSheet::head_frame(front, back)
                          : i == 0 ? WormSheet::tail_frame(front, back)
                                   : WormSheet::body_frame(front, back);
        c.draw(sprite(sheet, frame), path[i].x(), path[i].y());
    }
}

// A centipede the way the game lays out its pieces and legs.
void draw_centipede(Canvas& c, const Canvas& sheet, Cell head, int length, bool west) {
    using Pede = PedeSheet;
    const int b = west ? 1 : -1, X = head.x(), Y = head.y(), L = 32 * b;
    const int phase = 11 * std::abs(head.q + head.r);
    const auto put = [&](int frame, int x, int y) { c.draw(sprite(sheet, frame, !west), x, y); };
    const auto legs = [&](int x, const auto& table) {
        for (const Pede::Leg& leg : table)
            put(Pede::leg_frame(leg.k, (phase + leg.k) % Pede::kWalkFrames), x + leg.dx * b,
                Y + leg.dy);
    };
    const auto flanks = [&](int x, const Pede::Pieces& pieces) {
        put(pieces.upper, x + Pede::kFlankX * b, Y - Pede::kFlankY);
        put(pieces.lower, x + Pede::kFlankX * b, Y + Pede::kFlankY);
    };
    legs(X, Pede::kHeadLegs);
    put(Pede::kHead.middle, X, Y);
    flanks(X, Pede::kHead);
    for (int i = 1; i <= length - 2; ++i) {
        const int xi = X + i * L;
        legs(xi, Pede::body_legs(i));
        put(Pede::kBody.middle, xi, Y);
        flanks(xi, Pede::kBody);
    }
    const int xt = X + (length - 1) * L;
    legs(xt, Pede::kTailLegs);
    put(Pede::kTail.middle, xt, Y);
    put(Pede::kTailTip, X + length * L, Y);
    flanks(xt, Pede::kTail);
}

// The ground of a picture: which kind each cell is, and what lies on it.
struct Ground {
    std::map<Cell, int> kinds;
    std::map<Cell, int> food;

    void draw(Canvas& c, const Canvas& tiles, float brightness) const {
        for (const auto& [cell, kind] : kinds) {
            const int variant = static_cast<int>(raster::hash(cell.q * 7919 + cell.r * 104729) % 6);
            Canvas t = sprite(tiles, TileSheet::tile_frame(kind, variant));
            if (const auto f = food.find(cell); f != food.end())
                t.draw(sprite(tiles, TileSheet::food_frame(f->second)), 0, 0);
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

}  // namespace

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

}  // namespace images
