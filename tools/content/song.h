// Songs as note data: tracks written in a small text notation, rendered into a seamless loop.
#pragma once

#include "instruments.h"
#include "synth.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace song {

struct Event {
    double step = 0;    // from the start of the loop, in steps (sixteenth notes)
    double length = 1;  // in steps
    double note = 60;   // MIDI note number
    double velocity = 0.8;
    bool vibrato = false;
};

class Track {
public:
    Track(instruments::Voice voice, int steps_per_bar, double gain, double pan, double reverb);

    // Appends notes at the cursor. Tokens are separated by spaces:
    //   D2:4      a note name, octave 4 holding middle C, then ':' and the length in steps
    //   A4        the length of the previous token is kept
    //   r:2       a rest
    //   F3/A3/C4  a chord
    //   +A4 -A4   accented, soft
    //   B3:12~    a long wobbling note
    //   |         a bar line; it must fall on one, which catches miscounted bars
    Track& notes(std::string_view text);
    // One character a step: X accent, x normal, o ghost, . nothing; | checks a bar line.
    Track& hits(std::string_view pattern);
    Track& at_bar(int bar);
    // Swings the offbeat sixteenths of this track by a fraction of a step.
    Track& swing(double amount);
    // Sways the track between the speakers, once every `steps`.
    Track& sway(double depth, int steps);

    instruments::Voice voice;
    int steps_per_bar;
    double gain;
    double pan;     // -1 left to 1 right
    double reverb;  // send level
    double swing_amount = 0;
    double sway_depth = 0;
    int sway_steps = 16;
    double cursor = 0;
    std::vector<Event> events;
    std::vector<std::string> errors;

private:
    bool check_bar_line();
};

struct Song {
    std::string name;
    int step_frames = 3675;  // one sixteenth note at 90 beats a minute
    int steps_per_bar = 16;
    int bars = 8;
    double humanize = 0.006;  // seconds of random timing spread
    double reverb_room = 0.82;
    double reverb_damping = 0.4;
    double loudness = -20;  // integrated LUFS the mix is brought to
    uint64_t seed = 1;
    std::vector<Track> tracks;

    Track& track(instruments::Voice voice, double gain, double pan, double reverb);
    size_t frames() const;
    std::vector<std::string> errors() const;
};

// The tracks mixed, before the level is set.
synth::Stereo mix(const Song& song);
// The whole song as a loop of exactly `frames()` samples: notes that ring past the end, and
// the reverb's tail, wrap round into the start, so the loop has no seam. Brought to the
// song's loudness, unless its peaks would come too close to full scale.
synth::Stereo render(const Song& song);

// The three tracks of the game.
Song title();
Song deepdiggin();
Song wormfood();

}  // namespace song
