#include "engine/audio.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "engine/util.h"

namespace {

// One value from the system's random device; the clock stands in where there is none, since a
// sound variant is not worth stopping the game for.
unsigned int random_device_value() {
    try {
        std::random_device device;
        return device();
    } catch (...) {
        return static_cast<unsigned int>(
            std::chrono::steady_clock::now().time_since_epoch().count());
    }
}

// The largest sample value of a chunk as a fraction of full scale. Chunks hold the mixer's
// format; one that is not 16-bit counts as reaching full scale.
double peak_of(const Mix_Chunk& chunk) {
    int frequency = 0;
    int channels = 0;
    Uint16 format = 0;
    if (Mix_QuerySpec(&frequency, &format, &channels) == 0 || format != AUDIO_S16SYS) return 1.0;
    int highest = 0;
    for (Uint32 at = 0; at + 1 < chunk.alen; at += 2) {
        int16_t value = 0;
        std::memcpy(&value, chunk.abuf + at, sizeof value);
        highest = std::max(highest, std::abs(static_cast<int>(value)));
    }
    return highest / 32768.0;
}

}  // namespace

Audio::Audio(const Config& config_) : config(config_) {
    Mix_OpenAudio(config.frequency, config.format, config.channels, config.chunksize);
    set_music_level(config.music_level);
    set_effects_level(config.effects_level);
}

Audio::~Audio() {
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    for (auto& [path, chunk] : samples) Mix_FreeChunk(chunk);
    for (auto& [path, track] : music) Mix_FreeMusic(track);
    Mix_CloseAudio();
}

std::string Audio::sample_path(const std::string& name) const {
    if (config.sample_extension.empty()) return config.content + name;
    const auto dot = name.rfind('.');
    return config.content + name.substr(0, dot) + config.sample_extension;
}

Mix_Chunk* Audio::load_chunk(const std::string& name) {
    const std::string path = sample_path(name);
    if (auto found = samples.find(path); found != samples.end()) return found->second;
    Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
    if (chunk == nullptr) {
        std::fprintf(stderr, "Couldn't load sample %s: %s\n", path.c_str(), SDL_GetError());
    }
    samples[path] = chunk;
    sample_peaks[path] = chunk == nullptr ? 0.0 : peak_of(*chunk);
    return chunk;
}

Mix_Music* Audio::load_music(const std::string& name) {
    const std::string path = config.content + name;
    if (auto found = music.find(path); found != music.end()) return found->second;
    Mix_Music* track = Mix_LoadMUS(path.c_str());
    if (track == nullptr) {
        std::fprintf(stderr, "Couldn't load music %s: %s\n", path.c_str(), SDL_GetError());
    }
    music[path] = track;
    return track;
}

void Audio::play_sample(const std::string& name) { play_effect(name, name); }

void Audio::play_effect(const std::string& effect, const std::string& file) {
    Mix_Chunk* chunk = load_chunk(file);
    if (chunk == nullptr) return;
    const double peak = sample_peaks[sample_path(file)];
    std::deque<Voice>& copies = voices[effect];
    // Forgotten first, so that a copy that has finished does not count against the limit.
    limit(peak);
    while (copies.size() >= kMaxCopies) {
        Mix_HaltChannel(copies.front().channel);
        copies.pop_front();
        limit(peak);
    }
    const int channel = Mix_PlayChannelTimed(-1, chunk, 0, -1);
    if (channel >= 0) copies.push_back({channel, chunk, peak});
}

void Audio::limit(double extra_peak) {
    double peaks = extra_peak;
    for (auto& [effect, copies] : voices) {
        std::erase_if(copies, [](const Voice& v) {
            // A channel that stopped, or that plays something else now, has let the voice go.
            return Mix_Playing(v.channel) == 0 || Mix_GetChunk(v.channel) != v.chunk;
        });
        for (const Voice& v : copies) peaks += v.peak;
    }
    // The player's level scales every effect before the limiter looks at it.
    const double level = effects_level / 10.0;
    peaks *= level;
    double room = kCeiling;
    if (Mix_PlayingMusic() == 1) room -= kMusicPeak * Mix_VolumeMusic(-1) / MIX_MAX_VOLUME;
    const double gain = peaks <= room ? 1.0 : std::max(room, 0.0) / peaks;
    // Rounded down, so that the mixer's volume never exceeds the gain.
    const int volume = static_cast<int>(gain * level * MIX_MAX_VOLUME);
    if (volume != effects_volume) Mix_Volume(-1, volume);
    effects_volume = volume;
    effects_gain = gain;
}

void Audio::play_random_sample(const std::string& name, int count) {
    // A count below 1 would make an empty range; treat it as the one variant there is.
    if (count < 1) count = 1;
    std::mt19937 engine(random_device_value());
    std::uniform_int_distribution<int> pick(0, count - 1);
    play_effect(name, Util::numbered(name, pick(engine)));
}

void Audio::stop_samples() { Mix_HaltChannel(-1); }

void Audio::play_music(const std::string& name, bool loop) {
    if (name == current_track) return;
    Mix_Music* track = load_music(name);
    if (track != nullptr) Mix_FadeInMusic(track, loop ? -1 : 0, config.fade_time);
    current_track = name;
    limit(0.0);  // the music now takes its share of the room
}

void Audio::stop_music() {
    Mix_FadeOutMusic(config.fade_time);
    current_track.clear();
}

void Audio::music_volume(int volume) {
    // Pinned to the scale, so that no volume overflows and a negative one does not turn the
    // call into the mixer's query.
    screen_volume = std::clamp(volume, 0, 10);
    Mix_VolumeMusic(screen_volume * music_level * MIX_MAX_VOLUME / 100);
    limit(0.0);
}

void Audio::set_music_level(int level) {
    music_level = std::clamp(level, 0, 10);
    music_volume(screen_volume);
}

void Audio::set_effects_level(int level) {
    effects_level = std::clamp(level, 0, 10);
    limit(0.0);
}

bool Audio::music_playing() const { return Mix_PlayingMusic() == 1; }
