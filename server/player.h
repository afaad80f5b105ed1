// Who sent a run: the name shown on the board and the key that tells one player's runs from
// another's. Both arrive in request headers, so both are checked before anything is stored.
#pragma once

#include <optional>
#include <string>
#include <string_view>

constexpr std::size_t kMaxNameLength = 16;
constexpr std::size_t kKeyHexDigits = 32;  // a 128-bit key

// The name as it goes on the board, or nothing when it is not acceptable. Spaces at either end
// are dropped; what is left must be 1 to kMaxNameLength characters, each one the game's font
// can draw (printable ASCII, 32 to 126), so that the board looks the same in the game.
std::optional<std::string> clean_player_name(std::string_view raw);

// The key of an "Authorization: Bearer <32 hex digits>" header, lowercased so that one key is
// one player however it is spelt; nothing when the header is anything else.
std::optional<std::string> bearer_key(std::string_view header);

// What is stored instead of the key: its SHA-256, in hex.
std::string key_hash(std::string_view key);
