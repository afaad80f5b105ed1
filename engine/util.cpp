#include "engine/util.h"

#include <chrono>
#include <fstream>
#include <random>

namespace Util {

namespace {

constexpr const char* kRandomDevice = "/dev/urandom";

// The number of bytes actually read from the device.
unsigned long read_device(const char* path, void* dst, unsigned long len) {
    if (len == 0) return 0;
    std::ifstream device(path, std::ios::in | std::ios::binary);
    if (!device) return 0;
    device.read(static_cast<char*>(dst), static_cast<std::streamsize>(len));
    return static_cast<unsigned long>(device.gcount());
}

}  // namespace

unsigned long sysrandom(void* dst, unsigned long len) {
    read_device(kRandomDevice, dst, len);
    return len;
}

uint32_t random_seed() { return random_seed_from(kRandomDevice); }

uint32_t random_seed_from(const char* device_path) {
    uint32_t seed = 0;
    if (read_device(device_path, &seed, sizeof seed) == sizeof seed) return seed;
    // No urandom (a sandbox, an odd system): still a different game each run.
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    seed = static_cast<uint32_t>(now) ^ static_cast<uint32_t>(static_cast<uint64_t>(now) >> 32);
    try {
        std::random_device device;
        seed ^= device();
    } catch (...) {
        // Without a random device the clock alone has to do.
    }
    return seed;
}

}  // namespace Util
