// Seeds from the operating system, and a hash for enumerations.
#pragma once

#include <cstddef>
#include <cstdint>

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

}  // namespace Util
