// The WAV writer the content generator and the tests share.
#include "tools/support/wav.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/support.h"

namespace {

uint32_t u32_at(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return value;
}

uint16_t u16_at(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

TEST(Wav, HeaderThenTheSamplesLittleEndian) {
    const std::string bytes = wav::encode({1, -2, 0x1234}, 22050);
    ASSERT_EQ(bytes.size(), 44u + 6u);
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(u32_at(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(u32_at(bytes, 16), 16u);
    EXPECT_EQ(u16_at(bytes, 20), 1u);  // PCM
    EXPECT_EQ(u16_at(bytes, 22), 1u);  // mono
    EXPECT_EQ(u32_at(bytes, 24), 22050u);
    EXPECT_EQ(u32_at(bytes, 28), 44100u);
    EXPECT_EQ(u16_at(bytes, 32), 2u);
    EXPECT_EQ(u16_at(bytes, 34), 16u);
    EXPECT_EQ(bytes.substr(36, 4), "data");
    EXPECT_EQ(u32_at(bytes, 40), 6u);
    EXPECT_EQ(bytes.substr(44), std::string("\x01\x00\xFE\xFF\x34\x12", 6));
    EXPECT_EQ(wav::encode({}, 8000).size(), 44u);
}

TEST(Wav, SdlReadsBackWhatWasWritten) {
    test::TempFolder folder;
    const std::vector<int16_t> samples{0, 32767, -32768, 1000, -1000};
    const std::string path = (folder.path / "tone.wav").string();
    ASSERT_TRUE(wav::write(path, samples, 11025));

    SDL_AudioSpec loaded{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    ASSERT_NE(SDL_LoadWAV(path.c_str(), &loaded, &data, &length), nullptr) << SDL_GetError();
    EXPECT_EQ(loaded.freq, 11025);
    EXPECT_EQ(loaded.format, AUDIO_S16LSB);
    EXPECT_EQ(loaded.channels, 1);
    ASSERT_EQ(length, samples.size() * 2);
    std::vector<int16_t> read(samples.size());
    std::memcpy(read.data(), data, length);
    SDL_FreeWAV(data);
    EXPECT_EQ(read, samples);
}

TEST(Wav, UnwritablePlaceIsAFailure) {
    test::TempFolder folder;
    EXPECT_FALSE(wav::write((folder.path / "missing" / "x.wav").string(), {1, 2}, 22050));
    EXPECT_FALSE(wav::write(folder.path.string(), {1, 2}, 22050));  // a folder, not a file
}

}  // namespace
