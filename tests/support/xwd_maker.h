// Window dumps built byte by byte for the tests: a header of 25 words, a window
// name, colour entries and pixel lines stored in any byte order, bit order and
// bitmap unit.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum XwdField {
    XwdHeaderSize, XwdVersion, XwdFormat, XwdDepth, XwdWidth, XwdHeight, XwdXOffset, XwdByteOrder, XwdUnit, XwdBitOrder, XwdPad,
    XwdBitsPerPixel, XwdBytesPerLine, XwdVisual, XwdRedMask, XwdGreenMask, XwdBlueMask, XwdBitsPerRgb, XwdCmapEntries,
    XwdColours, XwdWinWidth, XwdWinHeight, XwdWinX, XwdWinY, XwdBorder
};

struct XwdColour {
    uint32_t pixel;
    uint16_t red, green, blue;
};

inline void put_be(std::string& out, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>(value >> (8 * i));
}

inline void put_le(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
}

struct XwdDump {
    uint32_t field[25] = {};
    std::string name;
    std::vector<XwdColour> colours;
    std::string pixels;

    // The header size and the number of colours follow the contents when left 0.
    std::string bytes() const
    {
        std::string out;
        for (int i = 0; i < 25; ++i) {
            uint32_t v = field[i];
            if (i == XwdHeaderSize && v == 0)
                v = uint32_t(100 + name.size());
            if (i == XwdColours && v == 0)
                v = uint32_t(colours.size());
            put_be(out, v, 4);
        }
        out += name;
        for (const XwdColour& c : colours) {
            put_be(out, c.pixel, 4);
            put_be(out, c.red, 2);
            put_be(out, c.green, 2);
            put_be(out, c.blue, 2);
            out += std::string("\x07\0", 2);
        }
        return out + pixels;
    }
};

// A dump with the usual fields: version 7, Z-pixmap, both orders most significant first.
inline XwdDump xwd_dump(uint32_t width, uint32_t height, uint32_t depth, uint32_t bits, uint32_t bytes_per_line,
                        uint32_t visual)
{
    XwdDump d;
    d.field[XwdVersion] = 7;
    d.field[XwdFormat] = 2;
    d.field[XwdDepth] = depth;
    d.field[XwdWidth] = width;
    d.field[XwdHeight] = height;
    d.field[XwdByteOrder] = 1;
    d.field[XwdUnit] = 8;
    d.field[XwdBitOrder] = 1;
    d.field[XwdPad] = 8;
    d.field[XwdBitsPerPixel] = bits;
    d.field[XwdBytesPerLine] = bytes_per_line;
    d.field[XwdVisual] = visual;
    d.field[XwdBitsPerRgb] = 8;
    return d;
}

// Bitmap lines: set(x, y) says which pixels have their bit set. Each line is cut
// into units of `unit` bits, pixel k of a unit at bit unit-1-k (bit order 1) or
// k (bit order 0), every unit stored in the byte order.
inline std::string xwd_bitmap_lines(int width, int height, int unit, int byte_order, int bit_order,
                                    int bytes_per_line, const std::function<bool(int, int)>& set)
{
    std::string out;
    const int units = bytes_per_line * 8 / unit;
    for (int y = 0; y < height; ++y)
        for (int u = 0; u < units; ++u) {
            uint32_t value = 0;
            for (int k = 0; k < unit; ++k) {
                const int x = u * unit + k;
                if (x < width && set(x, y))
                    value |= 1u << (bit_order ? unit - 1 - k : k);
            }
            if (byte_order)
                put_be(out, value, unit / 8);
            else
                put_le(out, value, unit / 8);
        }
    return out;
}

// Z-pixmap lines of `bits` per pixel from sample(x, y). Sub-byte pixels fill a
// byte from its top (byte order 1) or bottom (byte order 0), 8 / bits to a byte;
// wider pixels are stored in the byte order. Lines are padded with zeros.
inline std::string xwd_sample_lines(int width, int height, int bits, int byte_order, int bytes_per_line,
                                    const std::function<uint32_t(int, int)>& sample)
{
    std::string out;
    for (int y = 0; y < height; ++y) {
        std::string line;
        if (bits < 8) {
            const int per_byte = 8 / bits;
            line.assign(size_t((width + per_byte - 1) / per_byte), '\0');
            for (int x = 0; x < width; ++x) {
                const int j = x % per_byte;
                const int shift = byte_order ? 8 - (j + 1) * bits : j * bits;
                line[size_t(x / per_byte)] = char(line[size_t(x / per_byte)] | (sample(x, y) << shift));
            }
        } else {
            for (int x = 0; x < width; ++x) {
                if (byte_order)
                    put_be(line, sample(x, y), bits / 8);
                else
                    put_le(line, sample(x, y), bits / 8);
            }
        }
        line.resize(size_t(bytes_per_line), '\0');
        out += line;
    }
    return out;
}
