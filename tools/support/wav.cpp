#include "tools/support/wav.h"

#include <fstream>

namespace wav {

namespace {

void put16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void put32(std::string& out, uint32_t value) {
    put16(out, static_cast<uint16_t>(value & 0xFFFF));
    put16(out, static_cast<uint16_t>(value >> 16));
}

}  // namespace

std::string encode(const std::vector<int16_t>& samples, uint32_t rate) {
    constexpr uint16_t kBytesPerSample = 2;
    const auto data_bytes = static_cast<uint32_t>(samples.size() * kBytesPerSample);
    std::string out;
    out.reserve(44 + data_bytes);
    out += "RIFF";
    put32(out, 36 + data_bytes);  // the rest of the file
    out += "WAVEfmt ";
    put32(out, 16);  // the format chunk's size
    put16(out, 1);   // PCM
    put16(out, 1);   // mono
    put32(out, rate);
    put32(out, rate * kBytesPerSample);  // bytes per second
    put16(out, kBytesPerSample);         // per frame
    put16(out, 16);                      // bits per sample
    out += "data";
    put32(out, data_bytes);
    for (const int16_t sample : samples) put16(out, static_cast<uint16_t>(sample));
    return out;
}

bool write(const std::string& path, const std::vector<int16_t>& samples, uint32_t rate) {
    const std::string bytes = encode(samples, rate);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace wav
