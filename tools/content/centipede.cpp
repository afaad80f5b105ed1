// The centipede sheet: legs in eight walking frames, and the pieces of head, body and tail.
//
// The creature is drawn facing west as one picture over a band three rows high: the plates run
// along the middle row (one per cell, cells 32 px wide), the legs reach up and down into the
// rows above and below. Every piece of the sheet is cut out of such a picture at the place
// where the game draws it: middle pieces at the cell, upper and lower pieces one row up or
// down and half a cell towards the tail. Pieces that overlap on screen therefore show the same
// pixels, and the seams vanish.

#include <algorithm>
#include <cmath>
#include <vector>

#include "images.h"

namespace images {
namespace {

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
// same as lower frame row kMirror - r, given where the game draws the two rows of legs.
constexpr int kMirror =
    2 * static_cast<int>(kAxisY) - PedeSheet::body_legs(1)[0].dy - PedeSheet::body_legs(1)[3].dy;

Canvas mirror_leg(const Canvas& upper) {
    Canvas c(kFrame, kFrame);
    for (int y = 0; y <= kMirror; ++y)
        for (int x = 0; x < kFrame; ++x) c.at(x, y) = upper.at(x, kMirror - y);
    return c;
}

}  // namespace

Canvas make_pedes() {
    using Pede = PedeSheet;
    Canvas sheet = sheet_canvas(Pede::kRows);
    for (int f = 0; f < Pede::kWalkFrames; ++f) {
        const Canvas leg = pede_leg(f);
        put(sheet, leg, Pede::leg_frame(0, f));
        put(sheet, mirror_leg(leg), Pede::leg_frame(Pede::kWalkFrames, f));
    }
    const Vec o{32, 32};
    const auto cut = [&](const Canvas& model, int dx, int dy) {
        return model.crop(static_cast<int>(o.x) + dx, static_cast<int>(o.y) + dy, kFrame, kFrame);
    };
    // Each piece cut from where the game draws it.
    const auto pieces = [&](const Canvas& model, const Pede::Pieces& frames) {
        put(sheet, cut(model, Pede::kFlankX, -Pede::kFlankY), frames.upper);
        put(sheet, cut(model, Pede::kFlankX, Pede::kFlankY), frames.lower);
    };
    const Canvas head = pede_model(PedePart::Head), body = pede_model(PedePart::Body),
                 tail = pede_model(PedePart::Tail);
    put(sheet, cut(head, 0, 0), Pede::kHead.middle);
    pieces(head, Pede::kHead);
    put(sheet, cut(body, 0, 0), Pede::kBody.middle);
    pieces(body, Pede::kBody);
    static_assert(Pede::kTail.middle == Pede::kBody.middle, "the tail's middle is a body piece");
    pieces(tail, Pede::kTail);
    put(sheet, cut(tail, kFrame, 0), Pede::kTailTip);
    return sheet;
}

}  // namespace images
