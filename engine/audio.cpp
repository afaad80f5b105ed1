#include "engine/audio.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

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

}  // namespace

Audio::Audio(const Config& config_) : config(config_) {
    Mix_OpenAudio(config.frequency, config.format, config.channels, config.chunksize);
}

Audio::~Audio() {
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    for (auto& [path, chunk] : samples) Mix_FreeChunk(chunk);
    for (auto& [path, track] : music) Mix_FreeMusic(track);
    Mix_CloseAudio();
}

Mix_Chunk* Audio::load_chunk(const std::string& name) {
    const std::string path = "content/" + name;
    if (auto found = samples.find(path); found != samples.end()) return found->second;
    Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
    if (chunk == nullptr) {
        std::fprintf(stderr, "Couldn't load sample %s: %s\n", path.c_str(), SDL_GetError());
    }
    samples[path] = chunk;
    return chunk;
}

Mix_Music* Audio::load_music(const std::string& name) {
    const std::string path = "content/" + name;
    if (auto found = music.find(path); found != music.end()) return found->second;
    Mix_Music* track = Mix_LoadMUS(path.c_str());
    if (track == nullptr) {
        std::fprintf(stderr, "Couldn't load music %s: %s\n", path.c_str(), SDL_GetError());
    }
    music[path] = track;
    return track;
}

void Audio::play_sample(const std::string& name) {
    Mix_Chunk* chunk = load_chunk(name);
    if (chunk != nullptr) Mix_PlayChannelTimed(-1, chunk, 0, -1);
}

void Audio::play_random_sample(std::string name, int count) {
    // A count below 1 would make an empty range; treat it as the one variant there is.
    if (count < 1) count = 1;
    std::mt19937 engine(random_device_value());
    std::uniform_int_distribution<int> pick(0, count - 1);
    const std::string number = std::to_string(pick(engine));
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) {
        name += number;
    } else {
        name.insert(dot, number);
    }
    play_sample(name);
}

void Audio::stop_samples() { Mix_HaltChannel(-1); }

void Audio::play_music(const std::string& name, bool loop) {
    if (name == current_track) return;
    Mix_Music* track = load_music(name);
    if (track != nullptr) Mix_FadeInMusic(track, loop ? -1 : 0, config.fade_time);
    current_track = name;
}

void Audio::stop_music() {
    Mix_FadeOutMusic(config.fade_time);
    current_track.clear();
}

void Audio::music_volume(int volume) {
    // Pinned to the scale, so that no volume overflows and a negative one does not turn the
    // call into the mixer's query.
    volume = std::clamp(volume, 0, 10);
    Mix_VolumeMusic(volume * MIX_MAX_VOLUME / 10);
}

bool Audio::music_playing() const { return Mix_PlayingMusic() == 1; }
