// The sounds and music in content/: every file the game plays exists, loads through the game's
// Audio with the mixer opened as the game opens it, and is fit to play: no clicks at the ends
// of an effect, no clipping, and music that loops without a gap or a jump at the seam.
#include "engine/audio.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "game/screens/sounds.h"

namespace {

using Sounds::kEffects;
using Sounds::kTracks;

// The distant rumble of a centipede's arrival may last longer than the other effects.
double longest_seconds(const SoundEffect& effect) {
    return std::string(effect.name) == Sounds::kBoom.name ? 2.0 : 1.0;
}

constexpr int kRate = 22050;
// Loud enough to hear as a click at the very first or last sample (-40 dBFS).
constexpr int kClick = 328;
// Just under full scale: a sample beyond it has most likely been clipped.
constexpr int kClipped = 32500;

std::string variant(const SoundEffect& effect, int k) { return effect.file(k); }

// The samples of a chunk as the mixer holds them: interleaved 16-bit stereo.
std::vector<int16_t> samples_of(const Mix_Chunk* chunk) {
    const auto* first = reinterpret_cast<const int16_t*>(chunk->abuf);
    return std::vector<int16_t>(first, first + chunk->alen / 2);
}

int peak(const std::vector<int16_t>& samples) {
    int highest = 0;
    for (int16_t s : samples) highest = std::max(highest, std::abs(static_cast<int>(s)));
    return highest;
}

double rms(const std::vector<int16_t>& samples, size_t first, size_t count) {
    double sum = 0;
    for (size_t i = first; i < first + count; ++i)
        sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(count)) / 32768.0;
}

class ContentAudio : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
        audio = std::make_unique<Audio>(Audio::Config{});
        int frequency = 0, channels = 0;
        Uint16 format = 0;
        ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1) << SDL_GetError();
        ASSERT_EQ(frequency, kRate);
        ASSERT_EQ(format, AUDIO_S16LSB);
        ASSERT_EQ(channels, 2);
    }
    void TearDown() override {
        audio.reset();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    // The whole track decoded into one chunk, in the mixer's format.
    Mix_Chunk* decode(const std::string& track) {
        std::string path = "content/" + track;
        Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
        if (chunk != nullptr) decoded.emplace_back(chunk, Mix_FreeChunk);
        return chunk;
    }

    std::unique_ptr<Audio> audio;
    std::vector<std::unique_ptr<Mix_Chunk, void (*)(Mix_Chunk*)>> decoded;
};

TEST_F(ContentAudio, EveryEffectVariantLoadsAndIsShort) {
    for (const SoundEffect& effect : kEffects) {
        for (int k = 0; k < effect.variants; ++k) {
            SCOPED_TRACE(variant(effect, k));
            Mix_Chunk* chunk = audio->load_chunk(variant(effect, k));
            ASSERT_NE(chunk, nullptr) << SDL_GetError();
            double seconds = chunk->alen / 4.0 / kRate;
            EXPECT_GT(seconds, 0.05);
            EXPECT_LT(seconds, longest_seconds(effect));
        }
    }
}

// content/ holds what the game asks for and no stray variant that it would never play: a list
// and a generator that disagree show here.
TEST(ContentSounds, HoldEveryVariantOfEveryEffectAndNoMore) {
    for (const SoundEffect& effect : kEffects) {
        SCOPED_TRACE(effect.name);
        for (int k = 0; k < effect.variants; ++k)
            EXPECT_TRUE(std::filesystem::is_regular_file("content/" + variant(effect, k)))
                << variant(effect, k);
        EXPECT_FALSE(std::filesystem::exists("content/" + variant(effect, effect.variants)));
    }
    for (const char* track : kTracks)
        EXPECT_TRUE(std::filesystem::is_regular_file("content/" + std::string(track))) << track;
}

TEST_F(ContentAudio, EffectsAre16BitPcmAtTheMixerRate) {
    for (const SoundEffect& effect : kEffects) {
        for (int k = 0; k < effect.variants; ++k) {
            std::string path = "content/" + variant(effect, k);
            SCOPED_TRACE(path);
            SDL_AudioSpec wav{};
            Uint8* buffer = nullptr;
            Uint32 length = 0;
            ASSERT_NE(SDL_LoadWAV(path.c_str(), &wav, &buffer, &length), nullptr) << SDL_GetError();
            SDL_FreeWAV(buffer);
            EXPECT_EQ(wav.format, AUDIO_S16LSB);
            EXPECT_EQ(wav.freq, kRate);
            EXPECT_TRUE(wav.channels == 1 || wav.channels == 2) << int(wav.channels);
        }
    }
}

TEST_F(ContentAudio, EffectsStartAndEndInSilenceAndDoNotClip) {
    for (const SoundEffect& effect : kEffects) {
        for (int k = 0; k < effect.variants; ++k) {
            SCOPED_TRACE(variant(effect, k));
            Mix_Chunk* chunk = audio->load_chunk(variant(effect, k));
            ASSERT_NE(chunk, nullptr);
            std::vector<int16_t> s = samples_of(chunk);
            ASSERT_GE(s.size(), 4u);
            EXPECT_LE(std::abs(s[0]), kClick);
            EXPECT_LE(std::abs(s[1]), kClick);
            EXPECT_LE(std::abs(s[s.size() - 2]), kClick);
            EXPECT_LE(std::abs(s[s.size() - 1]), kClick);
            EXPECT_LT(peak(s), kClipped);
            // One effect over the loudest music fits under the mixer's ceiling, so the mixer
            // never has to turn a lone effect down.
            EXPECT_LE(peak(s) + Audio::kMusicPeak * 32768, Audio::kCeiling * 32768);
            // Not silent either: a broken generator could write zeros.
            EXPECT_GT(peak(s), 3000);
        }
    }
}

// The eating sound is made of notes, not knocks: each swells in. A note that starts too
// sharply clicks, which shows as a burst of high frequencies right at its onset.
TEST_F(ContentAudio, YumSwellsInWithoutAClick) {
    for (int k = 0; k < Sounds::kYum.variants; ++k) {
        SCOPED_TRACE(variant(Sounds::kYum, k));
        std::vector<int16_t> s = samples_of(audio->load_chunk(variant(Sounds::kYum, k)));
        // Mono: the left channel alone. Its third difference keeps little of the notes
        // themselves (its gain rises with the cube of the frequency) and much of a click.
        std::vector<double> high(s.size() / 2, 0.0);
        for (size_t i = 3; i < high.size(); ++i) {
            high[i] = s[2 * i] - 3.0 * s[2 * i - 2] + 3.0 * s[2 * i - 4] - s[2 * i - 6];
        }
        size_t onset = 0;
        while (onset < high.size() && std::abs(s[2 * onset]) <= 200) ++onset;
        const size_t burst = kRate / 250;  // 4 ms
        ASSERT_LT(onset + 6 * burst, high.size());
        const auto energy = [&](size_t first, size_t count) {
            double sum = 0;
            for (size_t i = first; i < first + count; ++i) sum += high[i] * high[i];
            return std::sqrt(sum / static_cast<double>(count));
        };
        EXPECT_LT(energy(onset, burst), 0.5 * energy(onset + burst, 5 * burst));
    }
}

TEST_F(ContentAudio, VariantsOfAnEffectAreNotCopies) {
    for (const SoundEffect& effect : kEffects) {
        std::vector<std::vector<int16_t>> seen;
        for (int k = 0; k < effect.variants; ++k) {
            Mix_Chunk* chunk = audio->load_chunk(variant(effect, k));
            ASSERT_NE(chunk, nullptr) << variant(effect, k);
            std::vector<int16_t> s = samples_of(chunk);
            for (size_t j = 0; j < seen.size(); ++j) {
                EXPECT_NE(seen[j], s)
                    << variant(effect, static_cast<int>(j)) << " and " << variant(effect, k);
            }
            seen.push_back(std::move(s));
        }
    }
}

TEST_F(ContentAudio, EveryTrackLoadsAsOggMusic) {
    for (const char* track : kTracks) {
        SCOPED_TRACE(track);
        Mix_Music* music = audio->load_music(track);
        ASSERT_NE(music, nullptr) << SDL_GetError();
        EXPECT_EQ(Mix_GetMusicType(music), MUS_OGG);
        EXPECT_GT(Mix_MusicDuration(music), 10.0);
    }
}

TEST_F(ContentAudio, TracksLoopWithoutAGapOrAJump) {
    for (const char* track : kTracks) {
        SCOPED_TRACE(track);
        Mix_Chunk* chunk = decode(track);
        ASSERT_NE(chunk, nullptr) << SDL_GetError();
        std::vector<int16_t> s = samples_of(chunk);
        const size_t frames = s.size() / 2;
        ASSERT_GT(frames, static_cast<size_t>(10 * kRate));
        // The game's mixer leaves the music this much room and no more.
        EXPECT_LE(peak(s), static_cast<int>(Audio::kMusicPeak * 32768));

        // A fade-out or padding at either end would be heard as a hole each time round.
        const size_t edge = kRate / 20;
        EXPECT_GT(rms(s, 0, 2 * edge), 0.003) << "the first 50 ms are (nearly) silent";
        EXPECT_GT(rms(s, s.size() - 2 * edge, 2 * edge), 0.003)
            << "the last 50 ms are (nearly) silent";

        // The step from the last frame to the first is no bigger than the music makes on its
        // own nearby: a loop cut out of a longer render would jump here and click.
        const size_t near = kRate / 500;
        for (size_t ch = 0; ch < 2; ++ch) {
            auto at = [&](size_t frame) { return static_cast<int>(s[2 * frame + ch]); };
            int local = 0;
            for (size_t i = 1; i < near; ++i) {
                local = std::max(local, std::abs(at(i) - at(i - 1)));
                local = std::max(local, std::abs(at(frames - i) - at(frames - i - 1)));
            }
            int seam = std::abs(at(0) - at(frames - 1));
            EXPECT_LE(seam, 2 * local + 64) << "channel " << ch;
        }
    }
}

TEST_F(ContentAudio, EffectsStandOutAboveThePlayMusicAndTracksMatchInLevel) {
    // Plain RMS, so only a coarse check: every effect, at its loudest, is louder than the
    // music it is heard over, and switching screens does not jump in loudness.
    std::vector<double> track_rms;
    double play_music = 0;
    for (const char* track : kTracks) {
        Mix_Chunk* chunk = decode(track);
        ASSERT_NE(chunk, nullptr) << track;
        std::vector<int16_t> s = samples_of(chunk);
        track_rms.push_back(rms(s, 0, s.size()));
        if (std::string(track) == Sounds::kPlayMusic) play_music = track_rms.back();
    }
    ASSERT_GT(play_music, 0.0);
    for (size_t i = 0; i < track_rms.size(); ++i) {
        EXPECT_LT(std::fabs(20 * std::log10(track_rms[i] / play_music)), 3.0) << kTracks[i];
    }
    for (const SoundEffect& effect : kEffects) {
        for (int k = 0; k < effect.variants; ++k) {
            Mix_Chunk* chunk = audio->load_chunk(variant(effect, k));
            ASSERT_NE(chunk, nullptr) << variant(effect, k);
            std::vector<int16_t> s = samples_of(chunk);
            const size_t second = 2 * kRate;  // interleaved stereo samples
            const size_t window = std::min(s.size(), second * 4 / 10);
            double loudest = 0;
            for (size_t at = 0; at + window <= s.size(); at += second / 20) {
                loudest = std::max(loudest, rms(s, at, window));
            }
            EXPECT_GT(loudest, play_music) << variant(effect, k);
        }
    }
}

}  // namespace
