#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

#include "game/world/draws.h"

namespace {

constexpr int kMin = std::numeric_limits<int>::min();
constexpr int kMax = std::numeric_limits<int>::max();

// Every game recorded so far was drawn by g++'s own distributions; the spelled-out draws must
// give the same numbers from the same engine, and leave the engine in the same state (a
// rejected output drawn again on one side only would shift everything after it).
TEST(Draws, IntegersEqualTheDesktopLibrarysOutputForOutput) {
    struct Range {
        int low;
        int high;
    };
    const Range ranges[] = {
        // The ranges the game draws from.
        {15, 37},
        {0, 2},
        {3, 7},
        {1000, 3000},
        {20000, 40000},
        // One value, the whole int range, and one short of it.
        {5, 5},
        {-7, -7},
        {kMin, kMax},
        {kMin, kMax - 1},
        {kMin + 1, kMax},
        // Spans at and either side of powers of two, where rejections are rarest and most
        // frequent (a span just over 2^31 rejects nearly half of all outputs).
        {0, 1},
        {0, 255},
        {0, 256},
        {-1, kMax},
        {0, kMax},
        {kMin, -1},
        {kMin, 0},
        {0, (1 << 30) - 1},
        {0, 1 << 30},
        {-(1 << 30), 1 << 30},
        {kMin, kMax / 2},
    };
    const unsigned seeds[] = {0, 1, 4, 5, 9, 10, 17, 21, 12345, 4294967295u};
    constexpr int kDraws = 20000;
    for (const Range& range : ranges) {
        for (const unsigned seed : seeds) {
            std::mt19937 ours(seed);
            std::mt19937 library(seed);
            std::uniform_int_distribution<int> distribution(range.low, range.high);
            for (int i = 0; i < kDraws; ++i) {
                const int expected = distribution(library);
                const int drawn = Draws::integer(ours, range.low, range.high);
                ASSERT_EQ(drawn, expected) << "range " << range.low << ".." << range.high
                                           << ", seed " << seed << ", draw " << i;
            }
            ASSERT_EQ(ours, library) << "range " << range.low << ".." << range.high;
        }
    }
}

TEST(Draws, UnitRealsEqualTheDesktopLibrarysBitForBit) {
    std::uniform_real_distribution<double> distribution(0.0, 1.0);
    for (unsigned seed = 0; seed < 50; ++seed) {
        std::mt19937 ours(seed);
        std::mt19937 library(seed);
        for (int i = 0; i < 40000; ++i) {
            const double expected = distribution(library);
            const double drawn = Draws::unit(ours);
            ASSERT_EQ(drawn, expected) << "seed " << seed << ", draw " << i;
            ASSERT_GE(drawn, 0.0);
            ASSERT_LT(drawn, 1.0);
        }
        ASSERT_EQ(ours, library);
    }
}

// A centipede spawn mixes integer and real draws on one engine, in a fixed order.
TEST(Draws, MixedSequenceFollowsTheLibrary) {
    std::mt19937 ours(20240611);
    std::mt19937 library(20240611);
    for (int i = 0; i < 100000; ++i) {
        ASSERT_EQ(Draws::integer(ours, 15, 37),
                  std::uniform_int_distribution<int>(15, 37)(library));
        ASSERT_EQ(Draws::integer(ours, 0, 2), std::uniform_int_distribution<int>(0, 2)(library));
        ASSERT_EQ(Draws::integer(ours, 3, 7), std::uniform_int_distribution<int>(3, 7)(library));
        ASSERT_EQ(Draws::unit(ours), std::uniform_real_distribution<double>(0.0, 1.0)(library));
        ASSERT_EQ(Draws::integer(ours, 20000, 40000),
                  std::uniform_int_distribution<int>(20000, 40000)(library));
    }
    EXPECT_EQ(ours, library);
}

}  // namespace
