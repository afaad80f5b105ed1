// Sound building blocks for the content generator: a seeded random source, band-limited
// oscillators, envelopes, filters, a reverb, level measurement and the WAV and Ogg writers.
// Everything is deterministic: the same code and seeds give the same bytes on every run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace synth {

constexpr int kRate = 22050;  // the game's mixer rate: no resampling on load
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

using Mono = std::vector<float>;

struct Stereo {
    Mono left;
    Mono right;
    explicit Stereo(size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
    size_t frames() const { return left.size(); }
};

// SplitMix64: tiny, and its output is fixed by the seed alone (unlike the standard
// distributions, whose algorithms differ between libraries).
class Rng {
public:
    explicit Rng(uint64_t seed) : state(seed) {}
    uint64_t next();
    double uniform();                    // [0, 1)
    double range(double lo, double hi);  // [lo, hi)
    int below(int n);                    // 0 to n - 1
    float noise() { return static_cast<float>(uniform() * 2.0 - 1.0); }

    uint64_t state;
};

double midi_hz(double note);
double db_gain(double db);
double gain_db(double gain);  // -200 for silence
int seconds(double s);        // whole samples at kRate
// Rises linearly from 0 to 1 over `attack` seconds, then stays at 1: the click-free onset.
inline double ramp(double t, double attack) { return t < attack ? t / attack : 1.0; }

// Naive sawtooth minus a polynomial band-limited step at the wrap: no audible aliasing.
double saw(double phase, double phase_step);

// Linear attack, exponential decay towards `sustain`, then a quadratic release to exactly zero
// once the gate closes. Times in seconds.
struct Envelope {
    double attack = 0.005;
    double decay = 0.3;
    double sustain = 1.0;
    double release = 0.1;
    double level(double t, double gate) const;
    double length(double gate) const { return gate + release; }
};

// Robert Bristow-Johnson's biquads, direct form I in double precision.
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    static Biquad lowpass(double hz, double q);
    static Biquad highpass(double hz, double q);
    static Biquad bandpass(double hz, double q);
    static Biquad high_shelf(double hz, double q, double db);
    float process(float x);
    void apply(Mono& samples);
};

// Topology-preserving state-variable filter: stays stable and smooth while its cutoff moves
// every sample, which the wah and sweep sounds need.
struct Svf {
    double ic1 = 0, ic2 = 0;
    double low = 0, band = 0, high = 0;
    void process(double x, double hz, double q);
};

// Freeverb's combs and all-passes, tuned for 22050 Hz; stereo spread between the channels.
class Reverb {
public:
    Reverb(double room, double damping);
    void process(float in, float& out_left, float& out_right);

private:
    struct Comb {
        std::vector<float> buffer;
        size_t index = 0;
        float store = 0;
    };
    struct Allpass {
        std::vector<float> buffer;
        size_t index = 0;
    };
    float comb(Comb& c, float in);
    static float allpass(Allpass& a, float in);

    double feedback;
    double damping;
    std::vector<Comb> combs[2];
    std::vector<Allpass> allpasses[2];
};

void fade_edges(Mono& samples, double in_seconds, double out_seconds);
// Cuts the tail once it stays below `floor_db` for good, then fades the last few milliseconds.
void trim_tail(Mono& samples, double floor_db);
void scale(Mono& samples, double gain);
void scale(Stereo& samples, double gain);

struct Levels {
    double peak_db = 0;        // highest sample, dBFS
    double rms_db = 0;         // over the whole file, dBFS
    double loudness = 0;       // integrated loudness, K-weighted and gated, LUFS
    double max_momentary = 0;  // loudest 400 ms window, LUFS
};
Levels measure(const Stereo& samples);
Levels measure(const Mono& samples);

// 16-bit PCM with seeded triangular dither. Reports a failure on stderr and returns false.
bool write_wav(const std::string& path, const Mono& samples, uint64_t dither_seed);
// Ogg Vorbis through libvorbisenc; the fixed stream serial keeps the bytes reproducible.
bool write_ogg(const std::string& path, const Stereo& samples, float quality, int serial);

}  // namespace synth
