// A fingerprint of the worlds that seeds make: the generated tiles over a few regions, where
// many attempts put food, and the draws that spawn centipedes. Built for the desktop and for
// node, whose outputs must match byte for byte: a seed is the same world on every build.
//
//     world_digest [SEEDS]      one line per seed (default 24 seeds), then the total
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "game/world/draws.h"
#include "game/world/map.h"
#include "game/world/terrain.h"

namespace {

constexpr int kDefaultSeeds = 24;
constexpr int kMaxSeeds = 10000;
constexpr int kFoodAttempts = 6000;
constexpr int kDrawsPerRange = 200;

// 64-bit FNV-1a over the little-endian bytes of each value.
class Digest {
public:
    void add(uint64_t value) {
        for (int i = 0; i < 8; ++i) {
            hash = (hash ^ ((value >> (8 * i)) & 0xff)) * 0x100000001b3;
        }
    }
    void add(int64_t value) { add(static_cast<uint64_t>(value)); }
    void add(int value) { add(static_cast<uint64_t>(static_cast<int64_t>(value))); }
    uint64_t value() const { return hash; }

private:
    uint64_t hash = 0xcbf29ce484222325;
};

struct Region {
    int64_t q;
    int64_t r;
    int64_t size;  // tiles along each side
};

// The surface and the first screens below it, where every game starts; far down, where long
// games go; and far out, where the noise's coordinates are large.
constexpr Region kRegions[] = {
    {-64, -16, 128}, {-20, 4000, 40}, {1'000'000'000, 3'000'000, 24}, {-7'000'000'000, 50, 24}};

// The seed for line `index`: the first ones in order, then spread over the whole range.
uint32_t seed_at(int index) {
    if (index < 8) return static_cast<uint32_t>(index);
    return static_cast<uint32_t>(static_cast<uint64_t>(index) * 2654435761u);
}

uint64_t tiles_digest(const Map& map) {
    Digest digest;
    for (const Region& region : kRegions) {
        for (int64_t r = region.r; r < region.r + region.size; ++r) {
            for (int64_t q = region.q; q < region.q + region.size; ++q) {
                const GridPoint p{q, r};
                digest.add(static_cast<int>(Terrain::generate_kind(p, map.noise_z)));
                digest.add(Terrain::generate_variant(p, map.noise_z));
            }
        }
    }
    return digest.value();
}

// Food attempts from origins spread over the first region, then the food in order of place
// (the map keeps it unordered) and the engine's next output, which shows every draw was taken.
uint64_t food_digest(Map& map, std::size_t& placed) {
    for (int i = 0; i < kFoodAttempts; ++i) {
        map.spawn_food({(i * 37) % 128 - 64, (i * 11) % 96 - 8});
    }
    std::vector<std::tuple<int64_t, int64_t, int>> food;
    for (const auto& [p, kind] : map.food) food.emplace_back(p.q, p.r, kind);
    std::sort(food.begin(), food.end());
    Digest digest;
    for (const auto& [q, r, kind] : food) {
        digest.add(q);
        digest.add(r);
        digest.add(kind);
    }
    digest.add(static_cast<uint64_t>(map.rng()));
    placed = food.size();
    return digest.value();
}

uint64_t draws_digest(uint32_t seed) {
    std::mt19937 rng(seed);
    Digest digest;
    for (const auto& [low, high] :
         {std::pair{15, 37}, std::pair{0, 5}, std::pair{-1000, 1000}, std::pair{0, 2147483647}}) {
        for (int i = 0; i < kDrawsPerRange; ++i) digest.add(Draws::integer(rng, low, high));
    }
    for (int i = 0; i < kDrawsPerRange; ++i) {
        const double unit = Draws::unit(rng);
        uint64_t bits = 0;
        static_assert(sizeof bits == sizeof unit);
        std::memcpy(&bits, &unit, sizeof bits);
        digest.add(bits);
    }
    return digest.value();
}

}  // namespace

int main(int argc, char** argv) {
    int seeds = kDefaultSeeds;
    if (argc > 2 || (argc == 2 && [&] {
            const std::string text = argv[1];
            const auto [end, fault] =
                std::from_chars(text.data(), text.data() + text.size(), seeds);
            return fault != std::errc() || end != text.data() + text.size() || seeds < 1 ||
                   seeds > kMaxSeeds;
        }())) {
        std::fprintf(stderr, "usage: world_digest [SEEDS] (1 to %d seeds)\n", kMaxSeeds);
        return 2;
    }
    Digest total;
    for (int i = 0; i < seeds; ++i) {
        const uint32_t seed = seed_at(i);
        Map map(seed);
        std::size_t placed = 0;
        const uint64_t tiles = tiles_digest(map);
        const uint64_t food = food_digest(map, placed);
        const uint64_t draws = draws_digest(seed);
        std::printf("seed %10u: tiles %016llx  food %016llx (%4zu placed)  draws %016llx\n", seed,
                    static_cast<unsigned long long>(tiles), static_cast<unsigned long long>(food),
                    placed, static_cast<unsigned long long>(draws));
        total.add(tiles);
        total.add(food);
        total.add(draws);
    }
    std::printf("total %016llx\n", static_cast<unsigned long long>(total.value()));
    return 0;
}
