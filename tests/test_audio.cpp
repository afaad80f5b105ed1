// Audio under SDL's dummy sound driver, with sound files written into a temporary content/.
#include "engine/audio.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/support/support.h"
#include "tools/support/wav.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// A mono 16-bit PCM WAV of a quiet square wave.
void write_wav(const std::filesystem::path& path, int frames) {
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i) samples.push_back((i / 50) % 2 ? 0x0400 : -0x0400);
    wav::write(path.string(), samples, 22050);
}

std::set<std::string> keys(const std::map<std::string, Mix_Chunk*>& cache) {
    std::set<std::string> result;
    for (const auto& [path, chunk] : cache) result.insert(path);
    return result;
}

class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
        audio = std::make_unique<Audio>(Audio::Config{});
    }
    void TearDown() override {
        audio.reset();
        SDL_Quit();
    }

    test::TempContentDir dir;
    std::unique_ptr<Audio> audio;
};

TEST_F(AudioTest, SampleLoadsOnceAndStaysCached) {
    write_wav(dir.content() / "ping.wav", 2205);
    CaptureStderr();
    Mix_Chunk* chunk = audio->load_chunk("ping.wav");
    EXPECT_EQ(GetCapturedStderr(), "");
    ASSERT_NE(chunk, nullptr);
    EXPECT_EQ(audio->load_chunk("ping.wav"), chunk);
    EXPECT_EQ(keys(audio->samples), std::set<std::string>{"content/ping.wav"});
    audio->play_sample("ping.wav");
    EXPECT_EQ(Mix_Playing(-1), 1);
    audio->stop_samples();
    EXPECT_EQ(Mix_Playing(-1), 0);
}

TEST_F(AudioTest, MissingSampleIsReportedOnce) {
    CaptureStderr();
    EXPECT_EQ(audio->load_chunk("missing.wav"), nullptr);
    const std::string expected =
        std::string("Couldn't load sample content/missing.wav: ") + SDL_GetError() + "\n";
    audio->play_sample("missing.wav");
    audio->play_sample("missing.wav");
    EXPECT_EQ(GetCapturedStderr(), expected);
    ASSERT_EQ(audio->samples.count("content/missing.wav"), 1u);
    EXPECT_EQ(audio->samples.at("content/missing.wav"), nullptr);
}

TEST_F(AudioTest, MissingMusicIsReportedOnce) {
    CaptureStderr();
    EXPECT_EQ(audio->load_music("missing.ogg"), nullptr);
    const std::string expected =
        std::string("Couldn't load music content/missing.ogg: ") + SDL_GetError() + "\n";
    audio->play_music("missing.ogg", true);
    EXPECT_EQ(audio->current_track, "missing.ogg");  // current even though it failed
    audio->stop_music();
    audio->play_music("missing.ogg", true);
    EXPECT_EQ(GetCapturedStderr(), expected);
    EXPECT_FALSE(audio->music_playing());
}

TEST_F(AudioTest, RandomSampleOnlyPlaysNumberedVariants) {
    CaptureStderr();  // the variants are missing; their reports are not the point here
    for (int i = 0; i < 200; ++i) audio->play_random_sample("yum.wav", 8);
    GetCapturedStderr();
    std::set<std::string> expected;
    for (int k = 0; k < 8; ++k) expected.insert("content/yum" + std::to_string(k) + ".wav");
    // 200 draws miss one of 8 names with a chance of about 1e-11.
    EXPECT_EQ(keys(audio->samples), expected);
}

TEST_F(AudioTest, RandomSampleWithOneVariantOrFewerPlaysNumberZero) {
    write_wav(dir.content() / "ping0.wav", 2205);
    for (int count : {1, 0, -5}) {
        for (int i = 0; i < 10; ++i) audio->play_random_sample("ping.wav", count);
    }
    EXPECT_EQ(keys(audio->samples), std::set<std::string>{"content/ping0.wav"});
    EXPECT_NE(audio->samples.at("content/ping0.wav"), nullptr);
}

TEST_F(AudioTest, RandomSampleNumberGoesBeforeTheLastDotOrAtTheEnd) {
    CaptureStderr();
    audio->play_random_sample("boom.old.wav", 1);
    audio->play_random_sample("noext", 1);
    audio->play_random_sample("", 1);
    audio->play_random_sample(".wav", 1);
    GetCapturedStderr();
    EXPECT_EQ(keys(audio->samples),
              (std::set<std::string>{"content/boom.old0.wav", "content/noext0", "content/0",
                                     "content/0.wav"}));
}

// A web page carries its effects compressed under another extension; the game asks by the
// same names everywhere.
TEST_F(AudioTest, SamplesAreReadUnderTheConfiguredExtension) {
    std::filesystem::copy_file(dir.previous / "content" / "wormfood.ogg",
                               dir.content() / "ping.ogg");
    Audio::Config config;
    config.sample_extension = ".ogg";
    audio.reset();
    audio = std::make_unique<Audio>(config);
    EXPECT_EQ(audio->sample_path("ping.wav"), "content/ping.ogg");
    EXPECT_EQ(audio->sample_path("boom.old.wav"), "content/boom.old.ogg");
    EXPECT_EQ(audio->sample_path("noext"), "content/noext.ogg");

    CaptureStderr();
    audio->play_sample("ping.wav");
    EXPECT_EQ(GetCapturedStderr(), "");
    EXPECT_EQ(keys(audio->samples), std::set<std::string>{"content/ping.ogg"});
    EXPECT_NE(audio->samples.at("content/ping.ogg"), nullptr);
    EXPECT_EQ(Mix_Playing(-1), 1);
    EXPECT_GT(audio->sample_peaks.at("content/ping.ogg"), 0.0);  // the limiter knows its peak
    audio->stop_samples();
}

TEST_F(AudioTest, SameTrackIsNotRestartedUntilStopped) {
    write_wav(dir.content() / "tune.wav", 22050);
    audio->play_music("tune.wav", true);
    EXPECT_TRUE(audio->music_playing());
    EXPECT_EQ(audio->current_track, "tune.wav");

    // Stands in for a track that ended by itself: still current, so not started again.
    Mix_HaltMusic();
    audio->play_music("tune.wav", true);
    EXPECT_FALSE(audio->music_playing());

    audio->stop_music();
    EXPECT_EQ(audio->current_track, "");
    audio->play_music("tune.wav", false);
    EXPECT_TRUE(audio->music_playing());
    EXPECT_EQ(audio->music.size(), 1u);
}

TEST_F(AudioTest, AnotherTrackReplacesTheCurrentOne) {
    write_wav(dir.content() / "a.wav", 22050);
    write_wav(dir.content() / "b.wav", 22050);
    audio->play_music("a.wav", true);
    audio->play_music("b.wav", true);
    EXPECT_EQ(audio->current_track, "b.wav");
    EXPECT_TRUE(audio->music_playing());
    EXPECT_EQ(Mix_FadingMusic(), MIX_FADING_IN);
}

TEST_F(AudioTest, MusicVolumeMapsZeroToTenOntoTheMixerScale) {
    audio->music_volume(3);
    EXPECT_EQ(Mix_VolumeMusic(-1), 38);
    audio->music_volume(10);
    EXPECT_EQ(Mix_VolumeMusic(-1), 128);
    audio->music_volume(0);
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);
    // Outside the scale the nearest end applies.
    audio->music_volume(1000000000);
    EXPECT_EQ(Mix_VolumeMusic(-1), 128);
    audio->music_volume(-4);
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);
}

// ---- The mix as the sound card would get it ----

// The game's own content played through SDL's disk driver, which writes the final mix to a
// file in real time.
class DiskMix : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "mix-XXXXXX").string();
        const int fd = mkstemp(pattern.data());
        ASSERT_GE(fd, 0);
        close(fd);
        file = pattern;
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_STREQ(SDL_GetCurrentAudioDriver(), "disk");
        Audio::Config config;
        config.content = (std::filesystem::current_path() / "content" / "").string();
        audio = std::make_unique<Audio>(config);
    }
    void TearDown() override {
        audio.reset();
        SDL_Quit();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::filesystem::remove(file);
    }

    // Closes the device and returns everything it was sent: 16-bit stereo frames.
    std::vector<int16_t> recorded() {
        audio.reset();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        std::ifstream in(file, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        std::vector<int16_t> samples(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }

    static int peak(const std::vector<int16_t>& samples) {
        int highest = 0;
        for (int16_t s : samples) highest = std::max(highest, std::abs(static_cast<int>(s)));
        return highest;
    }

    std::string file;
    std::unique_ptr<Audio> audio;
};

// A centipede boring through rock, the worm eating and bitten, centipedes arriving: fifty
// effects within one second over the play music at full volume.
TEST_F(DiskMix, StormOfFiftyEffectsInOneSecondNeverReachesFullScale) {
    audio->play_music("deepdiggin.ogg", true);
    audio->music_volume(10);
    const char* effects[] = {"cronch.wav", "cronch.wav", "cronch.wav",
                             "yum.wav",    "ouch.wav",   "boom.wav"};
    const int variants[] = {8, 8, 8, 8, 4, 6};
    std::mt19937 rng(14);
    for (int i = 0; i < 50; ++i) {
        const size_t k = rng() % std::size(effects);
        audio->play_random_sample(effects[k], variants[k]);
        for (const auto& [effect, copies] : audio->voices) {
            EXPECT_LE(copies.size(), Audio::kMaxCopies) << effect;
        }
        SDL_Delay(20);
    }
    SDL_Delay(1600);  // the last effects ring out
    const std::vector<int16_t> mix = recorded();
    ASSERT_GT(mix.size(), 2u * 22050 * 2);  // at least two seconds were heard
    const long clipped =
        std::count_if(mix.begin(), mix.end(), [](int16_t s) { return s >= 32767 || s <= -32767; });
    EXPECT_EQ(clipped, 0);
    EXPECT_LE(peak(mix), static_cast<int>(Audio::kCeiling * 32768) + 1);
    EXPECT_GT(peak(mix), 32768 / 4);  // and it was not simply made quiet
}

TEST_F(DiskMix, OneEffectPlaysAtItsOwnLevel) {
    const Mix_Chunk* chunk = audio->load_chunk("cronch0.wav");
    ASSERT_NE(chunk, nullptr);
    std::vector<int16_t> own(chunk->alen / 2);
    std::memcpy(own.data(), chunk->abuf, own.size() * 2);
    audio->play_sample("cronch0.wav");
    EXPECT_EQ(audio->effects_gain, 1.0);
    SDL_Delay(600);
    EXPECT_EQ(peak(recorded()), peak(own));
}

TEST_F(DiskMix, OneEffectOverTheMusicIsNotTurnedDown) {
    audio->play_music("deepdiggin.ogg", true);
    for (const char* effect : {"cronch.wav", "yum.wav", "ouch.wav", "boom.wav"}) {
        audio->play_random_sample(effect, 4);
        EXPECT_EQ(audio->effects_gain, 1.0) << effect;
        audio->stop_samples();
    }
    // Two at once are, until one of them has finished.
    audio->play_sample("boom0.wav");
    audio->play_sample("boom1.wav");
    EXPECT_LT(audio->effects_gain, 1.0);
    audio->stop_samples();
    audio->play_sample("yum0.wav");
    EXPECT_EQ(audio->effects_gain, 1.0);
}

}  // namespace
