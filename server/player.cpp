#include "server/player.h"

#include "server/sha256.h"

std::optional<std::string> clean_player_name(std::string_view raw) {
    const std::size_t first = raw.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    const std::string_view name = raw.substr(first, raw.find_last_not_of(' ') - first + 1);
    if (name.size() > kMaxNameLength) return std::nullopt;
    for (char c : name) {
        if (c < 32 || c > 126) return std::nullopt;  // also every byte of a multibyte character
    }
    return std::string(name);
}

std::optional<std::string> bearer_key(std::string_view header) {
    constexpr std::string_view kScheme = "Bearer ";
    if (header.size() != kScheme.size() + kKeyHexDigits ||
        header.substr(0, kScheme.size()) != kScheme) {
        return std::nullopt;
    }
    std::string key;
    for (char c : header.substr(kScheme.size())) {
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
        key += c;
    }
    return key;
}

std::string key_hash(std::string_view key) { return sha256_hex(key); }
