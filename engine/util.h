// Seeds from the operating system, a hash for enumerations, and the names of numbered files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Util {

// Fills len bytes at dst from "/dev/urandom" and returns len, whatever the read achieved;
// bytes that could not be read are left as they were.
unsigned long sysrandom(void* dst, unsigned long len);

// A fresh 32-bit seed from "/dev/urandom". When the device cannot be read, a value mixed from
// the standard random device and the clock, so that it still differs from run to run.
uint32_t random_seed();
// The same from another device file; random_seed() reads "/dev/urandom".
uint32_t random_seed_from(const char* device);

// Hash of an enumeration: its value as a size.
template <typename E>
struct CastHash {
    std::size_t operator()(E value) const noexcept { return static_cast<std::size_t>(value); }
};

// Variant k of a file: k before the last "." of the name ("yum.wav", 3: "yum3.wav"), or at the
// end of a name without one. Inline, so that tools without the engine name files the same way.
inline std::string numbered(std::string name, int k) {
    const auto dot = name.rfind('.');
    name.insert(dot == std::string::npos ? name.size() : dot, std::to_string(k));
    return name;
}

}  // namespace Util
