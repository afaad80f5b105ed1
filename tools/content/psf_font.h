// Reads a Linux console font (PSF1 or PSF2, optionally gzip-compressed) and finds glyphs by
// code point through the font's Unicode table.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class PsfFont {
public:
    // Loads the file; ok() tells whether it was a font.
    explicit PsfFont(const std::string& path) {
        std::vector<uint8_t> data;
        gzFile f = gzopen(path.c_str(), "rb");
        if (f == nullptr) return;
        uint8_t buffer[65536];
        int n;
        while ((n = gzread(f, buffer, sizeof buffer)) > 0)
            data.insert(data.end(), buffer, buffer + n);
        gzclose(f);
        parse(data);
    }

    bool ok() const { return width > 0 && !glyphs.empty(); }

    // Whether the glyph for code point `c` has its pixel (x, y) set. Code points without a
    // table entry fall back to the glyph of the same index, as in the classic layouts.
    bool pixel(uint32_t c, int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return false;
        const auto it = index.find(c);
        const size_t g = it != index.end() ? it->second : c;
        if (g >= glyphs.size()) return false;
        const int bytes_per_row = (width + 7) / 8;
        const uint8_t byte = glyphs[g][static_cast<size_t>(y * bytes_per_row + x / 8)];
        return (byte & (0x80 >> (x % 8))) != 0;
    }

    int width = 0;
    int height = 0;
    std::vector<std::vector<uint8_t>> glyphs;
    std::map<uint32_t, size_t> index;  // code point to glyph

private:
    static uint32_t le32(const std::vector<uint8_t>& d, size_t at) {
        return d[at] | (d[at + 1] << 8) | (d[at + 2] << 16) |
               (static_cast<uint32_t>(d[at + 3]) << 24);
    }

    void parse(const std::vector<uint8_t>& d) {
        if (d.size() >= 4 && d[0] == 0x36 && d[1] == 0x04) {
            const uint8_t mode = d[2];
            const size_t count = (mode & 1) ? 512 : 256;
            const size_t size = d[3];
            if (d.size() < 4 + count * size) return;
            width = 8;
            height = static_cast<int>(size);
            read_glyphs(d, 4, count, size);
            if (mode & 2) read_psf1_table(d, 4 + count * size, count);
        } else if (d.size() >= 32 && le32(d, 0) == 0x864ab572U) {
            const size_t header = le32(d, 8), flags = le32(d, 12), count = le32(d, 16),
                         size = le32(d, 20);
            if (d.size() < header + count * size) return;
            height = static_cast<int>(le32(d, 24));
            width = static_cast<int>(le32(d, 28));
            read_glyphs(d, header, count, size);
            if (flags & 1) read_psf2_table(d, header + count * size, count);
        }
    }

    void read_glyphs(const std::vector<uint8_t>& d, size_t at, size_t count, size_t size) {
        for (size_t i = 0; i < count; ++i)
            glyphs.emplace_back(d.begin() + static_cast<long>(at + i * size),
                                d.begin() + static_cast<long>(at + (i + 1) * size));
    }

    // 16-bit entries; 0xFFFF ends a glyph's list, 0xFFFE starts combining sequences.
    void read_psf1_table(const std::vector<uint8_t>& d, size_t at, size_t count) {
        size_t g = 0;
        bool sequence = false;
        for (; at + 1 < d.size() && g < count; at += 2) {
            const uint32_t v = d[at] | (d[at + 1] << 8);
            if (v == 0xFFFF) {
                ++g;
                sequence = false;
            } else if (v == 0xFFFE) {
                sequence = true;
            } else if (!sequence) {
                index.emplace(v, g);
            }
        }
    }

    // UTF-8 entries; 0xFF ends a glyph's list, 0xFE starts combining sequences.
    void read_psf2_table(const std::vector<uint8_t>& d, size_t at, size_t count) {
        size_t g = 0;
        bool sequence = false;
        while (at < d.size() && g < count) {
            const uint8_t b = d[at];
            if (b == 0xFF) {
                ++g;
                sequence = false;
                ++at;
                continue;
            }
            if (b == 0xFE) {
                sequence = true;
                ++at;
                continue;
            }
            int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
            uint32_t v = extra == 0   ? b
                         : extra == 1 ? (b & 0x1F)
                         : extra == 2 ? (b & 0x0F)
                                      : (b & 0x07);
            ++at;
            for (; extra > 0 && at < d.size(); --extra, ++at) v = (v << 6) | (d[at] & 0x3F);
            if (!sequence) index.emplace(v, g);
        }
    }
};
