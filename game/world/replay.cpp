#include "game/world/replay.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

// File layout. Numbers are unsigned LEB128 varints (7 bits a byte, low bits first) unless a size
// is given.
//
//   "BGRP"                   magic, 4 bytes
//   format version           2
//   game version             its length, then that many printable ASCII bytes
//   seed                     the play screen's seed
//   frames                   the number of steps
//   max depth, max length    IEEE 754 doubles, 8 bytes each, little-endian
//   speed                    percent, 50 to 100 in steps of 10 (not in version 1: 100)
//   flags                    bit 0: one-switch play (not in version 1: none)
//   records                  until `frames` steps are read; the file ends there
//
// A record starts with a varint h: its low two bits are the kind, h >> 2 its argument a.
//   0 run    a steps without button changes, then ceil(a / 8) bytes with one bit per step (least
//            significant first): that step took base + bit ms
//   1 base   base becomes a; it starts at 16
//   2 step   one step of a ms without button changes
//   3 step   one step of a ms with button changes: two varints follow, pressed and released
//
// At 60 frames a second vsync gives steps of 16 or 17 ms, which the runs store in one bit each:
// a minute of play is about 450 bytes plus the button changes.

namespace {

constexpr uint8_t kMagic[4] = {'B', 'G', 'R', 'P'};
constexpr uint32_t kInitialBase = 16;
constexpr uint64_t kMax32 = 0xFFFFFFFFu;
constexpr uint64_t kFirstVersionWithAssists = 2;

enum Kind : uint64_t { kRun = 0, kBase = 1, kPlainStep = 2, kButtonStep = 3 };

#ifndef BURROWGALE_VERSION
#define BURROWGALE_VERSION "unknown"
#endif

void put_varint(std::vector<uint8_t>& out, uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<uint8_t>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<uint8_t>(value));
}

void put_double(std::vector<uint8_t>& out, double value) {
    uint64_t bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

bool plain(const Replay::Step& step) { return step.pressed == 0 && step.released == 0; }

bool fits(uint32_t ms, uint32_t base) { return ms == base || (base != kMax32 && ms == base + 1); }

// Reads the file front to back; every read checks what is left first.
class Reader {
public:
    enum class Got { Ok, End, TooBig };

    Reader(const uint8_t* data_, std::size_t size_) : data(data_), size(size_) {}

    std::size_t left() const { return size - pos; }

    Got varint(uint64_t max, uint64_t& out) {
        uint64_t value = 0;
        for (int i = 0;; ++i) {
            if (pos == size) return Got::End;
            const uint8_t byte = data[pos++];
            // The tenth byte holds the 64th bit alone.
            if (i == 9 && byte > 1) return Got::TooBig;
            value |= static_cast<uint64_t>(byte & 0x7F) << (7 * i);
            if ((byte & 0x80) == 0) break;
            if (i == 9) return Got::TooBig;
        }
        if (value > max) return Got::TooBig;
        out = value;
        return Got::Ok;
    }

    // A count in 64 bits, so that where size_t is narrower a huge claim cannot wrap round to a
    // small one before it is checked.
    bool bytes(uint64_t n, const uint8_t*& out) {
        if (left() < n) return false;
        out = data + pos;
        pos += static_cast<std::size_t>(n);
        return true;
    }

    bool float64(double& out) {
        const uint8_t* p = nullptr;
        if (!bytes(8, p)) return false;
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) bits |= static_cast<uint64_t>(p[i]) << (8 * i);
        std::memcpy(&out, &bits, sizeof out);
        return true;
    }

private:
    const uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
};

bool printable(const uint8_t* text, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (text[i] < 0x20 || text[i] > 0x7E) return false;
    }
    return true;
}

bool header(Reader& in, Replay& out, uint64_t& frames, std::string& error) {
    using Got = Reader::Got;
    const char* const truncated = "truncated in the header";
    // Reads one bounded number of the header; `what` names it in the error.
    auto number = [&](const char* what, uint64_t max, uint64_t& value) {
        const Got got = in.varint(max, value);
        if (got == Got::End) error = truncated;
        if (got == Got::TooBig) error = std::string(what) + " overflows";
        return got == Got::Ok;
    };

    uint64_t version = 0;
    if (!number("format version", kMax32, version)) return false;
    if (version == 0) {
        error = "unknown format version 0";
        return false;
    }
    if (version > Replay::kFormatVersion) {
        error = "format version " + std::to_string(version) + " is newer than this game reads (" +
                std::to_string(Replay::kFormatVersion) + ")";
        return false;
    }
    // A format version below the oldest read marks a change of the rules: such a recording
    // would replay as another game, so it is refused rather than reported as not matching.
    if (version < Replay::kOldestFormatVersion) {
        error = "format version " + std::to_string(version) + " was recorded under older rules (" +
                "this game plays version " + std::to_string(Replay::kFormatVersion) + ")";
        return false;
    }

    uint64_t length = 0;
    const uint8_t* text = nullptr;
    if (!number("game version length", kMax32, length)) return false;
    if (length > Replay::kMaxGameVersion) {
        error = "game version of " + std::to_string(length) + " bytes (at most " +
                std::to_string(Replay::kMaxGameVersion) + ")";
        return false;
    }
    if (!in.bytes(length, text)) {
        error = truncated;
        return false;
    }
    const auto text_length = static_cast<std::size_t>(length);  // at most kMaxGameVersion
    if (!printable(text, text_length)) {
        error = "game version is not printable text";
        return false;
    }
    out.game_version.assign(reinterpret_cast<const char*>(text), text_length);

    uint64_t seed = 0;
    if (!number("seed", kMax32, seed)) return false;
    out.seed = static_cast<uint32_t>(seed);
    if (!number("frame count", kMax32, frames)) return false;

    if (!in.float64(out.max_depth) || !in.float64(out.max_length)) {
        error = truncated;
        return false;
    }
    if (!std::isfinite(out.max_depth) || out.max_depth < 0.0 || !std::isfinite(out.max_length) ||
        out.max_length < 0.0) {
        error = "recorded results are not finite non-negative numbers";
        return false;
    }
    if (version >= kFirstVersionWithAssists) {
        uint64_t speed = 0;
        uint64_t flags = 0;
        if (!number("speed", kMax32, speed)) return false;
        if (!Assists::valid_speed(speed)) {
            error = "a speed of " + std::to_string(speed) + "% (" +
                    std::to_string(Assists::kSlowest) + " to " + std::to_string(Assists::kNormal) +
                    " in steps of " + std::to_string(Assists::kSpeedStep) + ")";
            return false;
        }
        if (!number("flags", kMax32, flags)) return false;
        if ((flags & ~Replay::kFlagOneSwitch) != 0) {
            error = "unknown flags " + std::to_string(flags);
            return false;
        }
        out.assists.speed = static_cast<int>(speed);
        out.assists.one_switch = (flags & Replay::kFlagOneSwitch) != 0;
    }

    // Every step takes at least one bit of what follows: the claim is checked before anything
    // is reserved for it.
    const uint64_t room = 8 * static_cast<uint64_t>(in.left());
    if (frames > room) {
        error = "claims " + std::to_string(frames) + " frames, but the " +
                std::to_string(in.left()) + " bytes after its header hold at most " +
                std::to_string(room);
        return false;
    }
    if (frames > Replay::kMaxSteps) {
        error = "claims " + std::to_string(frames) + " frames (at most " +
                std::to_string(Replay::kMaxSteps) + ")";
        return false;
    }
    return true;
}

}  // namespace

int Assists::held_speed(int percent) {
    return std::clamp(percent, kSlowest, kNormal) / kSpeedStep * kSpeedStep;
}

std::string Assists::describe() const {
    std::string text;
    if (speed != kNormal) text = std::to_string(speed) + "% speed";
    if (one_switch) text += text.empty() ? "one switch" : ", one switch";
    return text;
}

std::string Replay::current_game_version() { return BURROWGALE_VERSION; }

std::vector<uint8_t> Replay::encode() const {
    std::vector<uint8_t> out(std::begin(kMagic), std::end(kMagic));
    put_varint(out, kFormatVersion);
    const std::string version = game_version.substr(0, kMaxGameVersion);
    put_varint(out, version.size());
    out.insert(out.end(), version.begin(), version.end());
    put_varint(out, seed);
    put_varint(out, steps.size());
    put_double(out, max_depth);
    put_double(out, max_length);
    // Held to what the parser takes: a file this writes always reads back.
    put_varint(out, static_cast<uint64_t>(Assists::held_speed(assists.speed)));
    put_varint(out, assists.one_switch ? kFlagOneSwitch : 0);

    uint32_t base = kInitialBase;
    const std::size_t n = steps.size();
    std::size_t i = 0;
    while (i < n) {
        const Step& step = steps[i];
        if (!plain(step)) {
            put_varint(out, uint64_t{step.ms} << 2 | kButtonStep);
            put_varint(out, step.pressed);
            put_varint(out, step.released);
            ++i;
            continue;
        }
        if (!fits(step.ms, base)) {
            // A new base pays only when the next step fits it too.
            const bool next_plain = i + 1 < n && plain(steps[i + 1]);
            uint32_t candidate = step.ms;
            if (next_plain && steps[i + 1].ms + uint64_t{1} == step.ms) candidate = step.ms - 1;
            if (!next_plain || !fits(steps[i + 1].ms, candidate)) {
                put_varint(out, uint64_t{step.ms} << 2 | kPlainStep);
                ++i;
                continue;
            }
            base = candidate;
            put_varint(out, uint64_t{base} << 2 | kBase);
        }
        std::size_t end = i;
        while (end < n && plain(steps[end]) && fits(steps[end].ms, base)) ++end;
        put_varint(out, uint64_t{end - i} << 2 | kRun);
        for (std::size_t first = i; first < end; first += 8) {
            uint8_t bits = 0;
            for (std::size_t k = first; k < end && k < first + 8; ++k) {
                if (steps[k].ms != base) bits |= static_cast<uint8_t>(1u << (k - first));
            }
            out.push_back(bits);
        }
        i = end;
    }
    return out;
}

bool parse_replay(const uint8_t* data, std::size_t size, Replay& out, std::string& error) {
    out = Replay{};
    if (size == 0) {
        error = "empty file";
        return false;
    }
    const std::size_t magic = sizeof kMagic;
    if (std::memcmp(data, kMagic, std::min(size, magic)) != 0) {
        error = "not a Burrowgale replay (wrong magic number)";
        return false;
    }
    if (size < magic) {
        error = "truncated in the header";
        return false;
    }
    Reader in(data + magic, size - magic);
    uint64_t frames = 0;
    if (!header(in, out, frames, error)) return false;
    // Bounded above: exactly what is claimed, so that growing never holds two copies.
    out.steps.reserve(static_cast<std::size_t>(frames));

    using Got = Reader::Got;
    uint32_t base = kInitialBase;
    uint64_t played = 0;  // ms
    // Where the next step is, for the errors.
    auto at = [&] {
        return " in step " + std::to_string(out.steps.size() + 1) + " of " + std::to_string(frames);
    };
    // Checks a step's time and the total before keeping the step.
    auto add = [&](uint64_t ms, uint32_t pressed, uint32_t released) {
        if (ms > Replay::kMaxStepMs) {
            error = "a step of " + std::to_string(ms) + " ms" + at() + " (at most " +
                    std::to_string(Replay::kMaxStepMs) + ")";
            return false;
        }
        played += ms;
        if (played > Replay::kMaxPlayMs) {
            error = "more than " + std::to_string(Replay::kMaxPlayMs / 3'600'000) +
                    " hours of play" + at();
            return false;
        }
        out.steps.push_back(Replay::Step{static_cast<uint32_t>(ms), pressed, released});
        return true;
    };
    while (out.steps.size() < frames) {
        const std::string where =
            " in step " + std::to_string(out.steps.size() + 1) + " of " + std::to_string(frames);
        auto number = [&](uint64_t max, uint64_t& value) {
            const Got got = in.varint(max, value);
            if (got == Got::End) error = "truncated" + where;
            if (got == Got::TooBig) error = "number out of range" + where;
            return got == Got::Ok;
        };
        uint64_t h = 0;
        if (!number(~uint64_t{0}, h)) return false;
        const uint64_t arg = h >> 2;
        const uint64_t kind = h & 3;
        if (kind != kRun && arg > kMax32) {
            error = "number out of range" + where;
            return false;
        }
        switch (kind) {
            case kRun: {
                if (arg == 0 || arg > frames - out.steps.size()) {
                    error = "a run of " + std::to_string(arg) + " steps" + where;
                    return false;
                }
                const uint8_t* bits = nullptr;
                if (!in.bytes((arg + 7) / 8, bits)) {
                    error = "truncated" + where;
                    return false;
                }
                for (uint64_t k = 0; k < arg; ++k) {
                    const uint64_t longer = (bits[k / 8] >> (k % 8)) & 1;
                    if (!add(uint64_t{base} + longer, 0, 0)) return false;
                }
                break;
            }
            case kBase:
                base = static_cast<uint32_t>(arg);
                break;
            case kPlainStep:
                if (!add(arg, 0, 0)) return false;
                break;
            case kButtonStep: {
                uint64_t pressed = 0;
                uint64_t released = 0;
                if (!number(kMax32, pressed) || !number(kMax32, released)) return false;
                if (!add(arg, static_cast<uint32_t>(pressed), static_cast<uint32_t>(released))) {
                    return false;
                }
                break;
            }
        }
    }
    if (in.left() != 0) {
        error = "data after the last step (" + std::to_string(in.left()) + " bytes)";
        return false;
    }
    return true;
}
