// Mono 16-bit PCM WAV files, the kind the game's mixer loads: the content generator writes its
// samples this way, and tests write small ones of their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wav {

// The whole file: the RIFF header, then the samples little-endian.
std::string encode(const std::vector<int16_t>& samples, uint32_t rate);

// encode, written to `path`, replacing what was there; false when it cannot be written.
bool write(const std::string& path, const std::vector<int16_t>& samples, uint32_t rate);

}  // namespace wav
