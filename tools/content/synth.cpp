#include "synth.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <vector>

#include "tools/support/wav.h"

namespace synth {

uint64_t Rng::next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

double Rng::range(double lo, double hi) { return lo + (hi - lo) * uniform(); }

int Rng::below(int n) { return static_cast<int>(uniform() * n); }

double midi_hz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

double db_gain(double db) { return std::pow(10.0, db / 20.0); }

double gain_db(double gain) { return gain > 1e-10 ? 20.0 * std::log10(gain) : -200.0; }

int seconds(double s) { return static_cast<int>(std::lround(s * kRate)); }

double saw(double phase, double phase_step) {
    double value = 2.0 * phase - 1.0;
    if (phase < phase_step) {
        double t = phase / phase_step;
        value -= t + t - t * t - 1.0;
    } else if (phase > 1.0 - phase_step) {
        double t = (phase - 1.0) / phase_step;
        value -= t * t + t + t + 1.0;
    }
    return value;
}

double Envelope::level(double t, double gate) const {
    auto held = [&](double u) {
        if (u < attack) return u / attack;
        return sustain + (1.0 - sustain) * std::exp(-(u - attack) / decay);
    };
    if (t < 0) return 0;
    if (t < gate) return held(t);
    double r = (t - gate) / release;
    if (r >= 1.0) return 0;
    return held(gate) * (1.0 - r) * (1.0 - r);
}

namespace {

struct Coefficients {
    double b0, b1, b2, a0, a1, a2;
};

Biquad normalised(const Coefficients& c) {
    Biquad q;
    q.b0 = c.b0 / c.a0;
    q.b1 = c.b1 / c.a0;
    q.b2 = c.b2 / c.a0;
    q.a1 = c.a1 / c.a0;
    q.a2 = c.a2 / c.a0;
    return q;
}

double clamp_hz(double hz) { return std::clamp(hz, 10.0, kRate * 0.45); }

}  // namespace

Biquad Biquad::lowpass(double hz, double q) {
    double w = kTwoPi * clamp_hz(hz) / kRate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
    return normalised({(1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha});
}

Biquad Biquad::highpass(double hz, double q) {
    double w = kTwoPi * clamp_hz(hz) / kRate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
    return normalised({(1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha});
}

Biquad Biquad::bandpass(double hz, double q) {
    double w = kTwoPi * clamp_hz(hz) / kRate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
    return normalised({alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha});
}

Biquad Biquad::high_shelf(double hz, double q, double db) {
    double a = std::pow(10.0, db / 40.0), w = kTwoPi * clamp_hz(hz) / kRate;
    double c = std::cos(w), alpha = std::sin(w) / (2 * q), root = 2 * std::sqrt(a) * alpha;
    return normalised({a * ((a + 1) + (a - 1) * c + root), -2 * a * ((a - 1) + (a + 1) * c),
                       a * ((a + 1) + (a - 1) * c - root), (a + 1) - (a - 1) * c + root,
                       2 * ((a - 1) - (a + 1) * c), (a + 1) - (a - 1) * c - root});
}

float Biquad::process(float x) {
    double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return static_cast<float>(y);
}

void Biquad::apply(Mono& samples) {
    for (float& s : samples) s = process(s);
}

void Svf::process(double x, double hz, double q) {
    double g = std::tan(kPi * clamp_hz(hz) / kRate), k = 1.0 / q;
    double a1 = 1.0 / (1.0 + g * (g + k)), a2 = g * a1, a3 = g * a2;
    double v3 = x - ic2;
    double v1 = a1 * ic1 + a2 * v3;
    double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2 * v1 - ic1;
    ic2 = 2 * v2 - ic2;
    low = v2;
    band = v1;
    high = x - k * v1 - v2;
}

Reverb::Reverb(double room, double damp) : feedback(room), damping(damp) {
    // Freeverb's delay lengths, halved for 22050 Hz; the right channel is spread a little.
    const int comb_lengths[] = {558, 594, 638, 678, 711, 745, 778, 808};
    const int allpass_lengths[] = {278, 220, 170, 112};
    const int spread[] = {0, 11};
    for (int ch = 0; ch < 2; ++ch) {
        for (int n : comb_lengths) combs[ch].push_back({std::vector<float>(n + spread[ch])});
        for (int n : allpass_lengths) {
            allpasses[ch].push_back({std::vector<float>(n + spread[ch])});
        }
    }
}

float Reverb::comb(Comb& c, float in) {
    float out = c.buffer[c.index];
    c.store = static_cast<float>(out * (1.0 - damping) + c.store * damping);
    c.buffer[c.index] = static_cast<float>(in + c.store * feedback);
    c.index = (c.index + 1) % c.buffer.size();
    return out;
}

float Reverb::allpass(Allpass& a, float in) {
    float delayed = a.buffer[a.index];
    a.buffer[a.index] = in + delayed * 0.5f;
    a.index = (a.index + 1) % a.buffer.size();
    return delayed - in;
}

void Reverb::process(float in, float& out_left, float& out_right) {
    float* outs[2] = {&out_left, &out_right};
    for (int ch = 0; ch < 2; ++ch) {
        float sum = 0;
        for (Comb& c : combs[ch]) sum += comb(c, in * 0.05f);
        for (Allpass& a : allpasses[ch]) sum = allpass(a, sum);
        *outs[ch] = sum;
    }
}

void fade_edges(Mono& samples, double in_seconds, double out_seconds) {
    size_t n = samples.size();
    size_t in = std::min(n, static_cast<size_t>(seconds(in_seconds)));
    size_t out = std::min(n, static_cast<size_t>(seconds(out_seconds)));
    // Raised-cosine ramps that reach exactly zero at the first and last sample.
    for (size_t i = 0; i < in; ++i) {
        samples[i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * i / in));
    }
    for (size_t i = 0; i < out; ++i) {
        samples[n - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * i / out));
    }
}

void trim_tail(Mono& samples, double floor_db) {
    float floor = static_cast<float>(db_gain(floor_db));
    size_t end = samples.size();
    while (end > 0 && std::fabs(samples[end - 1]) < floor) --end;
    samples.resize(std::min(samples.size(), end + static_cast<size_t>(seconds(0.01))));
    fade_edges(samples, 0, 0.01);
}

void scale(Mono& samples, double gain) {
    for (float& s : samples) s = static_cast<float>(s * gain);
}

void scale(Stereo& samples, double gain) {
    scale(samples.left, gain);
    scale(samples.right, gain);
}

Levels measure(const Stereo& samples) {
    Levels levels;
    size_t n = samples.frames();
    if (n == 0) return levels;
    double peak = 0, sum = 0;
    std::vector<double> weighted[2];
    const Mono* channels[2] = {&samples.left, &samples.right};
    for (int ch = 0; ch < 2; ++ch) {
        // K-weighting: a shelf that stands for the head, then a high-pass that ignores rumble.
        Biquad shelf = Biquad::high_shelf(1681.97, 0.70718, 3.99984);
        Biquad rumble = Biquad::highpass(38.1355, 0.50033);
        weighted[ch].resize(n);
        for (size_t i = 0; i < n; ++i) {
            double x = (*channels[ch])[i];
            peak = std::max(peak, std::fabs(x));
            sum += x * x;
            double k = rumble.process(shelf.process(static_cast<float>(x)));
            weighted[ch][i] = k * k;
        }
    }
    levels.peak_db = gain_db(peak);
    levels.rms_db = gain_db(std::sqrt(sum / (2.0 * n)));

    // 400 ms blocks, 75 % overlap; a file shorter than a block is one block.
    size_t block = std::min(n, static_cast<size_t>(seconds(0.4)));
    size_t hop = std::max<size_t>(1, block / 4);
    std::vector<double> blocks;
    for (size_t start = 0; start + block <= n; start += hop) {
        double power = 0;
        for (int ch = 0; ch < 2; ++ch) {
            for (size_t i = start; i < start + block; ++i) power += weighted[ch][i];
        }
        blocks.push_back(power / block);
    }
    auto lufs = [](double power) { return power > 0 ? -0.691 + 10 * std::log10(power) : -200.0; };
    auto gated_mean = [&](double threshold) {
        double total = 0;
        int count = 0;
        for (double p : blocks) {
            if (lufs(p) > threshold) {
                total += p;
                ++count;
            }
        }
        return count ? total / count : 0.0;
    };
    double relative = lufs(gated_mean(-70.0)) - 10.0;
    levels.loudness = lufs(gated_mean(relative));
    levels.max_momentary = lufs(*std::max_element(blocks.begin(), blocks.end()));
    return levels;
}

Levels measure(const Mono& samples) {
    // The mixer plays a mono sample on both speakers, so it is weighed as two channels.
    Stereo both(0);
    both.left = samples;
    both.right = samples;
    return measure(both);
}

bool write_wav(const std::string& path, const Mono& samples, uint64_t dither_seed) {
    std::vector<int16_t> pcm;
    pcm.reserve(samples.size());
    Rng dither(dither_seed);
    for (float s : samples) {
        double v = s * 32767.0;
        // Exact zeros stay zero so the faded ends are true silence.
        if (s != 0.0f) v += dither.uniform() - dither.uniform();
        pcm.push_back(static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L)));
    }
    if (!wav::write(path, pcm, kRate)) {
        std::fprintf(stderr, "Cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

bool write_ogg(const std::string& path, const Stereo& samples, float quality, int serial) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "Cannot write %s\n", path.c_str());
        return false;
    }
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, kRate, quality) != 0) {
        std::fprintf(stderr, "The Vorbis encoder refused its settings for %s\n", path.c_str());
        vorbis_info_clear(&info);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "ARTIST", "Burrowgale content generator");
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);

    ogg_page page;
    auto write_page = [&]() {
        out.write(reinterpret_cast<const char*>(page.header), page.header_len);
        out.write(reinterpret_cast<const char*>(page.body), page.body_len);
    };
    ogg_packet header, header_comment, header_code;
    vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &header_comment);
    ogg_stream_packetin(&stream, &header_code);
    // The headers get pages of their own, so audio starts on a fresh page.
    while (ogg_stream_flush(&stream, &page) != 0) write_page();

    auto drain = [&]() {
        ogg_packet packet;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) write_page();
            }
        }
    };
    const size_t chunk = 4096;
    for (size_t start = 0; start < samples.frames(); start += chunk) {
        size_t n = std::min(chunk, samples.frames() - start);
        float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
        std::copy_n(samples.left.begin() + start, n, buffer[0]);
        std::copy_n(samples.right.begin() + start, n, buffer[1]);
        vorbis_analysis_wrote(&dsp, static_cast<int>(n));
        drain();
    }
    vorbis_analysis_wrote(&dsp, 0);
    drain();
    while (ogg_stream_flush(&stream, &page) != 0) write_page();

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    out.close();
    if (!out) {
        std::fprintf(stderr, "Cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace synth
