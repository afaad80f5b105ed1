#include "sfx.h"

#include <algorithm>
#include <cmath>

using synth::kRate;
using synth::kTwoPi;
using synth::Mono;
using synth::ramp;

namespace sfx {
namespace {

constexpr double kDt = 1.0 / kRate;

void add(Mono& out, size_t at, const Mono& sound, double gain) {
    for (size_t i = 0; i < sound.size() && at + i < out.size(); ++i) {
        out[at + i] += static_cast<float>(sound[i] * gain);
    }
}

// Brings an effect to the loudness of its family, measured on its loudest 400 ms, so the
// variants of one effect are equally loud whatever their seed gave them. The peak ceiling
// leaves room for the music (which peaks at -9 dBFS): one effect over it never needs turning
// down by the game's mixer.
void finish(Mono& out, double loudness) {
    synth::trim_tail(out, -66);
    synth::fade_edges(out, 0.001, 0.012);
    synth::Levels levels = synth::measure(out);
    double gain_db = loudness - levels.max_momentary;
    const double ceiling_db = -4.5;
    if (levels.peak_db + gain_db > ceiling_db) gain_db = ceiling_db - levels.peak_db;
    synth::scale(out, synth::db_gain(gain_db));
}

// A raised-cosine rise from 0 to 1 over `attack` seconds: no corner at the onset, so no click.
double soft_onset(double t, double attack) {
    return t >= attack ? 1.0 : 0.5 - 0.5 * std::cos(synth::kPi * t / attack);
}

// A tone whose pitch follows `hz(t)`, from a sine with a little of its second and third
// harmonics: round but not hollow.
template <typename Pitch, typename Level>
Mono tone(double length, Pitch hz, Level level) {
    Mono out(static_cast<size_t>(synth::seconds(length)), 0.0f);
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        double y = std::sin(kTwoPi * phase) + 0.15 * std::sin(2 * kTwoPi * phase) +
                   0.05 * std::sin(3 * kTwoPi * phase);
        phase += hz(t) * kDt;
        out[i] = static_cast<float>(y * level(t));
    }
    synth::fade_edges(out, 0, 0.01);
    return out;
}

}  // namespace

Mono cronch(int variant) {
    synth::Rng rng(0xC20C + 7919 * variant);
    Mono out(static_cast<size_t>(synth::seconds(0.3)), 0.0f);

    // The head knocks against the stone...
    double knock_hz = rng.range(90, 140);
    add(out, 0,
        tone(
            0.12, [&](double t) { return knock_hz * (1 + 0.7 * std::exp(-t / 0.01)); },
            [](double t) { return ramp(t, 0.001) * std::exp(-t / 0.03); }),
        0.6);

    // ...and the stone gives way in a spray of short crackles, thickest at the start. Each
    // grain's noise is held for a sample or two, which coarsens it into grit.
    int grains = 6 + rng.below(5);
    double spread = rng.range(0.12, 0.18);
    for (int g = 0; g < grains; ++g) {
        double at = spread * std::pow(static_cast<double>(g) / grains, 1.6) + rng.range(0, 0.012);
        double length = rng.range(0.008, 0.03);
        synth::Biquad colour = synth::Biquad::bandpass(rng.range(600, 3400), rng.range(1.2, 3.0));
        int hold = 1 + rng.below(3);
        double gain = 2.6 * rng.range(0.5, 1.0) * (1.0 - 0.5 * g / grains);
        Mono grain(static_cast<size_t>(synth::seconds(length)), 0.0f);
        float held = 0;
        for (size_t i = 0; i < grain.size(); ++i) {
            if (i % hold == 0) held = rng.noise();
            double t = i * kDt;
            grain[i] = static_cast<float>(colour.process(held) * ramp(t, 0.001) *
                                          std::exp(-t / (length / 3)));
        }
        add(out, static_cast<size_t>(synth::seconds(at)), grain, gain);
    }

    // A bed of dull rubble under the crackles holds them together.
    synth::Biquad rubble = synth::Biquad::lowpass(rng.range(1400, 2200), 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        out[i] += static_cast<float>(0.3 * rubble.process(rng.noise()) * ramp(t, 0.002) *
                                     std::exp(-t / 0.06));
    }

    synth::Biquad low_cut = synth::Biquad::highpass(90, 0.7);
    synth::Biquad high_cut = synth::Biquad::lowpass(7000, 0.7);
    for (float& s : out) s = high_cut.process(low_cut.process(std::tanh(1.5f * s)));
    finish(out, -16);
    return out;
}

Mono yum(int variant) {
    // Each variant chirps two notes of the C major pentatonic, so any two in a row agree.
    struct Chirp {
        int first, interval;
    };
    static constexpr Chirp kChirps[8] = {{76, 5}, {79, 5}, {72, 7}, {74, 7},
                                         {81, 3}, {79, 7}, {76, 3}, {84, 4}};
    const Chirp chirp = kChirps[variant % 8];
    synth::Rng rng(0x7A7A + 104729 * variant);
    Mono out(static_cast<size_t>(synth::seconds(0.5)), 0.0f);

    // The gulp: a bubble of a sound whose pitch rises as it closes.
    double gulp_hz = 170 + 14 * variant;
    double swell = rng.range(1.2, 1.6);
    add(out, 0,
        tone(
            0.13, [&](double t) { return gulp_hz * (1 + swell * (1 - std::exp(-t / 0.025))); },
            [](double t) { return soft_onset(t, 0.012) * std::exp(-t / 0.04); }),
        0.9);

    // The chirp: two short notes, each sliding up into its pitch and swelling in softly: a
    // faster rise clicks at every onset.
    double gap = rng.range(0.055, 0.07);
    for (int k = 0; k < 2; ++k) {
        double hz = synth::midi_hz(chirp.first + k * chirp.interval);
        double decay = k == 0 ? 0.05 : 0.1;
        Mono note = tone(
            k == 0 ? 0.15 : 0.3,
            [&](double t) { return hz * std::pow(2.0, -0.4 * std::exp(-t / 0.012) / 12.0); },
            [&](double t) { return soft_onset(t, 0.012) * std::exp(-t / decay); });
        add(out, static_cast<size_t>(synth::seconds(0.075 + k * gap)), note, 0.5);
    }
    finish(out, -15);
    return out;
}

Mono ouch(int variant) {
    synth::Rng rng(0x0C4 + 15485863 * variant);
    Mono out(static_cast<size_t>(synth::seconds(0.4)), 0.0f);

    // The bite lands with a soft thud...
    add(out, 0,
        tone(
            0.15, [](double t) { return 85 * (1 + 0.8 * std::exp(-t / 0.008)); },
            [](double t) { return ramp(t, 0.001) * std::exp(-t / 0.045); }),
        0.9);
    synth::Biquad dull = synth::Biquad::lowpass(500, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        out[i] += static_cast<float>(1.2 * dull.process(rng.noise()) * std::exp(-t / 0.02));
    }

    // ...and the worm squeals: a reedy voice that jumps up and falls away, with a tremble.
    double peak_hz = 880 + 110 * variant + rng.range(-30, 30);
    double length = rng.range(0.22, 0.3);
    double tremble = rng.range(12, 17);
    double start = 0.012;
    synth::Svf throat;
    double phase = 0;
    Mono squeal(static_cast<size_t>(synth::seconds(length)), 0.0f);
    for (size_t i = 0; i < squeal.size(); ++i) {
        double t = i * kDt, u = t / length;
        double contour = t < 0.03 ? 0.75 + 0.25 * t / 0.03 : 1.0 - 0.45 * std::pow(u, 1.3);
        double hz = peak_hz * contour * (1 + 0.02 * std::sin(kTwoPi * tremble * t));
        double step = hz * kDt;
        double y = synth::saw(phase, step);
        phase += step;
        phase -= std::floor(phase);
        throat.process(y, 2.5 * hz, 1.6);
        double fall = u > 0.7 ? (1 - u) / 0.3 : 1.0;
        squeal[i] = static_cast<float>((throat.low + 0.5 * throat.band) * ramp(t, 0.008) * fall);
    }
    add(out, static_cast<size_t>(synth::seconds(start)), squeal, 0.45);
    finish(out, -14);
    return out;
}

Mono boom(int variant) {
    synth::Rng rng(0xB00 + 32452843 * variant);
    const double length = 1.5;
    Mono out(static_cast<size_t>(synth::seconds(length)), 0.0f);

    double cutoff = rng.range(200, 300);
    double sub_hz = rng.range(40, 56);
    double aftershock = rng.range(0.22, 0.55);
    double aftershock_gain = rng.range(0.3, 0.6);
    double brown = 0, wobble = 0;
    synth::Svf earth, body;
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        // Brown noise, darkened further: rumble with no hiss in it.
        brown = 0.985 * brown + 0.12 * rng.noise();
        earth.process(brown, cutoff, 0.9);
        // The low-mid growl that small speakers can still play.
        body.process(rng.noise(), cutoff, 0.8);
        // The rumble's loudness wanders a little, like rock shifting far away.
        wobble = 0.998 * wobble + 0.002 * rng.noise() * 30;
        double swell = t < 0.05 ? 0.5 - 0.5 * std::cos(synth::kPi * t / 0.05) : 1.0;
        double level = swell * std::exp(-t / 0.45);
        if (t > aftershock)
            level +=
                aftershock_gain * std::exp(-(t - aftershock) / 0.28) * ramp(t - aftershock, 0.04);
        double rumble = (earth.low + 3.0 * body.band) * level * (0.8 + 0.2 * std::tanh(wobble));

        phase += sub_hz * (1 + 0.5 * std::exp(-t / 0.08)) * kDt;
        // Driven hard, so its overtones carry it to speakers too small for the fundamental.
        double sub =
            std::tanh(2.5 * std::sin(kTwoPi * phase)) * ramp(t, 0.015) * std::exp(-t / 0.35);
        out[i] = static_cast<float>(rumble + 0.4 * sub);
    }

    // Heard through a lot of earth: only the low end arrives, smeared by the caves.
    synth::Biquad distance = synth::Biquad::lowpass(600, 0.7);
    distance.apply(out);
    synth::Reverb cave(0.7, 0.6);
    for (float& s : out) {
        float wet = 0, unused = 0;
        cave.process(s, wet, unused);
        s += 0.8f * wet;
    }
    synth::fade_edges(out, 0.004, 0.3);
    finish(out, -14);
    return out;
}

}  // namespace sfx
