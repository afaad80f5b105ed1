#include "game/world/replay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "game/profile/replay_io.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Step = Replay::Step;

void put_varint(Bytes& out, uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<uint8_t>(value));
}

void put_double(Bytes& out, double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

// A header written field by field, so that each field can be made wrong on its own.
struct Header {
    uint64_t version = Replay::kFormatVersion;
    std::string game_version = "1.0";
    uint64_t seed = 7;
    uint64_t frames = 0;
    double depth = 1.5;
    double length = 4.0;
    uint64_t speed = 100;  // from version 2 on
    uint64_t flags = 0;

    Bytes bytes() const {
        Bytes out{'B', 'G', 'R', 'P'};
        put_varint(out, version);
        put_varint(out, game_version.size());
        out.insert(out.end(), game_version.begin(), game_version.end());
        put_varint(out, seed);
        put_varint(out, frames);
        put_double(out, depth);
        put_double(out, length);
        if (version >= 2) {
            put_varint(out, speed);
            put_varint(out, flags);
        }
        return out;
    }
};

// The error for `bytes`, or "" when they parse.
std::string parse_error(const Bytes& bytes) {
    Replay replay;
    std::string error;
    if (parse_replay(bytes.data(), bytes.size(), replay, error)) return "";
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    return error;
}

Replay round_trip(const Replay& replay) {
    const Bytes bytes = replay.encode();
    Replay back;
    std::string error;
    EXPECT_TRUE(parse_replay(bytes.data(), bytes.size(), back, error)) << error;
    return back;
}

void expect_same(const Replay& a, const Replay& b) {
    EXPECT_EQ(a.seed, b.seed);
    EXPECT_EQ(a.game_version, b.game_version);
    EXPECT_EQ(a.max_depth, b.max_depth);
    EXPECT_EQ(a.max_length, b.max_length);
    EXPECT_EQ(a.assists, b.assists);
    ASSERT_EQ(a.steps.size(), b.steps.size());
    for (size_t i = 0; i < a.steps.size(); ++i) {
        ASSERT_EQ(a.steps[i], b.steps[i]) << "step " << i;
    }
}

// A minute at 60 frames a second as vsync times it (16 or 17 ms), with a turn a second.
Replay vsync_minute() {
    Replay replay;
    replay.seed = 12345;
    replay.game_version = "0.1.0";
    replay.max_depth = 2.0 / 3.0;
    replay.max_length = 3.5;
    for (int i = 0; i < 3600; ++i) {
        Step step{(i % 3 == 0) ? 16u : 17u, 0, 0};
        if (i % 60 == 0) step.pressed = Replay::bit(3 + (i / 60) % 2);
        if (i % 60 == 1) step.released = Replay::bit(3 + (i / 60) % 2);
        replay.steps.push_back(step);
    }
    return replay;
}

}  // namespace

TEST(ReplayFormat, RoundTripsEveryKindOfStep) {
    Replay replay;
    replay.seed = 0xFFFFFFFFu;
    replay.game_version = "9.8.7-rc1";
    replay.max_depth = 1.23456789;
    replay.max_length = 0.0;
    replay.assists = Assists{60, true};
    std::mt19937 rng(5);
    // Frame times of every display: vsync at 60 and 144 Hz, a loaded machine, stalls, zero.
    for (int i = 0; i < 500; ++i) replay.steps.push_back(Step{16u + (i % 2), 0, 0});
    for (int i = 0; i < 300; ++i) replay.steps.push_back(Step{6u + (i % 3 == 0), 0, 0});
    for (int i = 0; i < 300; ++i) {
        replay.steps.push_back(Step{std::uniform_int_distribution<uint32_t>(0, 250)(rng), 0, 0});
    }
    for (uint32_t ms : {0u, 1u, 249u, 250u, 250u, 0u}) replay.steps.push_back(Step{ms, 0, 0});
    // Buttons of every bit, several at once, pressed and released in one step.
    for (int b = 0; b < 32; ++b) replay.steps.push_back(Step{16, Replay::bit(b), 0});
    replay.steps.push_back(Step{17, 0xFFFFFFFFu, 0xFFFFFFFFu});
    replay.steps.push_back(Step{250, Replay::bit(5), Replay::bit(5)});
    // Runs that end on and off a byte boundary.
    for (int n : {1, 7, 8, 9, 64, 1000}) {
        for (int i = 0; i < n; ++i) replay.steps.push_back(Step{33u + (i * 7 % 5 == 0), 0, 0});
        replay.steps.push_back(Step{16, Replay::bit(4), 0});
    }
    expect_same(replay, round_trip(replay));

    expect_same(Replay{}, round_trip(Replay{}));
}

// The header's assists: every speed the game offers and the one-switch flag read back; anything
// else is refused; a version 1 file, from before the assists, reads as an unassisted game.
TEST(ReplayFormat, TheAssistsInTheHeader) {
    for (uint64_t speed = Assists::kSlowest; speed <= Assists::kNormal; speed += 10) {
        for (uint64_t flags : {0u, 1u}) {
            Header header;
            header.speed = speed;
            header.flags = flags;
            Replay replay;
            std::string error;
            const Bytes bytes = header.bytes();
            ASSERT_TRUE(parse_replay(bytes.data(), bytes.size(), replay, error)) << error;
            EXPECT_EQ(replay.assists, (Assists{static_cast<int>(speed), flags == 1}));
            EXPECT_EQ(replay.encode(), bytes);
        }
    }
    const struct {
        uint64_t speed;
        uint64_t flags;
        std::string error;
    } bad[] = {
        {0, 0, "a speed of 0% (50 to 100 in steps of 10)"},
        {40, 0, "a speed of 40% (50 to 100 in steps of 10)"},
        {75, 0, "a speed of 75% (50 to 100 in steps of 10)"},
        {110, 0, "a speed of 110% (50 to 100 in steps of 10)"},
        {uint64_t{1} << 32, 0, "speed overflows"},
        {100, 2, "unknown flags 2"},
        {70, 0x80000001u, "unknown flags 2147483649"},
    };
    for (const auto& c : bad) {
        Header header;
        header.speed = c.speed;
        header.flags = c.flags;
        EXPECT_EQ(parse_error(header.bytes()), c.error) << c.speed << " " << c.flags;
    }

    Header old;
    old.version = 1;
    old.frames = 1;
    Bytes bytes = old.bytes();
    put_varint(bytes, 16 << 2 | 2);
    Replay replay;
    std::string error;
    ASSERT_TRUE(parse_replay(bytes.data(), bytes.size(), replay, error)) << error;
    EXPECT_EQ(replay.assists, Assists{});
    EXPECT_EQ(replay.steps, (std::vector<Step>{Step{16, 0, 0}}));
    EXPECT_EQ(replay.max_length, 4.0);
}

TEST(ReplayFormat, AMinuteAtSixtyFramesASecondTakesWellUnderFourKilobytes) {
    const Bytes bytes = vsync_minute().encode();
    EXPECT_LT(bytes.size(), 1500u);
    expect_same(vsync_minute(), round_trip(vsync_minute()));
}

TEST(ReplayFormat, OverlongGameVersionIsCutToWhatTheParserTakes) {
    Replay replay;
    replay.game_version = std::string(200, 'v');
    EXPECT_EQ(round_trip(replay).game_version, std::string(Replay::kMaxGameVersion, 'v'));
}

TEST(ReplayFormat, RefusesEachKindOfBadFileWithItsOwnReason) {
    EXPECT_EQ(parse_error({}), "empty file");
    EXPECT_EQ(parse_error({'P', 'K', 3, 4, 0, 0}), "not a Burrowgale replay (wrong magic number)");
    EXPECT_EQ(parse_error({'B', 'G'}), "truncated in the header");

    Header later;
    later.version = Replay::kFormatVersion + 1;
    EXPECT_EQ(parse_error(later.bytes()), "format version 3 is newer than this game reads (2)");
    Header zero;
    zero.version = 0;
    EXPECT_EQ(parse_error(zero.bytes()), "unknown format version 0");

    Header overflow;
    overflow.frames = uint64_t{1} << 32;
    EXPECT_EQ(parse_error(overflow.bytes()), "frame count overflows");
    // A varint that never ends within ten bytes overflows too, rather than reading on.
    Bytes endless = Header{}.bytes();
    endless.resize(endless.size() - 19);  // cut before the frame count
    endless.insert(endless.end(), 12, 0xFF);
    EXPECT_EQ(parse_error(endless), "frame count overflows");

    // A header that claims gigabytes of steps is refused before anything is reserved.
    Header huge;
    huge.frames = 4'000'000'000u;
    Bytes claim = huge.bytes();
    claim.push_back(0);
    EXPECT_EQ(parse_error(claim),
              "claims 4000000000 frames, but the 1 bytes after its header hold at most 8");
    Header long_version;
    long_version.game_version = std::string(65, 'x');
    EXPECT_EQ(parse_error(long_version.bytes()), "game version of 65 bytes (at most 64)");
    Bytes version_claim = Header{}.bytes();
    version_claim.resize(5);
    put_varint(version_claim, 3'000'000'000u);
    EXPECT_EQ(parse_error(version_claim), "game version of 3000000000 bytes (at most 64)");
    Header control;
    control.game_version = "1\n2";
    EXPECT_EQ(parse_error(control.bytes()), "game version is not printable text");

    for (double bad : {-1.0, std::numeric_limits<double>::infinity(), std::nan("")}) {
        Header results;
        results.depth = bad;
        EXPECT_EQ(parse_error(results.bytes()),
                  "recorded results are not finite non-negative numbers");
    }

    Header two;
    two.frames = 2;
    Bytes run = two.bytes();
    put_varint(run, 3 << 2);  // a run of three steps where two are left
    run.push_back(0);
    EXPECT_EQ(parse_error(run), "a run of 3 steps in step 1 of 2");
    Bytes stray = two.bytes();
    put_varint(stray, 2 << 2);
    stray.push_back(0);
    stray.push_back(0);
    EXPECT_EQ(parse_error(stray), "data after the last step (1 bytes)");
    Bytes step_overflow = two.bytes();
    put_varint(step_overflow, (uint64_t{1} << 32) << 2 | 2);  // a step of 2^32 ms
    EXPECT_EQ(parse_error(step_overflow), "number out of range in step 1 of 2");
}

// The game loop never counts more than 250 ms a step, and a file that holds more steps or more
// play than any game makes is refused before it can take memory or hours to replay.
TEST(ReplayFormat, RefusesWhatTheGameNeverRecords) {
    const uint64_t six_hours = Replay::kMaxPlayMs / Replay::kMaxStepMs;  // steps of 250 ms
    // A header claiming `frames`, then the records given as varints, then `bits` zero bytes.
    auto file = [](uint64_t frames, std::vector<uint64_t> records, size_t bits = 0) {
        Header header;
        header.frames = frames;
        Bytes out = header.bytes();
        for (uint64_t record : records) put_varint(out, record);
        out.resize(out.size() + bits);
        return out;
    };
    Bytes longer_run = file(2, {250 << 2 | 1, 2 << 2});  // base 250, a run of two steps
    longer_run.push_back(2);                             // the second takes base + 1
    // The size cap filled with one-bit steps, as many as its bytes can hold.
    Bytes whole_cap = file(8 * (Replay::kMaxFileSize - 32), {});
    ASSERT_EQ(whole_cap.size(), 32u);
    whole_cap.resize(Replay::kMaxFileSize);

    const struct {
        const char* what;
        Bytes bytes;
        std::string error;
    } cases[] = {
        {"a plain step", file(2, {251 << 2 | 2}), "a step of 251 ms in step 1 of 2 (at most 250)"},
        {"a step with buttons", file(1, {uint64_t{4000000000u} << 2 | 3, 8, 0}),
         "a step of 4000000000 ms in step 1 of 1 (at most 250)"},
        {"a run over the base", longer_run, "a step of 251 ms in step 2 of 2 (at most 250)"},
        {"the largest base", file(1, {uint64_t{0xFFFFFFFFu} << 2 | 1, 1 << 2}, 1),
         "a step of 4294967295 ms in step 1 of 1 (at most 250)"},
        {"six hours and a step",
         file(six_hours + 1, {250 << 2 | 1, (six_hours + 1) << 2}, six_hours / 8 + 1),
         "more than 6 hours of play in step 86401 of 86401"},
        {"too many steps", file(Replay::kMaxSteps + 1, {}, Replay::kMaxSteps / 8 + 1),
         "claims 5184001 frames (at most 5184000)"},
        {"the size cap of one-bit steps", whole_cap, "claims 33554176 frames (at most 5184000)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse_error(c.bytes), c.error) << c.what;
    }

    // Exactly six hours is a game, and the most steps a file can hold decode into exactly
    // the memory they need: no doubling of the vector on the way.
    Bytes hours = file(six_hours, {250 << 2 | 1, six_hours << 2}, six_hours / 8);
    EXPECT_EQ(parse_error(hours), "");
    const Bytes most = file(Replay::kMaxSteps, {1, Replay::kMaxSteps << 2}, Replay::kMaxSteps / 8);
    Replay replay;
    std::string error;
    ASSERT_TRUE(parse_replay(most.data(), most.size(), replay, error)) << error;
    EXPECT_EQ(replay.steps.size(), Replay::kMaxSteps);
    EXPECT_EQ(replay.steps.capacity(), Replay::kMaxSteps);
    EXPECT_LT(replay.steps.capacity() * sizeof(Step), size_t{64} << 20);
    EXPECT_LE(most.size(), Replay::kMaxFileSize);
}

TEST(ReplayFormat, EveryTruncationIsRefused) {
    const Bytes whole = vsync_minute().encode();
    for (size_t size = 0; size < whole.size(); ++size) {
        const std::string error = parse_error(Bytes(whole.begin(), whole.begin() + size));
        ASSERT_NE(error, "") << size;
        // Cut short of its steps, a file no longer has room for the frames it claims.
        if (size >= 4) {
            ASSERT_TRUE(error.find("truncated") == 0 || error.find("claims") == 0)
                << size << ": " << error;
        }
    }
    EXPECT_EQ(parse_error(whole), "");
}

// Random bytes, and valid files with random bytes changed, must fail cleanly or parse into
// something the encoder writes back as the same replay. The fuzz target goes much further.
TEST(ReplayFormat, RandomBytesAndDamagedFilesNeverCrash) {
    std::mt19937 rng(2026);
    auto byte = [&] { return static_cast<uint8_t>(rng()); };
    for (int i = 0; i < 2000; ++i) {
        Bytes noise(std::uniform_int_distribution<size_t>(0, 300)(rng));
        for (uint8_t& b : noise) b = byte();
        EXPECT_NE(parse_error(noise), "");
    }
    const Bytes whole = vsync_minute().encode();
    for (int i = 0; i < 2000; ++i) {
        Bytes damaged = whole;
        for (int k = 0; k < 3; ++k) damaged[rng() % damaged.size()] = byte();
        Replay replay;
        std::string error;
        if (parse_replay(damaged.data(), damaged.size(), replay, error)) {
            expect_same(replay, round_trip(replay));
        }
    }
}

TEST(ReplayFile, ErrorsNameTheFile) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("burrowgale-replay-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    Replay replay;
    std::string error;

    const std::string missing = (dir / "missing.replay").string();
    EXPECT_FALSE(load_replay(missing, replay, error));
    EXPECT_EQ(error, missing + ": cannot open: No such file or directory");

    EXPECT_FALSE(load_replay(dir.string(), replay, error));
    EXPECT_EQ(error, dir.string() + ": cannot read: Is a directory");

    const std::string big = (dir / "big.replay").string();
    {
        Bytes bytes = Header{}.bytes();
        bytes.resize(Replay::kMaxFileSize + 1);
        std::ofstream(big, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    EXPECT_FALSE(load_replay(big, replay, error));
    EXPECT_EQ(error, big + ": too large for a replay (more than 4 MiB)");

    const std::string empty = (dir / "empty.replay").string();
    std::ofstream(empty).close();
    EXPECT_FALSE(load_replay(empty, replay, error));
    EXPECT_EQ(error, empty + ": empty file");

    const std::string good = (dir / "good.replay").string();
    {
        const Bytes bytes = vsync_minute().encode();
        std::ofstream(good, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    EXPECT_TRUE(load_replay(good, replay, error)) << error;
    expect_same(replay, vsync_minute());

    std::filesystem::remove_all(dir);
}
