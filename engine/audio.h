// Sound effects and music through SDL_mixer, each file loaded once and kept.
#pragma once

#include <SDL_mixer.h>

#include <cstdint>
#include <map>
#include <string>

class Audio {
public:
    struct Config {
        int frequency = 22050;
        int channels = 2;
        int chunksize = 1024;
        uint16_t format = AUDIO_S16LSB;
        int fade_time = 500;  // music fade in and out, ms
    };

    // Opens the audio device; a failure is not detected and the mixer calls then do nothing.
    explicit Audio(const Config& config);
    // Halts all sound, frees every sample and track, closes the device.
    ~Audio();
    Audio(const Audio&) = delete;
    Audio& operator=(const Audio&) = delete;

    // Cached loads of "content/" + name; a failure is reported once and cached as null.
    Mix_Chunk* load_chunk(const std::string& name);
    Mix_Music* load_music(const std::string& name);

    void play_sample(const std::string& name);
    // Plays one of `count` numbered variants: "yum.wav" with 8 plays yum0.wav to yum7.wav.
    void play_random_sample(std::string name, int count);
    void stop_samples();
    // Starts a track with a fade-in, unless it is the current one already.
    void play_music(const std::string& name, bool loop);
    void stop_music();
    void music_volume(int volume);  // 0 to 10
    bool music_playing() const;

    Config config;
    std::map<std::string, Mix_Chunk*> samples;  // by path
    std::map<std::string, Mix_Music*> music;    // by path
    std::string current_track;
};
