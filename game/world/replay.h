// A recorded game: the seed, the assists, the elapsed time and the buttons that went down or up
// in every step of the play screen, and the results the game ended with. A game is a pure function
// of these, so a recording replays exactly. The file layout is described in replay.cpp.
//
// This unit knows nothing of SDL, files or the game's classes, so that the parser can be fuzzed
// on its own. Reading a file of it is load_replay's (game/profile/replay_io.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The assists a game was played with. They change the game (a slower worm is easier to steer),
// so they are part of its rules: a World is built with them and its recording keeps them.
struct Assists {
    static constexpr int kSlowest = 50;  // percent of the normal speed
    static constexpr int kNormal = 100;
    static constexpr int kSpeedStep = 10;

    int speed = kNormal;      // percent, kSlowest to kNormal in steps of kSpeedStep
    bool one_switch = false;  // played with one key; the screens make the turns and pauses

    static bool valid_speed(uint64_t percent) {
        return percent >= kSlowest && percent <= kNormal && percent % kSpeedStep == 0;
    }
    // The nearest speed the rules play, for a value that did not come through a check.
    static int held_speed(int percent);
    bool any() const { return speed != kNormal || one_switch; }
    // "70% speed", "one switch", "70% speed, one switch"; "" for an unassisted game.
    std::string describe() const;
    bool operator==(const Assists&) const = default;
};

class Replay {
public:
    // One step of the play screen as its rules see it.
    struct Step {
        uint32_t ms = 0;        // elapsed time, as the screen was given it
        uint32_t pressed = 0;   // bit b: logical button b went down during the step
        uint32_t released = 0;  // bit b: logical button b went up
        bool operator==(const Step&) const = default;
    };
    // Bit 0 belongs to no button (Button::None is never pressed): in `pressed` it says that the
    // window lost the focus during the step, which pauses a game as Start does. Recorded like a
    // button, it replays like one.
    static constexpr uint32_t kFocusLost = 1u << 0;
    // The logical buttons the rules read, by the numbers a recording stores them under: those of
    // the engine's Input::Button, which the play screen holds these to.
    enum class Button : int { None = 0, Left = 3, Right = 4, Start = 5, Select = 6, Escape = 13 };

    // Version 2 added the assists to the header. Version 1 recordings are games without assists,
    // which version 2's rules play alike: they are still read.
    static constexpr uint32_t kFormatVersion = 2;
    static constexpr uint32_t kOldestFormatVersion = 1;
    // Header flags: bit 0, one-switch play. Other bits are refused.
    static constexpr uint64_t kFlagOneSwitch = 1u << 0;
    static constexpr std::size_t kMaxGameVersion = 64;  // bytes
    // Larger files are refused unread. A minute of play takes about a kilobyte.
    static constexpr std::size_t kMaxFileSize = 4u << 20;
    // The game loop never gives a step more time than this; a recording that claims more was
    // not made by the game.
    static constexpr uint32_t kMaxStepMs = 250;
    // Longer recordings are refused, as are more steps than six hours at 240 frames a second
    // (steps of 0 ms are legal): that keeps a decoded file under 64 MB however it is made.
    static constexpr uint64_t kMaxPlayMs = 6 * 60 * 60 * 1000;
    static constexpr uint64_t kMaxSteps = kMaxPlayMs / 1000 * 240;

    // The version of this build of the game, written into every recording.
    static std::string current_game_version();

    // The mask bit of a logical button; none for Button::None (0).
    static uint32_t bit(int button) { return button > 0 && button < 32 ? 1u << button : 0u; }
    static uint32_t bit(Button button) { return bit(static_cast<int>(button)); }

    // The file's bytes.
    std::vector<uint8_t> encode() const;

    uint32_t seed = 0;
    std::string game_version;
    std::vector<Step> steps;  // from the game's first step to the one in which it ended
    double max_depth = 0.0;   // metres, at the end of the game
    double max_length = 0.0;  // centimetres
    Assists assists;
};

// Decodes a whole file. On failure returns false and sets `error` to a short phrase saying what
// is wrong ("truncated in step 12 of 300"); `out` is then unspecified. Allocates at most
// kMaxSteps steps, and no more than the size of the input allows: every step takes at least
// one bit of it.
bool parse_replay(const uint8_t* data, std::size_t size, Replay& out, std::string& error);
