#include "tests/support/flashes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace test {

namespace {

// Each 8-bit sRGB channel value's share of the relative luminance: its transfer function undone,
// times the channel's weight.
struct ChannelShares {
    std::array<double, 256> red, green, blue;
};

const ChannelShares& channel_shares() {
    static const ChannelShares shares = [] {
        ChannelShares t{};
        for (std::size_t i = 0; i < 256; ++i) {
            const double c = static_cast<double>(i) / 255.0;
            const double linear = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
            t.red[i] = 0.2126 * linear;
            t.green[i] = 0.7152 * linear;
            t.blue[i] = 0.0722 * linear;
        }
        return t;
    }();
    return shares;
}

}  // namespace

double relative_luminance(uint32_t rgba) {
    const ChannelShares& t = channel_shares();
    return t.red[(rgba >> 24) & 0xFF] + t.green[(rgba >> 16) & 0xFF] + t.blue[(rgba >> 8) & 0xFF];
}

std::vector<double> mean_luminances(const std::vector<uint32_t>& canvas, int canvas_width,
                                    const std::vector<Graphics::PixelRect>& regions) {
    // A summed-area table: at (x, y) the luminance of every pixel above and left of it, so that
    // a region's sum is four look-ups. Raw pointers keep the sanitised test builds quick.
    const auto w = static_cast<std::size_t>(canvas_width);
    const std::size_t h = canvas.size() / w;
    const std::size_t stride = w + 1;
    std::vector<double> table(stride * (h + 1), 0.0);
    const ChannelShares& t = channel_shares();
    const double* red = t.red.data();
    const double* green = t.green.data();
    const double* blue = t.blue.data();
    const uint32_t* pixel = canvas.data();
    double* sums = table.data();
    for (std::size_t y = 0; y < h; ++y) {
        double row = 0.0;
        const double* above = sums + y * stride;
        double* here = sums + (y + 1) * stride;
        for (std::size_t x = 0; x < w; ++x, ++pixel) {
            const uint32_t p = *pixel;
            row += red[p >> 24] + green[(p >> 16) & 0xFF] + blue[(p >> 8) & 0xFF];
            here[x + 1] = above[x + 1] + row;
        }
    }
    std::vector<double> means;
    for (const Graphics::PixelRect& r : regions) {
        const auto at = [&](int x, int y) {
            return table[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)];
        };
        const double sum =
            at(r.x + r.w, r.y + r.h) - at(r.x, r.y + r.h) - at(r.x + r.w, r.y) + at(r.x, r.y);
        means.push_back(sum / (static_cast<double>(r.w) * r.h));
    }
    return means;
}

std::vector<Graphics::PixelRect> quarter_regions(int width, int height) {
    const int hw = width / 2, hh = height / 2, qw = width / 4, qh = height / 4;
    return {
        {0, 0, hw, hh},           {hw, 0, width - hw, hh},
        {0, hh, hw, height - hh}, {hw, hh, width - hw, height - hh},  // the quadrants
        {qw, qh, hw, hh},                                             // the centre
        {0, 0, width, qh},        {0, height - qh, width, qh},        // top and bottom strips
        {0, 0, qw, height},       {width - qw, 0, qw, height},        // left and right strips
    };
}

std::vector<int> luminance_changes(const std::vector<double>& series, double change) {
    std::vector<int> at;
    if (series.empty()) return at;
    double low = series[0], high = series[0];  // until the first change sets a direction
    double extreme = series[0];                // how far the current swing has gone
    int direction = 0;                         // +1 rising, -1 falling
    for (std::size_t i = 1; i < series.size(); ++i) {
        const double v = series[i];
        if (direction == 0) {
            low = std::min(low, v);
            high = std::max(high, v);
            if (high - low >= change && low < kFlashDarker) {
                direction = v == high ? 1 : -1;
                extreme = v;
                at.push_back(static_cast<int>(i));
            }
        } else if ((v - extreme) * direction >= 0) {
            extreme = v;  // the swing goes on
        } else if (std::abs(v - extreme) >= change && std::min(v, extreme) < kFlashDarker) {
            direction = -direction;
            extreme = v;
            at.push_back(static_cast<int>(i));
        }
    }
    return at;
}

int most_flashes(const std::vector<double>& series, int window, double change) {
    const std::vector<int> at = luminance_changes(series, change);
    std::size_t most = 0;
    for (std::size_t first = 0; first < at.size(); ++first) {
        const auto end = std::lower_bound(at.begin(), at.end(), at[first] + window);
        most = std::max(most, static_cast<std::size_t>(end - at.begin()) - first);
    }
    return static_cast<int>(most / 2);
}

}  // namespace test
