// The game's three tracks, written out as note data. Each is one loop: the last bar leads
// back into the first, which is where the player hears the seam.
#include "song.h"

#include <string>
#include <string_view>
#include <tuple>

namespace song {
namespace {

using namespace instruments;

// A bar of chord rhythm: every '@' in the pattern becomes the chord.
std::string with(std::string_view pattern, std::string_view chord) {
    std::string bar;
    for (char c : pattern) {
        if (c == '@') {
            bar += chord;
        } else {
            bar += c;
        }
    }
    return bar + " | ";
}

std::string repeat(std::string_view text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += std::string(text) + " ";
    return all;
}

}  // namespace

// The play music: a slow, swung groove in D dorian. Twenty bars: the groove alone, a marimba
// tune in two phrases, a breakdown with a flute over a pad, and the groove with a new tune.
Song deepdiggin() {
    Song s;
    s.name = "deepdiggin";
    s.step_frames = 3675;  // 90 beats a minute
    s.bars = 20;
    s.loudness = -22;
    s.seed = 0xD166;

    const char* dm9 = "F3/A3/C4/E4";
    const char* g13 = "F3/A3/B3/E4";
    const char* bbmaj9 = "F3/A3/C4/D4";
    const char* c69 = "E3/G3/A3/D4";
    const char* laid_back = "@:5 r:2 -@:3 @:6";
    const char* pushed = "@:3 r:3 -@:2 r:2 @:6";
    const std::string a7 = "G3/A3/D4/E4:5 r:2 -G3/A3/D4/E4:1 G3/A3/C#4/E4:8 | ";
    const std::string cycle =
        with(laid_back, dm9) + with(pushed, g13) + with(laid_back, bbmaj9) + a7;
    const std::string cycle2 = with(pushed, dm9) + with(laid_back, g13) + with(pushed, bbmaj9) + a7;
    const std::string breakdown = with("@:12 -@:4", bbmaj9) + with("@:12 -@:4", c69) +
                                  with("@:12 -@:4", dm9) + with("@:16", "G3/Bb3/C#4/E4");
    s.track(electric_piano, 0.32, -0.1, 0.25)
        .sway(0.35, 32)
        .notes(cycle + cycle2 + cycle + breakdown + cycle2);

    const char* groove =
        "D2:4 r:2 D2:2 A2:3 C3:1 D3:2 A2:2 | G2:4 r:2 G2:2 D3:3 F3:1 E3:2 D3:2 | "
        "Bb1:4 r:2 Bb1:2 F2:3 A2:1 Bb2:2 F2:2 | A1:4 r:2 A1:2 E2:3 G2:1 A2:2 C#3:2 | ";
    const char* groove2 =
        "D2:3 -D2:1 r:2 D2:2 A2:3 C3:1 D3:2 A2:2 | G2:4 r:2 G2:2 D3:3 F3:1 E3:2 D3:2 | "
        "Bb1:3 -Bb1:1 r:2 Bb1:2 F2:3 A2:1 Bb2:2 F2:2 | A1:4 r:2 A1:2 E2:2 G2:2 A2:2 B2:1 C#3:1 | ";
    s.track(bass, 0.6, 0.0, 0.02)
        .swing(0.3)
        .notes(std::string(groove) + groove2 + groove +
               "Bb1:10 F2:6 | C2:10 G2:6 | D2:10 A2:6 | A1:8 E2:4 C#3:4 | " + groove2);

    // The marimba tune, shadowed softly by a glockenspiel for some sparkle on top.
    for (const auto& [voice, gain, pan] :
         {std::tuple{&marimba, 0.6, 0.3}, std::tuple{&glockenspiel, 0.09, 0.45}}) {
        s.track(voice, gain, pan, 0.3)
            .swing(0.3)
            .at_bar(4)
            .notes(
                "r:2 A4:2 C5:2 D5:3 r:1 C5:2 A4:2 G4:2 | A4:3 r:1 G4:2 B4:2 A4:4 r:4 | "
                "r:2 F5:2 E5:2 D5:2 C5:3 r:1 A4:2 C5:2 | D5:2 E5:6 r:2 C#5:2 A4:4 | "
                "r:2 A4:2 C5:2 D5:3 r:1 F5:2 E5:2 D5:2 | E5:3 r:1 D5:2 B4:2 D5:4 r:2 A4:2 | "
                "C5:3 r:1 A4:2 F4:2 A4:2 C5:2 D5:4 | E5:6 r:2 G4:2 A4:2 C#5:4 |")
            .at_bar(16)
            .notes(
                "r:2 D5:1 F5:1 A5:2 G5:1 F5:1 D5:2 r:2 C5:2 D5:2 | "
                "B4:2 D5:2 r:2 E5:4 D5:2 B4:2 A4:2 | "
                "r:2 C5:1 D5:1 F5:2 E5:1 D5:1 C5:2 A4:2 F4:2 A4:2 | "
                "G4:2 A4:4 r:2 C#5:2 E5:2 G5:2 E5:2 |");
    }

    s.track(flute, 0.38, -0.3, 0.45)
        .at_bar(12)
        .notes(
            "D5:6 C5:2 A4:8 | G4:4 A4:4 E5:8 | D5:6 E5:2 F5:4 E5:4 | C#5:8 E5:4 A4:4 | "
            "-F5:12 r:4 | -E5:8 -D5:8 | -D5:12 r:4 | -D5:8 -C#5:8 |");

    // A low hum in the earth under the first groove and the breakdown.
    s.track(pad, 0.18, 0.0, 0.5)
        .notes("D3/A3:32 | | Bb2/F3:16 | A2/E3:16 |")
        .at_bar(12)
        .notes("Bb2/F3/D4:16 | C3/G3/E4:16 | D3/A3/F4:16 | A2/E3/C#4:16 |");

    const char* kicks = "X......x..X..... | X.........X..x.. | ";
    const char* snares = "....X.......X... | ....X..o....X..o | ";
    const char* hats = "x.o.x.oox.o.x.o. | ";
    const char* quiet = "................ | ";
    s.track(kick, 0.55, 0.0, 0.03)
        .hits(repeat(kicks, 6) + "X............... | " + repeat(quiet, 3) + repeat(kicks, 2));
    s.track(snare, 0.85, 0.05, 0.2)
        .swing(0.3)
        .hits(repeat(snares, 6) + repeat(quiet, 4) + repeat(snares, 1) +
              "....X.......X... | ....X.......X.oo | ");
    s.track(closed_hat, 1.5, 0.35, 0.08)
        .swing(0.3)
        .hits(repeat(hats, 12) + repeat(quiet, 4) + repeat(hats, 4));
    s.track(open_hat, 0.6, 0.35, 0.15)
        .hits(repeat("................ | ................ | ................ | "
                     "..............x. | ",
                     3) +
              repeat(quiet, 4) + repeat(quiet, 3) + "..............x. | ");
    s.track(shaker, 0.5, -0.45, 0.15).swing(0.3).at_bar(12).hits(repeat("oxoxoxoxoxoxoxox | ", 4));
    s.track(rim, 0.6, 0.2, 0.3).swing(0.3).at_bar(12).hits(repeat("....x.......x..o | ", 4));

    // Water dripping somewhere in the cave, on both sides.
    s.track(drip, 0.2, 0.6, 0.6)
        .at_bar(1)
        .notes("r:11 G5:1")
        .at_bar(3)
        .notes("r:5 D5:1")
        .at_bar(6)
        .notes("r:14 A4:1")
        .at_bar(12)
        .notes("r:3 F5:1 r:5 C5:1")
        .at_bar(15)
        .notes("r:9 A5:1")
        .at_bar(17)
        .notes("r:13 E5:1");
    s.track(drip, 0.17, -0.6, 0.6)
        .at_bar(2)
        .notes("r:7 C5:1")
        .at_bar(9)
        .notes("r:2 E5:1")
        .at_bar(13)
        .notes("r:12 D5:1")
        .at_bar(15)
        .notes("r:6 G5:1")
        .at_bar(19)
        .notes("r:3 F5:1");
    return s;
}

// The title: a bright, bouncy tune in G major, marimba first, then a flute over glockenspiel.
Song title() {
    Song s;
    s.name = "title";
    s.step_frames = 3150;  // 105 beats a minute
    s.bars = 16;
    s.loudness = -20;
    s.seed = 0x7171E;

    const char* g69 = "B3/D4/E4/A4";
    const char* em9 = "B3/D4/F#4/G4";
    const char* cmaj9 = "B3/D4/E4/G4";
    const char* am9 = "G3/B3/C4/E4";
    const char* bm7 = "A3/B3/D4/F#4";
    const char* strum = "@:2 r:1 -@:1 r:2 @:2 r:2 @:2 r:1 -@:1 r:2";
    const std::string d7 =
        "C4/D4/G4/A4:2 r:1 -C4/D4/G4/A4:1 r:2 C4/D4/G4/A4:2 "
        "C4/D4/F#4/A4:4 -C4/D4/F#4/A4:2 r:2 | ";
    const std::string verse = with(strum, g69) + with(strum, em9) + with(strum, cmaj9) + d7;
    const std::string bridge = with(strum, am9) + with(strum, bm7) + with(strum, cmaj9) + d7 +
                               with(strum, em9) + with(strum, cmaj9) + with(strum, am9) + d7;
    s.track(pluck, 0.65, -0.25, 0.2).swing(0.25).notes(verse + verse + bridge);

    auto bouncy = [](const char* root, const char* octave, const char* fifth) {
        return std::string(root) + ":3 -" + root + ":1 r:2 " + octave + ":2 " + root + ":2 r:2 " +
               fifth + ":2 -" + root + ":2 | ";
    };
    const std::string g = bouncy("G2", "G3", "D3"), e = bouncy("E2", "E3", "B2"),
                      c = bouncy("C2", "C3", "G2"), d = bouncy("D2", "D3", "A2"),
                      a = bouncy("A1", "A2", "E2"), b = bouncy("B1", "B2", "F#2");
    s.track(bass, 0.55, 0.0, 0.02)
        .swing(0.25)
        .notes(g + e + c + d + g + e + c + d + a + b + c + d + e + c + a + d);

    const char* tune =
        "D5:2 G5:2 r:1 G5:1 A5:2 B5:3 A5:1 G5:2 E5:2 | D5:3 E5:1 G5:2 E5:2 D5:4 r:2 B4:2 | "
        "C5:2 E5:2 G5:2 B5:3 A5:1 G5:2 E5:2 G5:2 | A5:6 r:2 F#5:2 A5:2 D5:4 | "
        "D5:2 G5:2 r:1 G5:1 A5:2 B5:3 A5:1 G5:2 E5:2 | D5:3 E5:1 G5:2 E5:2 D5:4 r:2 B4:2 | "
        "C5:2 E5:2 G5:2 C6:3 B5:1 A5:2 G5:2 E5:2 | A5:2 G5:2 A5:4 D5:2 E5:2 F#5:4 |";
    s.track(marimba, 0.5, 0.25, 0.25).swing(0.25).notes(tune);
    s.track(flute, 0.32, -0.2, 0.4)
        .at_bar(8)
        .notes(
            "E5:6 D5:2 C5:4 B4:4 | D5:6 F#5:2 A5:8 | G5:4 E5:4 B5:6 A5:2 | A5:8 F#5:4 E5:4 | "
            "G5:4 F#5:2 E5:2 B4:8 | C5:2 E5:2 G5:4 B5:4 A5:4 | G5:6 E5:2 C5:4 E5:4 | "
            "D5:8 r:4 A4:2 C5:2 |");
    s.track(glockenspiel, 0.3, 0.4, 0.35)
        .at_bar(8)
        .notes(
            "-A5:2 -C6 -E6 -G6 -B6 -G6 -E6 -C6 | -B5:2 -D6 -F#6 -A6 -B6 -A6 -F#6 -D6 | "
            "-C6:2 -E6 -G6 -B6 -D7 -B6 -G6 -E6 | -D6:2 -G6 -A6 -C7 -D6 -F#6 -A6 -C7 | "
            "-E6:2 -G6 -B6 -D7 -F#6 -D7 -B6 -G6 | -C6:2 -E6 -G6 -B6 -D7 -B6 -G6 -E6 | "
            "-A5:2 -C6 -E6 -G6 -B6 -G6 -E6 -C6 | -D6:2 -G6 -A6 -C7 -D6 -F#6 -A6 -C7 |");

    s.track(kick, 0.45, 0.0, 0.03).hits(repeat("X.....x.X.....x. | ", 16));
    s.track(clap, 0.95, 0.0, 0.25).hits(repeat("....X.......X... | ", 16));
    s.track(closed_hat, 0.85, 0.35, 0.08).swing(0.25).hits(repeat("xoxoxoxoxoxoxoxo | ", 16));
    s.track(open_hat, 0.4, 0.35, 0.15).hits(repeat("................ | ..............x. | ", 8));
    return s;
}

// Game over: a lazy waltz in C minor, a tuba and pizzicato, and a muted trombone that gives
// up on its last note.
Song wormfood() {
    Song s;
    s.name = "wormfood";
    s.step_frames = 4000;  // about 83 beats a minute
    s.steps_per_bar = 12;  // three beats
    s.bars = 8;
    s.loudness = -25;  // as loud as the other two, which their peaks hold down
    s.humanize = 0.01;
    s.seed = 0xF00D;

    s.track(tuba, 1.2, 0.0, 0.05)
        .notes(
            "C2:3 r:9 | F2:3 r:9 | G1:3 r:9 | C2:3 r:5 G1:2 B1:2 | Ab1:3 r:9 | F2:3 r:9 | "
            "D2:3 r:9 | G1:3 r:5 -D2:2 -B1:2 |");
    const char* pah = "r:4 @:2 r:2 -@:2 r:2";
    s.track(pluck, 0.7, -0.2, 0.25)
        .notes(with(pah, "G3/C4/Eb4") + with(pah, "Ab3/C4/F4") + with(pah, "G3/B3/F4") +
               with(pah, "G3/C4/Eb4") + with(pah, "Ab3/C4/Eb4") + with(pah, "Ab3/C4/F4") +
               "r:12 | " + with(pah, "G3/B3/F4"));
    s.track(trombone, 0.5, 0.15, 0.3)
        .notes(
            "G4:8 F4:2 Eb4:2 | Ab4:6 G4:2 F4:4 | D4:4 F4:4 B3:4 | C4:10 r:2 | "
            "Eb4:8 C4:2 Eb4:2 | Ab4:8 G4:2 F4:2 | +D4:4 +C#4:4 +C4:4 | B3:10~ r:2 |");
    s.track(glockenspiel, 0.24, -0.4, 0.4)
        .at_bar(3)
        .notes("r:4 -C6:2 -Eb6:2 -G6:4 |")
        .at_bar(5)
        .notes("r:8 -Ab5:2 -G5:2 |");
    // The clock ticks on.
    s.track(rim, 0.55, 0.3, 0.25).hits(repeat("x...o...o... | ", 8));
    s.track(shaker, 0.55, -0.3, 0.2).hits(repeat("....o.o.o.o. | ", 8));
    s.track(closed_hat, 0.5, 0.35, 0.1).hits(repeat("..o...x...o. | ", 8));
    return s;
}

}  // namespace song
