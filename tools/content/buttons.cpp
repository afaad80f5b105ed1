// The controller buttons that prompts show inline: one row of pictures per family of
// controllers (Xbox letters in their colours, PlayStation symbols, Nintendo letters, a plain
// pad's positions) and a row of the buttons all families share, each cell 16 by 16 pixels with
// a dark rim so that it reads on the sky, on soil and on the dark overlays alike.
#include <string>

#include "images.h"

namespace images {
namespace {

constexpr int kCell = ButtonSheet::kCellSize;
const Vec kCentre{8, 8};
const Colour kInk = rgb(0x140c0a);  // the fonts' outline
const Colour kFace = rgb(0x2a2a2e);
const Colour kLight = rgb(0xf2f2f2);
const Colour kDim = rgb(0x6a6a70);

// Fills the region where `inside` holds, measured on the raster's 4 by 4 sample grid.
template <class Inside>
void fill(Canvas& c, Inside inside, const Colour& colour) {
    raster::paint(
        c, 0, 0, kCell - 1, kCell - 1, [&](Vec p) { return inside(p) ? -1.0f : 1.0f; },
        [&](int, int) { return colour; });
}

void box(Canvas& c, float x0, float y0, float x1, float y1, const Colour& colour) {
    fill(
        c, [&](Vec p) { return p.x > x0 && p.x < x1 && p.y > y0 && p.y < y1; }, colour);
}

// A rounded rectangle, `radius` at the corners.
void rounded(Canvas& c, float x0, float y0, float x1, float y1, float radius,
             const Colour& colour) {
    fill(
        c,
        [&](Vec p) {
            const float dx = std::max({x0 + radius - p.x, 0.0f, p.x - (x1 - radius)});
            const float dy = std::max({y0 + radius - p.y, 0.0f, p.y - (y1 - radius)});
            return dx * dx + dy * dy < radius * radius;
        },
        colour);
}

void triangle(Canvas& c, Vec a, Vec b, Vec d, const Colour& colour) {
    fill(
        c,
        [&](Vec p) {
            const float s1 = raster::cross(b - a, p - a), s2 = raster::cross(d - b, p - b),
                        s3 = raster::cross(a - d, p - d);
            return (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
        },
        colour);
}

// The round face button every family shares: a dark cap in a rim of ink.
Canvas round_button() {
    Canvas c(kCell, kCell);
    raster::disc(c, kCentre, 7.5f, kInk);
    raster::disc(c, kCentre, 6.5f, kFace);
    return c;
}

// A character of the bold font, centred on the cell by its own ink.
void letter(Canvas& c, const PsfFont& font, char ch, const Colour& colour) {
    int left = font.width, right = -1, top = font.height, bottom = -1;
    for (int y = 0; y < font.height; ++y)
        for (int x = 0; x < font.width; ++x)
            if (font.pixel(static_cast<uint32_t>(ch), x, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0) return;
    const int dx = (kCell - (right - left + 1)) / 2 - left;
    const int dy = (kCell - (bottom - top + 1)) / 2 - top;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if (font.pixel(static_cast<uint32_t>(ch), x, y)) c.set(x + dx, y + dy, colour);
}

// Two characters side by side in a 3 by 5 pixel hand, doubled: the shoulder buttons' names
// ("LB", "R1") do not fit the cell in the text font.
void small_label(Canvas& c, const std::string& label, const Colour& colour) {
    const auto rows = [](char ch) -> const char* {
        switch (ch) {
            case 'L':
                return "100100100100111";
            case 'R':
                return "110101110101101";
            case 'B':
                return "110101110101110";
            case '1':
                return "010110010010111";
            default:
                return "000000000000000";
        }
    };
    constexpr int kZoom = 2, kGap = 2;
    const int width = static_cast<int>(label.size()) * (3 * kZoom + kGap) - kGap;
    int x0 = (kCell - width) / 2;
    const int y0 = (kCell - 5 * kZoom) / 2;
    for (const char ch : label) {
        const char* bits = rows(ch);
        for (int y = 0; y < 5 * kZoom; ++y)
            for (int x = 0; x < 3 * kZoom; ++x)
                if (bits[(y / kZoom) * 3 + x / kZoom] == '1') c.set(x0 + x, y0 + y, colour);
        x0 += 3 * kZoom + kGap;
    }
}

Canvas shoulder(const PsfFont& font, const std::string& label) {
    Canvas c(kCell, kCell);
    rounded(c, 0, 1, 16, 15, 4.5f, kInk);
    rounded(c, 1, 2, 15, 14, 3.5f, kFace);
    if (label.size() == 1) {
        letter(c, font, label[0], kLight);
    } else {
        small_label(c, label, kLight);
    }
    return c;
}

Canvas lettered(const PsfFont& font, char ch, const Colour& colour) {
    Canvas c = round_button();
    letter(c, font, ch, colour);
    return c;
}

// Three bars: Xbox's Menu and PlayStation's Options.
Canvas bars() {
    Canvas c = round_button();
    for (const float y : {5.0f, 8.0f, 11.0f}) raster::capsule(c, {5, y}, {11, y}, 0.8f, kLight);
    return c;
}

// A plain pad's south, east, west or north button: the one meant is lit among four dots.
Canvas position(int lit) {
    Canvas c = round_button();
    const Vec places[4] = {{8, 12}, {12, 8}, {4, 8}, {8, 4}};  // SDL's a, b, x, y
    for (int i = 0; i < 4; ++i) raster::disc(c, places[i], 1.9f, i == lit ? kLight : kDim);
    return c;
}

// The cross of the direction pad with one arm lit: 0 up, 1 down, 2 left, 3 right.
Canvas dpad(int lit) {
    Canvas c(kCell, kCell);
    box(c, 5, 0.5f, 11, 15.5f, kInk);
    box(c, 0.5f, 5, 15.5f, 11, kInk);
    box(c, 6, 1.5f, 10, 14.5f, kFace);
    box(c, 1.5f, 6, 14.5f, 10, kFace);
    switch (lit) {
        case 0:
            triangle(c, {8, 2.5f}, {10, 6}, {6, 6}, kLight);
            break;
        case 1:
            triangle(c, {8, 13.5f}, {6, 10}, {10, 10}, kLight);
            break;
        case 2:
            triangle(c, {2.5f, 8}, {6, 6}, {6, 10}, kLight);
            break;
        default:
            triangle(c, {13.5f, 8}, {10, 10}, {10, 6}, kLight);
            break;
    }
    return c;
}

Canvas stick(const PsfFont& font, char side) {
    Canvas c(kCell, kCell);
    raster::disc(c, kCentre, 7.5f, kInk);
    raster::disc(c, kCentre, 6.5f, kDim);
    raster::disc(c, kCentre, 5.0f, kFace);
    letter(c, font, side, kLight);
    return c;
}

void put_cell(Canvas& sheet, const Canvas& picture, int cell) {
    sheet.draw(picture, (cell % ButtonSheet::kColumns) * kCell,
               (cell / ButtonSheet::kColumns) * kCell);
}

void put_family(Canvas& sheet, int family, int button, const Canvas& picture) {
    put_cell(sheet, picture, ButtonSheet::family_cell(family, button));
}

}  // namespace

Canvas make_buttons(const PsfFont& font) {
    Canvas sheet(ButtonSheet::kColumns * kCell, ButtonSheet::kRows * kCell);
    using B = ButtonSheet;

    // Xbox: the letters in their own colours.
    put_family(sheet, B::kXbox, B::kA, lettered(font, 'A', rgb(0x5cc12a)));
    put_family(sheet, B::kXbox, B::kB, lettered(font, 'B', rgb(0xe8453c)));
    put_family(sheet, B::kXbox, B::kX, lettered(font, 'X', rgb(0x3a8ef0)));
    put_family(sheet, B::kXbox, B::kY, lettered(font, 'Y', rgb(0xf4c51f)));
    put_family(sheet, B::kXbox, B::kLeftShoulder, shoulder(font, "LB"));
    put_family(sheet, B::kXbox, B::kRightShoulder, shoulder(font, "RB"));
    {
        Canvas view = round_button();  // two overlapping windows
        box(view, 4, 4, 9.5f, 9.5f, kLight);
        box(view, 5, 5, 8.5f, 8.5f, kFace);
        box(view, 6.5f, 6.5f, 12, 12, kLight);
        put_family(sheet, B::kXbox, B::kBack, view);
    }
    put_family(sheet, B::kXbox, B::kStart, bars());

    // PlayStation: cross, circle, square and triangle.
    {
        Canvas cross = round_button();
        raster::capsule(cross, {5, 5}, {11, 11}, 1.0f, rgb(0x7fa8e0));
        raster::capsule(cross, {11, 5}, {5, 11}, 1.0f, rgb(0x7fa8e0));
        put_family(sheet, B::kPlayStation, B::kA, cross);
        Canvas circle = round_button();
        raster::disc(circle, kCentre, 4.2f, rgb(0xec6a72));
        raster::disc(circle, kCentre, 2.6f, kFace);
        put_family(sheet, B::kPlayStation, B::kB, circle);
        Canvas square = round_button();
        raster::polyline(square, {{5, 5}, {11, 5}, {11, 11}, {5, 11}, {5, 5}}, 0.9f, rgb(0xdf93c8));
        put_family(sheet, B::kPlayStation, B::kX, square);
        Canvas tri = round_button();
        raster::polyline(tri, {{8, 4}, {12.2f, 11}, {3.8f, 11}, {8, 4}}, 0.9f, rgb(0x40d2a4));
        put_family(sheet, B::kPlayStation, B::kY, tri);
    }
    put_family(sheet, B::kPlayStation, B::kLeftShoulder, shoulder(font, "L1"));
    put_family(sheet, B::kPlayStation, B::kRightShoulder, shoulder(font, "R1"));
    {
        Canvas share = round_button();  // three rays fanning upwards
        for (const Vec tip : {Vec{4.5f, 5}, Vec{8, 3.5f}, Vec{11.5f, 5}})
            raster::capsule(share, {8, 11.5f}, tip, 0.8f, kLight);
        put_family(sheet, B::kPlayStation, B::kBack, share);
    }
    put_family(sheet, B::kPlayStation, B::kStart, bars());

    // Nintendo: SDL names these buttons by their letters, so the letter is the button.
    put_family(sheet, B::kNintendo, B::kA, lettered(font, 'A', kLight));
    put_family(sheet, B::kNintendo, B::kB, lettered(font, 'B', kLight));
    put_family(sheet, B::kNintendo, B::kX, lettered(font, 'X', kLight));
    put_family(sheet, B::kNintendo, B::kY, lettered(font, 'Y', kLight));
    put_family(sheet, B::kNintendo, B::kLeftShoulder, shoulder(font, "L"));
    put_family(sheet, B::kNintendo, B::kRightShoulder, shoulder(font, "R"));
    {
        Canvas minus = round_button();
        raster::capsule(minus, {4.5f, 8}, {11.5f, 8}, 1.1f, kLight);
        put_family(sheet, B::kNintendo, B::kBack, minus);
        Canvas plus = minus;
        raster::capsule(plus, {8, 4.5f}, {8, 11.5f}, 1.1f, kLight);
        put_family(sheet, B::kNintendo, B::kStart, plus);
    }

    // Any other pad: where the button sits, and arrows for Back and Start.
    for (int i = 0; i < 4; ++i) put_family(sheet, B::kGeneric, B::kA + i, position(i));
    put_family(sheet, B::kGeneric, B::kLeftShoulder, shoulder(font, "L"));
    put_family(sheet, B::kGeneric, B::kRightShoulder, shoulder(font, "R"));
    {
        Canvas back = round_button();
        triangle(back, {4, 8}, {11, 4}, {11, 12}, kLight);
        put_family(sheet, B::kGeneric, B::kBack, back);
        Canvas start = round_button();
        triangle(start, {12, 8}, {5, 12}, {5, 4}, kLight);
        put_family(sheet, B::kGeneric, B::kStart, start);
    }

    // Shared by every family.
    for (int i = 0; i < 4; ++i) put_cell(sheet, dpad(i), B::shared_cell(B::kDpadUp + i));
    put_cell(sheet, stick(font, 'L'), B::shared_cell(B::kLeftStick));
    put_cell(sheet, stick(font, 'R'), B::shared_cell(B::kRightStick));
    {
        Canvas guide = round_button();
        raster::disc(guide, kCentre, 4.0f, kLight);
        raster::disc(guide, kCentre, 2.5f, kFace);
        put_cell(sheet, guide, B::shared_cell(B::kGuide));
    }
    return sheet;
}

}  // namespace images
