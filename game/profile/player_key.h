// The player's key for the leaderboard: 128 random bits as 32 hex digits, made on first use
// and kept in "player.key" in the config folder, readable by the player alone. The server keeps
// only a hash of it; whoever has the file can send runs as this player.
#pragma once

#include <filesystem>
#include <string>

constexpr const char* kPlayerKeyFile = "player.key";

// The key in `folder`, made there when there is none. A file that is not a key is set aside
// with one line and a new key made. Empty, with `error`, when none could be read or kept.
std::string player_key(const std::filesystem::path& folder, std::string& error);
// 32 lower-case hex digits.
bool valid_player_key(const std::string& key);
