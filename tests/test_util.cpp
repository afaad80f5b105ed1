#include "engine/util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <set>

namespace {

TEST(Util, SysrandomOfNothingWritesNothing) {
    std::array<unsigned char, 8> buffer;
    buffer.fill(0xAB);
    EXPECT_EQ(Util::sysrandom(buffer.data(), 0), 0UL);
    EXPECT_TRUE(
        std::all_of(buffer.begin(), buffer.end(), [](unsigned char b) { return b == 0xAB; }));
}

TEST(Util, SysrandomFillsExactlyTheAskedBytes) {
    // 64 random bytes all equal to the fill value would be a 2^-512 coincidence.
    std::array<unsigned char, 72> buffer;
    buffer.fill(0);
    EXPECT_EQ(Util::sysrandom(buffer.data(), 64), 64UL);
    EXPECT_TRUE(
        std::any_of(buffer.begin(), buffer.begin() + 64, [](unsigned char b) { return b != 0; }));
    EXPECT_TRUE(
        std::all_of(buffer.begin() + 64, buffer.end(), [](unsigned char b) { return b == 0; }));
}

TEST(Util, RandomSeedDiffersBetweenCalls) {
    std::set<uint32_t> seeds;
    for (int i = 0; i < 8; ++i) seeds.insert(Util::random_seed());
    EXPECT_GT(seeds.size(), 1U);
}

TEST(Util, UnreadableDeviceStillGivesVaryingSeeds) {
    std::set<uint32_t> seeds;
    for (int i = 0; i < 8; ++i) seeds.insert(Util::random_seed_from("/nonexistent/urandom"));
    EXPECT_GT(seeds.size(), 1U);
}

TEST(Util, EmptyDeviceCountsAsUnreadable) {
    // /dev/null opens fine but yields no bytes: the seed must not be a constant 0.
    std::set<uint32_t> seeds;
    for (int i = 0; i < 8; ++i) seeds.insert(Util::random_seed_from("/dev/null"));
    EXPECT_GT(seeds.size(), 1U);
}

// Variant numbers go before the extension, so that the name keeps its type; the last dot is the
// extension's, and a name without one gets the number at its end.
TEST(Util, NumberedNamesPutTheNumberBeforeTheLastDot) {
    EXPECT_EQ(Util::numbered("yum.wav", 3), "yum3.wav");
    EXPECT_EQ(Util::numbered("boom.wav", 12), "boom12.wav");
    EXPECT_EQ(Util::numbered("boom.old.wav", 1), "boom.old1.wav");
    EXPECT_EQ(Util::numbered("noext", 2), "noext2");
    EXPECT_EQ(Util::numbered(".wav", 0), "0.wav");
    EXPECT_EQ(Util::numbered("", 5), "5");
}

}  // namespace
