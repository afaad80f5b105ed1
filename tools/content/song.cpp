#include "song.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace song {
namespace {

// "C4" is 60; returns false on anything that is not a note name.
bool parse_pitch(std::string_view text, double& note) {
    static constexpr int kSemitones[] = {9, 11, 0, 2, 4, 5, 7};  // A to G
    if (text.empty()) return false;
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    if (letter < 'A' || letter > 'G') return false;
    int semitone = kSemitones[letter - 'A'];
    size_t i = 1;
    if (i < text.size() && (text[i] == '#' || text[i] == 'b')) {
        semitone += text[i] == '#' ? 1 : -1;
        ++i;
    }
    if (i + 1 != text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    note = 12 * (text[i] - '0' + 1) + semitone;
    return true;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

Track::Track(instruments::Voice voice_, int steps_per_bar_, double gain_, double pan_,
             double reverb_)
    : voice(voice_), steps_per_bar(steps_per_bar_), gain(gain_), pan(pan_), reverb(reverb_) {}

bool Track::check_bar_line() {
    double bar = cursor / steps_per_bar;
    if (bar == std::floor(bar)) return true;
    char message[96];
    std::snprintf(message, sizeof message, "bar line at step %g, %g steps into a bar", cursor,
                  cursor - std::floor(bar) * steps_per_bar);
    errors.push_back(message);
    return false;
}

Track& Track::notes(std::string_view text) {
    double length = 1;
    for (std::string_view token : split(text, ' ')) {
        if (token == "|") {
            check_bar_line();
            continue;
        }
        std::string_view word = token;
        double velocity = 0.8;
        bool vibrato = false;
        if (word.front() == '+' || word.front() == '-') {
            velocity = word.front() == '+' ? 1.0 : 0.5;
            word.remove_prefix(1);
        }
        if (!word.empty() && word.back() == '~') {
            vibrato = true;
            word.remove_suffix(1);
        }
        size_t colon = word.find(':');
        if (colon != std::string_view::npos) {
            std::string digits(word.substr(colon + 1));
            char* end = nullptr;
            length = std::strtod(digits.c_str(), &end);
            if (digits.empty() || *end != '\0' || length <= 0) {
                errors.push_back("bad length in '" + std::string(token) + "'");
                return *this;
            }
            word = word.substr(0, colon);
        }
        if (word != "r") {
            for (std::string_view name : split(word, '/')) {
                double pitch = 0;
                if (!parse_pitch(name, pitch)) {
                    errors.push_back("bad note in '" + std::string(token) + "'");
                    return *this;
                }
                events.push_back({cursor, length, pitch, velocity, vibrato});
            }
        }
        cursor += length;
    }
    return *this;
}

Track& Track::hits(std::string_view pattern) {
    for (char c : pattern) {
        if (c == ' ') continue;
        if (c == '|') {
            check_bar_line();
            continue;
        }
        double velocity = c == 'X' ? 1.0 : c == 'x' ? 0.75 : c == 'o' ? 0.45 : 0.0;
        if (velocity == 0.0 && c != '.') {
            errors.push_back(std::string("bad hit '") + c + "'");
            return *this;
        }
        if (velocity > 0) events.push_back({cursor, 1, 60, velocity, false});
        cursor += 1;
    }
    return *this;
}

Track& Track::at_bar(int bar) {
    cursor = static_cast<double>(bar) * steps_per_bar;
    return *this;
}

Track& Track::swing(double amount) {
    swing_amount = amount;
    return *this;
}

Track& Track::sway(double depth, int steps) {
    sway_depth = depth;
    sway_steps = steps;
    return *this;
}

Track& Song::track(instruments::Voice voice, double gain, double pan, double reverb) {
    tracks.emplace_back(voice, steps_per_bar, gain, pan, reverb);
    return tracks.back();
}

size_t Song::frames() const { return static_cast<size_t>(step_frames) * steps_per_bar * bars; }

std::vector<std::string> Song::errors() const {
    std::vector<std::string> all;
    int total_steps = steps_per_bar * bars;
    for (size_t t = 0; t < tracks.size(); ++t) {
        std::string where = name + ", track " + std::to_string(t) + ": ";
        for (const std::string& e : tracks[t].errors) all.push_back(where + e);
        if (tracks[t].cursor > total_steps) {
            all.push_back(where + "runs past the end of the loop");
        }
        if (total_steps % tracks[t].sway_steps != 0) {
            all.push_back(where + "sways out of step with the loop");
        }
    }
    return all;
}

synth::Stereo mix(const Song& song) {
    const size_t n = song.frames();
    synth::Stereo dry(n);
    synth::Mono send(n, 0.0f);
    synth::Rng timing(song.seed);
    const double step_seconds = static_cast<double>(song.step_frames) / synth::kRate;

    for (size_t t = 0; t < song.tracks.size(); ++t) {
        const Track& track = song.tracks[t];
        const double sway_frames = static_cast<double>(track.sway_steps) * song.step_frames;
        for (size_t e = 0; e < track.events.size(); ++e) {
            const Event& event = track.events[e];
            instruments::Note note;
            note.hz = synth::midi_hz(event.note);
            note.gate = event.length * step_seconds;
            note.velocity = event.velocity;
            note.vibrato = event.vibrato;
            note.seed = song.seed * 1000003u + t * 7919u + e;
            synth::Mono sound = track.voice(note);

            double start = event.step * song.step_frames;
            double whole = std::floor(event.step);
            if (event.step == whole && static_cast<long>(whole) % 2 == 1) {
                start += track.swing_amount * song.step_frames;
            }
            start += timing.range(-song.humanize, song.humanize) * synth::kRate;
            // Loudness follows the velocity more than linearly, as players do.
            double gain = track.gain * std::pow(event.velocity, 1.5);
            const long length = static_cast<long>(n);
            const long first = std::lround(start);
            for (size_t i = 0; i < sound.size(); ++i) {
                // Notes that run past the end of the loop are heard at its start.
                long at = (first + static_cast<long>(i)) % length;
                const size_t pos = static_cast<size_t>(at < 0 ? at + length : at);
                double pan = track.pan;
                if (track.sway_depth != 0) {
                    pan += track.sway_depth * std::sin(synth::kTwoPi * pos / sway_frames);
                }
                // Equal power, with the centre at unity in both speakers.
                double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * synth::kPi / 4;
                double s = sound[i] * gain * std::sqrt(2.0);
                dry.left[pos] += static_cast<float>(s * std::cos(angle));
                dry.right[pos] += static_cast<float>(s * std::sin(angle));
                send[pos] += static_cast<float>(sound[i] * gain * track.reverb);
            }
        }
    }

    // The reverb and the master filters have memory, so they run over the loop twice and only
    // the second pass is kept: it starts with the tail of the first one, as a looping player
    // would hear it.
    synth::Reverb reverb(song.reverb_room, song.reverb_damping);
    synth::Biquad rumble[2] = {synth::Biquad::highpass(35, 0.7), synth::Biquad::highpass(35, 0.7)};
    // Some air on top: the hats, shakers and the leads' upper harmonics.
    synth::Biquad air[2] = {synth::Biquad::high_shelf(4000, 0.7, 3),
                            synth::Biquad::high_shelf(4000, 0.7, 3)};
    synth::Stereo out(n);
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < n; ++i) {
            float wet_left = 0, wet_right = 0;
            reverb.process(send[i], wet_left, wet_right);
            float left = air[0].process(rumble[0].process(dry.left[i] + wet_left));
            float right = air[1].process(rumble[1].process(dry.right[i] + wet_right));
            if (pass == 1) {
                out.left[i] = left;
                out.right[i] = right;
            }
        }
    }

    return out;
}

synth::Stereo render(const Song& song) {
    synth::Stereo out = mix(song);
    synth::Levels levels = synth::measure(out);
    double gain_db = song.loudness - levels.loudness;
    // Headroom for the sound effects that play on top (the game counts on the music staying
    // under -9 dBFS), and half a decibel for the codec's overshoot.
    const double ceiling_db = -9.5;
    if (levels.peak_db + gain_db > ceiling_db) {
        std::fprintf(stderr, "%s: peaks hold the mix %.1f dB below its loudness target\n",
                     song.name.c_str(), levels.peak_db + gain_db - ceiling_db);
        gain_db = ceiling_db - levels.peak_db;
    }
    synth::scale(out, synth::db_gain(gain_db));
    return out;
}

}  // namespace song
