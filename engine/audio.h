// Sound effects and music through SDL_mixer, each file loaded once and kept.
#pragma once

#include <SDL_mixer.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>

class Audio {
public:
    struct Config {
        int frequency = 22050;
        int channels = 2;
        int chunksize = 1024;
        uint16_t format = AUDIO_S16LSB;
        int fade_time = 500;               // music fade in and out, ms
        std::string content = "content/";  // the folder sounds are read from, with its slash
        // Empty: samples are read by the names asked for. Else the extension they are read
        // with instead, as when a web page carries its effects compressed (".ogg" for ".wav").
        std::string sample_extension;
        // The player's levels, 0 to 10: every music volume and every sample is scaled by them.
        int music_level = 10;
        int effects_level = 10;
    };

    // Opens the audio device; a failure is not detected and the mixer calls then do nothing.
    explicit Audio(const Config& config);
    // Halts all sound, frees every sample and track, closes the device.
    ~Audio();
    Audio(const Audio&) = delete;
    Audio& operator=(const Audio&) = delete;

    // Cached loads of the content folder + name; a failure is reported once and cached as null.
    Mix_Chunk* load_chunk(const std::string& name);
    // Where a sample of that name is read from: the content folder, and the sample extension
    // in place of the name's own when the config gives one.
    std::string sample_path(const std::string& name) const;
    Mix_Music* load_music(const std::string& name);

    // Plays a sample once. At most kMaxCopies of one effect sound at once (the oldest stops),
    // and the effects are turned down together whenever their peaks, with the music's, could
    // add up to full scale: the mixer sums its channels by clipping them.
    void play_sample(const std::string& name);
    // Plays one of `count` numbered variants: "yum.wav" with 8 plays yum0.wav to yum7.wav. The
    // variants count as one effect for kMaxCopies.
    void play_random_sample(const std::string& name, int count);
    void stop_samples();
    // Starts a track with a fade-in, unless it is the current one already.
    void play_music(const std::string& name, bool loop);
    void stop_music();
    // 0 to 10, of the player's music level: a screen's own loudness (the pause turns it down).
    void music_volume(int volume);
    // The player's levels, 0 to 10; they apply at once, to what is playing too.
    void set_music_level(int level);
    void set_effects_level(int level);
    bool music_playing() const;

    static constexpr std::size_t kMaxCopies = 2;
    // The highest peak a music track may reach at full volume, as a fraction of full scale; the
    // content is made to keep under it.
    static constexpr double kMusicPeak = 0.355;  // -9 dBFS
    // What the mix is kept under, as a fraction of full scale.
    static constexpr double kCeiling = 0.97;

    // A sample sounding on a mixer channel.
    struct Voice {
        int channel;
        Mix_Chunk* chunk;
        double peak;  // of its samples, as a fraction of full scale
    };

    Config config;
    std::map<std::string, Mix_Chunk*> samples;  // by path
    std::map<std::string, Mix_Music*> music;    // by path
    std::string current_track;
    std::map<std::string, double> sample_peaks;       // by path, for every sample loaded
    std::map<std::string, std::deque<Voice>> voices;  // by effect, oldest first
    double effects_gain = 1.0;            // the limiter's share of what limit() last set
    int effects_volume = MIX_MAX_VOLUME;  // the mixer's channel volume limit() last set
    int music_level = 10;
    int effects_level = 10;
    int screen_volume = 10;  // the last music_volume asked for

private:
    void play_effect(const std::string& effect, const std::string& file);
    // Forgets the voices that have finished, then sets every channel's volume so that the
    // sounding effects plus `extra_peak` plus the music cannot reach kCeiling.
    void limit(double extra_peak);
};
