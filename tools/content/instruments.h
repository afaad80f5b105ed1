// The voices of the band: each renders one note, its tail included, as a mono buffer that
// starts at the note's onset. Kept soft and rounded: the game's music plays for minutes.
#pragma once

#include "synth.h"

#include <cstdint>

namespace instruments {

struct Note {
    double hz = 440;
    double gate = 0.25;     // seconds the note is held
    double velocity = 0.8;  // 0 to 1: loudness and, for some voices, brightness
    bool vibrato = false;   // a long wobbling note (the sad trombone's last one)
    uint64_t seed = 1;      // for the voices that use noise
};

using Voice = synth::Mono (*)(const Note&);

// Pitched voices.
synth::Mono electric_piano(const Note& note);  // FM tine piano, the chords
synth::Mono bass(const Note& note);            // round finger bass
synth::Mono marimba(const Note& note);
synth::Mono flute(const Note& note);  // breathy, ocarina-like lead
synth::Mono pad(const Note& note);    // slow, dark, detuned saws
synth::Mono pluck(const Note& note);  // plucked string (Karplus-Strong)
synth::Mono glockenspiel(const Note& note);
synth::Mono tuba(const Note& note);
synth::Mono trombone(const Note& note);  // plunger-muted "wah"
synth::Mono drip(const Note& note);      // a water drop in a cave, tuned

// Percussion: the pitch is ignored.
synth::Mono kick(const Note& note);
synth::Mono snare(const Note& note);  // soft, brushed
synth::Mono closed_hat(const Note& note);
synth::Mono open_hat(const Note& note);
synth::Mono shaker(const Note& note);
synth::Mono rim(const Note& note);
synth::Mono clap(const Note& note);

}  // namespace instruments
