// BMP files put together byte by byte for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BmpRecipe {
    int width = 1;
    int height = 1;        // negative: rows stored top row first
    int bits = 8;
    int compression = 0;   // 0 none, 1 RLE8, 2 RLE4
    std::vector<uint32_t> palette{};  // 0xRRGGBB entries
    std::string data{};    // pixel data as stored
    uint32_t info_size = 40;       // 12: the older core header with 3-byte palette entries
    int32_t pels_per_metre = 3900;  // 100 dots per inch
};

inline void bmpPut(std::string& s, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        s += static_cast<char>(value >> (8 * i));
}

inline std::string makeBmp(const BmpRecipe& r)
{
    const bool core = r.info_size == 12;
    std::string info;
    bmpPut(info, r.info_size, 4);
    if (core) {
        bmpPut(info, uint32_t(r.width), 2);
        bmpPut(info, uint32_t(r.height), 2);
        bmpPut(info, 1, 2);
        bmpPut(info, uint32_t(r.bits), 2);
    } else {
        bmpPut(info, uint32_t(r.width), 4);
        bmpPut(info, uint32_t(r.height), 4);
        bmpPut(info, 1, 2);
        bmpPut(info, uint32_t(r.bits), 2);
        bmpPut(info, uint32_t(r.compression), 4);
        bmpPut(info, uint32_t(r.data.size()), 4);
        bmpPut(info, uint32_t(r.pels_per_metre), 4);
        bmpPut(info, uint32_t(r.pels_per_metre), 4);
        bmpPut(info, uint32_t(r.palette.size()), 4);
        bmpPut(info, 0, 4);
        info.resize(r.info_size < 16 ? 16 : r.info_size, '\0');
    }
    std::string palette;
    for (uint32_t rgb : r.palette)
        bmpPut(palette, rgb & 0xFFFFFF, core ? 3 : 4);  // blue, green, red (, 0)
    const uint32_t offset = uint32_t(14 + info.size() + palette.size());
    std::string file = "BM";
    bmpPut(file, uint32_t(offset + r.data.size()), 4);
    bmpPut(file, 0, 4);
    bmpPut(file, offset, 4);
    return file + info + palette + r.data;
}

// Uncompressed pixel data for rows given top row first, one value per pixel
// (an index, or 0xRRGGBB at 24 bits): packed MSB first, padded to 4 bytes,
// stored bottom row first unless top_down.
inline std::string bmpRows(const std::vector<std::vector<uint32_t>>& rows, int bits, bool top_down = false)
{
    std::string data;
    for (size_t k = 0; k < rows.size(); ++k) {
        const auto& row = rows[top_down ? k : rows.size() - 1 - k];
        std::string line;
        if (bits == 24) {
            for (uint32_t rgb : row)
                bmpPut(line, rgb, 3);
        } else {
            line.assign((row.size() * bits + 7) / 8, '\0');
            for (size_t x = 0; x < row.size(); ++x)
                line[x * bits / 8] |= char(row[x] << (8 - bits - x * bits % 8));
        }
        line.resize((line.size() + 3) / 4 * 4, '\0');
        data += line;
    }
    return data;
}
