#include <gtest/gtest.h>
#include <quadmath.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <random>

#include "game/world/draws.h"
#include "game/world/trig.h"

namespace {

// How far apart two doubles of one sign lie, in steps of the last bit.
int64_t ulps_apart(double a, double b) {
    int64_t ia = 0;
    int64_t ib = 0;
    static_assert(sizeof(double) == sizeof(int64_t));
    std::memcpy(&ia, &a, sizeof a);
    std::memcpy(&ib, &b, sizeof b);
    return ia > ib ? ia - ib : ib - ia;
}

// Food lands at these offsets from the eater (Map::spawn_food's arithmetic, drawn the same
// way): every game recorded so far placed its food with the desktop C library's cos and sin,
// so the offsets must not move by a pixel.
TEST(Trig, FoodOffsetsEqualTheDesktopLibrarysOverMillionsOfPlacements) {
    constexpr unsigned kSeeds = 64;
    constexpr int kPlacements = 50000;
    for (unsigned seed = 0; seed < kSeeds; ++seed) {
        std::mt19937 rng(seed);
        for (int i = 0; i < kPlacements; ++i) {
            const double u1 = Draws::unit(rng);
            const double u2 = Draws::unit(rng);
            Draws::unit(rng);  // the food's kind
            const double angle = (u1 * 4.0 + 1.0) * std::numbers::pi / 6.0;
            const double distance = (u2 * 10.0 + 15.0) * 16.0;
            ASSERT_EQ(static_cast<int64_t>(Trig::cos(angle) * distance),
                      static_cast<int64_t>(std::cos(angle) * distance))
                << "seed " << seed << ", placement " << i << ", angle " << angle;
            ASSERT_EQ(static_cast<int64_t>(distance * Trig::sin(angle)),
                      static_cast<int64_t>(distance * std::sin(angle)))
                << "seed " << seed << ", placement " << i << ", angle " << angle;
        }
    }
}

// The values themselves, over every angle food can be thrown at and around the points where
// a one-bit error would matter most (sin just under 1 times a whole distance truncates to one
// pixel less): ours are rounded correctly, which 113-bit arithmetic checks; the desktop C
// library rounds the other way now and then, by one bit, where the true value lies all but
// halfway between two doubles.
TEST(Trig, ValuesAreCorrectlyRoundedOverTheFoodAngles) {
    constexpr double kLow = std::numbers::pi / 6.0;
    constexpr double kHigh = 5.0 * std::numbers::pi / 6.0;
    constexpr int kSteps = 1000000;
    constexpr int kNeighbours = 20000;
    int library_differs = 0;
    int compared = 0;
    auto compare = [&](double angle) {
        const double s = Trig::sin(angle);
        const double c = Trig::cos(angle);
        ASSERT_EQ(s, static_cast<double>(sinq(angle))) << "sin " << angle;
        ASSERT_EQ(c, static_cast<double>(cosq(angle))) << "cos " << angle;
        EXPECT_LE(ulps_apart(s, std::sin(angle)), 1) << "sin " << angle;
        EXPECT_LE(ulps_apart(c, std::cos(angle)), 1) << "cos " << angle;
        library_differs += (s != std::sin(angle)) + (c != std::cos(angle));
        compared += 2;
    };
    for (int i = 0; i < kSteps; ++i) compare(kLow + (kHigh - kLow) * i / kSteps);
    for (const double centre :
         {kLow, std::numbers::pi / 4, std::numbers::pi / 2, 3 * std::numbers::pi / 4, kHigh}) {
        double below = centre;
        double above = centre;
        for (int i = 0; i < kNeighbours; ++i) {
            compare(below);
            compare(above);
            below = std::nextafter(below, 0.0);
            above = std::nextafter(above, 4.0);
        }
    }
    EXPECT_EQ(Trig::sin(std::numbers::pi / 2), 1.0);
    EXPECT_EQ(Trig::cos(0.0), 1.0);
    EXPECT_EQ(Trig::sin(0.0), 0.0);
    std::printf("values where the C library rounds the other way: %d of %d\n", library_differs,
                compared);
}

// Outside the food angles the functions still hold to the last bit or so: whole turns, negative
// angles, and the far end of the supported range.
TEST(Trig, StayWithinABitOfTheLibraryAcrossTheirRange) {
    std::mt19937 rng(7);
    for (const double span : {1.0, 10.0, 1000.0, 1.5e6}) {
        for (int i = 0; i < 200000; ++i) {
            const double x = (Draws::unit(rng) * 2.0 - 1.0) * span;
            ASSERT_LE(ulps_apart(Trig::sin(x), std::sin(x)), 1) << "sin " << x;
            ASSERT_LE(ulps_apart(Trig::cos(x), std::cos(x)), 1) << "cos " << x;
        }
    }
    EXPECT_TRUE(std::isnan(Trig::sin(INFINITY)));
    EXPECT_TRUE(std::isnan(Trig::cos(NAN)));
}

}  // namespace
