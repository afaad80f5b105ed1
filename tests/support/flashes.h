// Flashing measured on rendered frames, as the usual broadcast rule for flashing measures it:
// a flash is a pair of opposing changes in the mean relative luminance of an area at least a
// quarter of the screen, each change at least a tenth of the full range with the darker side
// below 0.8; no more than three flashes may fall in any one second.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/graphics.h"

namespace test {

constexpr double kFlashChange = 0.1;  // of relative luminance, 0 black to 1 white
constexpr double kFlashDarker = 0.8;  // a change between two brighter levels is no flash
constexpr int kMostFlashesPerSecond = 3;

// The relative luminance of an sRGB colour 0xRRGGBBAA (its alpha ignored).
double relative_luminance(uint32_t rgba);

// The mean relative luminance of each region of a canvas read back row by row (read_canvas),
// in the order of `regions`. One pass over the canvas however many regions there are.
std::vector<double> mean_luminances(const std::vector<uint32_t>& canvas, int canvas_width,
                                    const std::vector<Graphics::PixelRect>& regions);

// Regions of a quarter of a width by height canvas that together cover every place a large
// change can sit: the four quadrants, the centre, and the top, bottom, left and right strips.
std::vector<Graphics::PixelRect> quarter_regions(int width, int height);

// The frames at which a luminance series completes a change: it has moved by at least `change`
// from the furthest point of the previous swing (or, before any, from its lowest or highest),
// the darker end below kFlashDarker. Consecutive changes alternate in direction.
std::vector<int> luminance_changes(const std::vector<double>& series, double change = kFlashChange);

// The most flashes (pairs of changes) within any `window` consecutive frames of the series.
int most_flashes(const std::vector<double>& series, int window, double change = kFlashChange);

}  // namespace test
