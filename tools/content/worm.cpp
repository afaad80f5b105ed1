// The worm sheet: a head, a body and a tail piece for every straight pair and 120-degree bend
// of directions, and a plain ball for the pairs the worm never shows.
#include <algorithm>
#include <cmath>
#include <vector>

#include "images.h"

namespace images {
namespace {

const Vec kCentre{16, 16};

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

}  // namespace

Canvas make_worm() {
    Canvas sheet = sheet_canvas(WormSheet::kRows);
    for (int front = 0; front < 6; ++front)
        for (int back = 0; back < 6; ++back) {
            if (WormSheet::head_frame(front, back) == WormSheet::kNoPiece) continue;
            put(sheet, worm_piece(front, back, Piece::Head), WormSheet::head_frame(front, back));
            put(sheet, worm_piece(front, back, Piece::Body), WormSheet::body_frame(front, back));
            put(sheet, worm_piece(front, back, Piece::Tail), WormSheet::tail_frame(front, back));
        }
    put(sheet, worm_ball(true), WormSheet::kNoPiece);
    put(sheet, worm_ball(false), WormSheet::kNoPieceBody);
    return sheet;
}

}  // namespace images
