#include "instruments.h"

#include <algorithm>
#include <cmath>

using synth::kPi;
using synth::kRate;
using synth::kTwoPi;
using synth::Mono;
using synth::ramp;

namespace instruments {
namespace {

constexpr double kDt = 1.0 / kRate;
// Partials above this would fold back as harsh aliases, so they are left out.
constexpr double kHighest = kRate * 0.42;

Mono buffer(double seconds) { return Mono(static_cast<size_t>(synth::seconds(seconds)), 0.0f); }

double partial(double phase_cycles, double ratio, double hz) {
    return hz * ratio < kHighest ? std::sin(kTwoPi * phase_cycles * ratio) : 0.0;
}

// Noise with a gentle low-pass, for breath and the body of drums.
struct Noise {
    synth::Rng rng;
    explicit Noise(uint64_t seed) : rng(seed) {}
    float operator()() { return rng.noise(); }
};

}  // namespace

Mono electric_piano(const Note& note) {
    // Lower notes ring longer, as on the real instrument.
    double decay = std::clamp(1.6 * std::pow(262.0 / note.hz, 0.35), 0.5, 3.0);
    synth::Envelope env{0.003, decay, 0.0, 0.2};
    Mono out = buffer(env.length(note.gate));
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        double index = note.velocity * (1.1 * std::exp(-t / 0.18) + 0.3);
        double y = 0;
        // Two carriers a few cents apart make the slow beating of a chorus.
        for (double cents : {-3.5, 3.5}) {
            double cycles = note.hz * std::pow(2.0, cents / 1200.0) * t;
            y += std::sin(kTwoPi * cycles + index * std::sin(kTwoPi * cycles));
        }
        y += 0.25 * note.velocity * std::exp(-t / 0.03) * partial(note.hz * t, 7.0, note.hz);
        out[i] = static_cast<float>(0.5 * y * env.level(t, note.gate));
    }
    return out;
}

Mono bass(const Note& note) {
    synth::Envelope env{0.006, 0.22, 0.5, 0.07};
    Mono out = buffer(env.length(note.gate));
    synth::Biquad soften = synth::Biquad::lowpass(900, 0.7);
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        double y = std::sin(kTwoPi * phase) + 0.35 * partial(phase, 2, note.hz) +
                   0.15 * partial(phase, 3, note.hz);
        // The finger's pluck: a brief bright overtone.
        y += 0.3 * std::exp(-t / 0.012) * partial(phase, 4, note.hz);
        y = std::tanh(1.3 * y);
        phase += note.hz * kDt;
        double level = env.level(t, note.gate) * std::exp(-t / 3.0);
        out[i] = soften.process(static_cast<float>(0.8 * y * level));
    }
    return out;
}

Mono marimba(const Note& note) {
    double tau = std::clamp(0.45 * std::sqrt(262.0 / note.hz), 0.12, 1.0);
    // The bar rings on after a short note but is damped after a long one is let go.
    double length = std::min(6.0 * tau, note.gate + 0.5);
    Mono out = buffer(length);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt, cycles = note.hz * t;
        double y = std::sin(kTwoPi * cycles) * std::exp(-t / tau) +
                   0.3 * note.velocity * partial(cycles, 3.93, note.hz) * std::exp(-t / (tau / 6)) +
                   0.07 * note.velocity * partial(cycles, 9.3, note.hz) * std::exp(-t / 0.01);
        out[i] = static_cast<float>(0.7 * y * ramp(t, 0.0015));
    }
    synth::fade_edges(out, 0, 0.03);
    return out;
}

Mono flute(const Note& note) {
    synth::Envelope env{0.07, 0.4, 0.85, 0.16};
    Mono out = buffer(env.length(note.gate));
    Noise noise(note.seed);
    synth::Svf breath, chiff;
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        // Vibrato creeps in after the note has settled.
        double depth = 0.004 * std::min(1.0, std::max(0.0, t - 0.15) / 0.4);
        double hz = note.hz * (1.0 + depth * std::sin(kTwoPi * 5.1 * t));
        phase += hz * kDt;
        // A little of the upper harmonics keeps the lead bright over the band.
        double y = std::sin(kTwoPi * phase) + 0.12 * partial(phase, 2, hz) +
                   0.04 * partial(phase, 3, hz) + 0.03 * partial(phase, 5, hz) +
                   0.015 * partial(phase, 7, hz);
        float n = noise();
        breath.process(n, hz, 6.0);
        chiff.process(n, 3.0 * hz, 2.0);
        y += 0.5 * breath.band + 0.25 * chiff.band * std::exp(-t / 0.025);
        out[i] = static_cast<float>(0.6 * y * env.level(t, note.gate));
    }
    return out;
}

Mono pad(const Note& note) {
    synth::Envelope env{0.9, 1.0, 1.0, 1.4};
    Mono out = buffer(env.length(note.gate));
    synth::Rng rng(note.seed);
    double phases[3] = {rng.uniform(), rng.uniform(), rng.uniform()};
    const double detune[3] = {-8, 0, 8};
    synth::Biquad dark1 = synth::Biquad::lowpass(750, 0.6);
    synth::Biquad dark2 = synth::Biquad::lowpass(750, 0.6);
    for (size_t i = 0; i < out.size(); ++i) {
        double y = 0;
        for (int v = 0; v < 3; ++v) {
            double step = note.hz * std::pow(2.0, detune[v] / 1200.0) * kDt;
            y += synth::saw(phases[v], step);
            phases[v] += step;
            phases[v] -= std::floor(phases[v]);
        }
        float dark = dark2.process(dark1.process(static_cast<float>(y / 3)));
        out[i] = static_cast<float>(dark * env.level(i * kDt, note.gate));
    }
    return out;
}

Mono pluck(const Note& note) {
    // Karplus-Strong: a burst of noise circulating through a delay one period long, averaged
    // (and so darkened) on every pass. The read position is fractional to keep it in tune.
    double delay = kRate / note.hz - 0.5;
    double length = std::min(note.gate + 0.08, 2.5);
    Mono out = buffer(length + 0.02);
    Noise noise(note.seed);
    synth::Biquad tone = synth::Biquad::lowpass(900 + 1800 * note.velocity, 0.7);
    size_t period = static_cast<size_t>(std::ceil(delay)) + 2;
    for (size_t i = 0; i < out.size(); ++i) {
        if (i < period) {
            out[i] = tone.process(noise()) * static_cast<float>(ramp(i * kDt, 0.001));
            continue;
        }
        double pos = static_cast<double>(i) - delay;
        size_t a = static_cast<size_t>(pos);
        double frac = pos - a;
        double delayed = out[a] * (1 - frac) + out[a + 1] * frac;
        double previous = out[a - 1] * (1 - frac) + out[a] * frac;
        // Damped harder once the note is let go.
        double keep = i * kDt < note.gate ? 0.996 : 0.9;
        out[i] = static_cast<float>(keep * 0.5 * (delayed + previous));
    }
    synth::Biquad body = synth::Biquad::highpass(70, 0.7);
    body.apply(out);
    synth::fade_edges(out, 0, 0.02);
    return out;
}

Mono glockenspiel(const Note& note) {
    Mono out = buffer(std::min(2.5, note.gate + 1.5));
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt, cycles = note.hz * t;
        double y = std::sin(kTwoPi * cycles) * std::exp(-t / 0.6) +
                   0.25 * partial(cycles, 2.76, note.hz) * std::exp(-t / 0.12) +
                   0.08 * partial(cycles, 5.4, note.hz) * std::exp(-t / 0.04);
        out[i] = static_cast<float>(0.6 * y * ramp(t, 0.001));
    }
    synth::fade_edges(out, 0, 0.05);
    return out;
}

Mono tuba(const Note& note) {
    synth::Envelope env{0.04, 0.25, 0.75, 0.09};
    Mono out = buffer(env.length(note.gate));
    synth::Svf lips;
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        // Brass notes start a little flat and are pushed up to pitch.
        double hz = note.hz * std::pow(2.0, -0.45 * std::exp(-t / 0.03) / 12.0);
        double step = hz * kDt;
        double y = 0.6 * synth::saw(phase, step) + 0.6 * std::sin(kTwoPi * phase);
        phase += step;
        phase -= std::floor(phase);
        lips.process(y, hz * (2.2 + 3.0 * note.velocity * std::exp(-t / 0.09)), 0.8);
        out[i] = static_cast<float>(lips.low * env.level(t, note.gate));
    }
    return out;
}

Mono trombone(const Note& note) {
    synth::Envelope env{0.035, 0.3, 0.85, 0.1};
    Mono out = buffer(env.length(note.gate));
    synth::Svf mute;
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        double wobble = 0, sag = 0;
        if (note.vibrato) {
            // A slow start, then a wide, drooping "wah-ah-ah-ah".
            wobble = std::sin(kTwoPi * 5.0 * t) * std::min(1.0, t / 0.35);
            sag = -0.7 * std::min(1.0, t / std::max(note.gate, 0.1));
        }
        double hz = note.hz * std::pow(2.0, (0.45 * wobble + sag) / 12.0);
        double step = hz * kDt;
        double y = synth::saw(phase, step);
        phase += step;
        phase -= std::floor(phase);
        // The plunger opens quickly and half-closes again: the "wah".
        double open = (1.0 - std::exp(-t / 0.05)) * (0.5 + 0.5 * std::exp(-t / 0.3));
        double cutoff = hz * (1.3 + 4.0 * open * (1.0 + 0.45 * wobble));
        mute.process(y, cutoff, 2.2);
        out[i] = static_cast<float>(0.7 * (mute.low + 0.3 * mute.band) * env.level(t, note.gate));
    }
    return out;
}

Mono drip(const Note& note) {
    Mono out = buffer(0.3);
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        // A falling drop's resonance rises quickly in pitch as the bubble closes.
        double hz = note.hz * (1.0 + 1.1 * (1.0 - std::exp(-t / 0.018)));
        phase += hz * kDt;
        out[i] =
            static_cast<float>(std::sin(kTwoPi * phase) * std::exp(-t / 0.055) * ramp(t, 0.0015));
    }
    synth::fade_edges(out, 0, 0.02);
    return out;
}

Mono kick(const Note& note) {
    Mono out = buffer(0.45);
    Noise noise(note.seed);
    synth::Biquad click = synth::Biquad::lowpass(2000, 0.7);
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        phase += (48.0 + 95.0 * std::exp(-t / 0.03)) * kDt;
        double y = std::sin(kTwoPi * phase) * std::exp(-t / 0.22) +
                   0.25 * click.process(noise()) * std::exp(-t / 0.004);
        out[i] = static_cast<float>(std::tanh(1.4 * y) * ramp(t, 0.001));
    }
    synth::fade_edges(out, 0, 0.03);
    return out;
}

Mono snare(const Note& note) {
    Mono out = buffer(0.32);
    Noise noise(note.seed);
    synth::Svf brush;
    synth::Biquad low_cut = synth::Biquad::highpass(250, 0.7);
    synth::Biquad no_sizzle = synth::Biquad::lowpass(5000, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        brush.process(noise(), 1800, 0.7);
        double y = brush.band * std::exp(-t / 0.08) +
                   0.45 * std::sin(kTwoPi * 185 * t) * std::exp(-t / 0.035);
        out[i] = no_sizzle.process(low_cut.process(static_cast<float>(y * ramp(t, 0.004))));
    }
    synth::fade_edges(out, 0, 0.03);
    return out;
}

namespace {

Mono hat(const Note& note, double tau) {
    Mono out = buffer(6 * tau + 0.01);
    Noise noise(note.seed);
    synth::Biquad hiss1 = synth::Biquad::highpass(5000, 0.7);
    synth::Biquad hiss2 = synth::Biquad::highpass(5000, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        float y = hiss2.process(hiss1.process(noise()));
        out[i] = static_cast<float>(0.8 * y * std::exp(-t / tau) * ramp(t, 0.0008));
    }
    synth::fade_edges(out, 0, 0.01);
    return out;
}

}  // namespace

Mono closed_hat(const Note& note) { return hat(note, 0.028); }

Mono open_hat(const Note& note) { return hat(note, 0.16); }

Mono shaker(const Note& note) {
    Mono out = buffer(0.16);
    Noise noise(note.seed);
    synth::Biquad grains = synth::Biquad::bandpass(5200, 1.1);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        double env = t < 0.012 ? t / 0.012 : std::exp(-(t - 0.012) / 0.035);
        out[i] = static_cast<float>(grains.process(noise()) * env);
    }
    synth::fade_edges(out, 0, 0.01);
    return out;
}

Mono rim(const Note& note) {
    Mono out = buffer(0.12);
    Noise noise(note.seed);
    synth::Biquad tick = synth::Biquad::highpass(3000, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt;
        double y = (0.6 * std::sin(kTwoPi * 1700 * t) + 0.4 * std::sin(kTwoPi * 820 * t)) *
                       std::exp(-t / 0.018) +
                   0.3 * tick.process(noise()) * std::exp(-t / 0.002);
        out[i] = static_cast<float>(y * ramp(t, 0.0005));
    }
    synth::fade_edges(out, 0, 0.01);
    return out;
}

Mono clap(const Note& note) {
    Mono out = buffer(0.35);
    Noise noise(note.seed);
    synth::Biquad hands = synth::Biquad::bandpass(1300, 1.4);
    for (size_t i = 0; i < out.size(); ++i) {
        double t = i * kDt, env = 0;
        // A few hands a hair apart, then the room.
        for (double at : {0.0, 0.011, 0.023}) {
            if (t >= at) env += std::exp(-(t - at) / 0.006);
        }
        if (t >= 0.03) env += 0.6 * std::exp(-(t - 0.03) / 0.08);
        out[i] = static_cast<float>(hands.process(noise()) * std::min(env, 1.2) * ramp(t, 0.0005));
    }
    synth::fade_edges(out, 0, 0.02);
    return out;
}

}  // namespace instruments
