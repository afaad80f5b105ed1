#include "game/world/draws.h"

#include <cassert>
#include <cmath>
#include <cstdint>
#include <limits>

namespace Draws {

int integer(std::mt19937& rng, int low, int high) {
    assert(low <= high);
    // All arithmetic is modulo 2^32, as the int range is as wide as the engine's outputs.
    const uint32_t range = static_cast<uint32_t>(high) - static_cast<uint32_t>(low);
    if (range == std::numeric_limits<uint32_t>::max()) {
        return static_cast<int>(static_cast<uint32_t>(rng()) + static_cast<uint32_t>(low));
    }
    // Lemire's multiply-and-shift: the high half of output * span is uniform in [0, span)
    // once the few outputs whose low half falls under 2^32 mod span are drawn again.
    const uint32_t span = range + 1;
    uint64_t product = uint64_t{static_cast<uint32_t>(rng())} * span;
    auto low_half = static_cast<uint32_t>(product);
    if (low_half < span) {
        const uint32_t threshold = (0u - span) % span;
        while (low_half < threshold) {
            product = uint64_t{static_cast<uint32_t>(rng())} * span;
            low_half = static_cast<uint32_t>(product);
        }
    }
    return static_cast<int>(static_cast<uint32_t>(product >> 32) + static_cast<uint32_t>(low));
}

double unit(std::mt19937& rng) {
    const double a = static_cast<double>(rng());
    const double b = static_cast<double>(rng());
    // One rounding in the sum; the scaling by 2^-64 is exact. A sum that rounds up to 2^64
    // would give 1, which is outside the range: it becomes the largest double below 1.
    const double u = (a + b * 0x1p32) * 0x1p-64;
    return u < 1.0 ? u : std::nextafter(1.0, 0.0);
}

}  // namespace Draws
