// SHA-256 (FIPS 180-4), for storing a hash of each player's key rather than the key: the
// standard library has none and the server needs nothing else from a crypto library.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

std::array<uint8_t, 32> sha256(std::string_view data);

// The digest as 64 lowercase hex digits.
std::string sha256_hex(std::string_view data);
