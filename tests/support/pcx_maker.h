// PCX files put together byte by byte for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PcxRecipe {
    int width = 1;
    int height = 1;
    int xmin = 0;
    int ymin = 0;
    int bits = 8;
    int planes = 1;
    int version = 5;
    int encoding = 1;
    int bytes_per_line = 0;             // 0: the width's need, rounded up to even
    std::vector<uint32_t> palette{};    // header palette, up to 16 0xRRGGBB entries
    std::string data{};                 // run-length encoded data as stored
    std::vector<uint32_t> end_palette{};  // when given: 0x0C and these entries after the data
};

inline int pcxBytesPerLine(int width, int bits)
{
    return ((width * bits + 7) / 8 + 1) / 2 * 2;
}

inline std::string makePcx(const PcxRecipe& r)
{
    std::string h(128, '\0');
    auto put16 = [&](int at, int v) { h[at] = char(v); h[at + 1] = char(v >> 8); };
    h[0] = 10;
    h[1] = char(r.version);
    h[2] = char(r.encoding);
    h[3] = char(r.bits);
    put16(4, r.xmin);
    put16(6, r.ymin);
    put16(8, r.xmin + r.width - 1);
    put16(10, r.ymin + r.height - 1);
    for (size_t i = 0; i < r.palette.size() && i < 16; ++i)
        for (int c = 0; c < 3; ++c)
            h[16 + 3 * i + c] = char(r.palette[i] >> (16 - 8 * c));
    h[65] = char(r.planes);
    put16(66, r.bytes_per_line ? r.bytes_per_line : pcxBytesPerLine(r.width, r.bits));
    std::string file = h + r.data;
    if (!r.end_palette.empty()) {
        file += '\x0c';
        for (uint32_t rgb : r.end_palette)
            for (int c = 0; c < 3; ++c)
                file += char(rgb >> (16 - 8 * c));
    }
    return file;
}

// Rows of indices (top row first) as plane lines of bytes_per_line bytes, plane
// k holding bit k (1 bit), the packed samples (2 and 4 bits in one plane) or
// the whole index (8 bits); with 8 bits in 3 or 4 planes the rows hold
// 0xRRGGBB and the planes red, green, blue (and 0x7F). Every byte is written
// as a run of one, so that decoding, not the run maker, is what a test checks.
inline std::string pcxData(const std::vector<std::vector<uint32_t>>& rows, int bits, int planes, int bytes_per_line)
{
    std::string data;
    for (const auto& row : rows)
        for (int plane = 0; plane < planes; ++plane) {
            std::string line(bytes_per_line, '\0');
            for (size_t x = 0; x < row.size() && long(x * bits / 8) < bytes_per_line; ++x) {
                if (bits == 8 && planes > 1)
                    line[x] = char(plane < 3 ? row[x] >> (16 - 8 * plane) : 0x7F);
                else if (bits == 8)
                    line[x] = char(row[x]);
                else if (planes == 1)
                    line[x * bits / 8] |= char(row[x] << (8 - bits - x * bits % 8));
                else if (row[x] >> plane & 1)
                    line[x / 8] |= char(0x80 >> (x % 8));
            }
            for (char c : line)
                data += std::string{'\xc1', c};
        }
    return data;
}
