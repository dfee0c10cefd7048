// PNG and WebP files made through libpng and libwebp for the tests, and the
// pixels the library should read from them, as 8-bit RGB over white paper.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <png.h>

struct PngRecipe {
    int width = 11;
    int height = 7;
    int color_type = PNG_COLOR_TYPE_RGB;
    int bit_depth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;           // palette pictures
    std::vector<png_byte> palette_alpha;      // their tRNS
    int transparent = -1;                     // gray or RGB tRNS: this value (every channel)
    png_uint_32 density_x = 0, density_y = 0; // pHYs, written when either is set
    int density_unit = PNG_RESOLUTION_METER;
    // Sample c of pixel (x, y) at the file's bit depth.
    std::function<int(int x, int y, int c)> sample = [](int x, int y, int c) { return x * 7 + y * 13 + c * 5; };
};

inline int channels_of(int color_type)
{
    switch (color_type) {
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    default: return 1;
    }
}

// Sample c of pixel (x, y), kept within the bit depth.
inline int file_sample(const PngRecipe& r, int x, int y, int c)
{
    return r.sample(x, y, c) & ((1 << r.bit_depth) - 1);
}

inline std::string makePng(const PngRecipe& r)
{
    std::string file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &file,
        [](png_structp p, png_bytep data, size_t n) {
            static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<char*>(data), n);
        },
        nullptr);
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_IHDR(png, info, r.width, r.height, r.bit_depth, r.color_type,
                 r.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!r.palette.empty())
        png_set_PLTE(png, info, r.palette.data(), int(r.palette.size()));
    if (!r.palette_alpha.empty())
        png_set_tRNS(png, info, r.palette_alpha.data(), int(r.palette_alpha.size()), nullptr);
    if (r.transparent >= 0) {
        png_color_16 value{};
        value.gray = value.red = value.green = value.blue = png_uint_16(r.transparent);
        png_set_tRNS(png, info, nullptr, 0, &value);
    }
    if (r.density_x || r.density_y)
        png_set_pHYs(png, info, r.density_x, r.density_y, r.density_unit);
    png_write_info(png, info);
    const int channels = channels_of(r.color_type);
    const int bits = channels * r.bit_depth;
    std::vector<std::vector<png_byte>> rows(r.height, std::vector<png_byte>((r.width * bits + 7) / 8));
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x)
            for (int c = 0; c < channels; ++c) {
                const int v = file_sample(r, x, y, c);
                const long at = long(x * channels + c) * r.bit_depth;
                if (r.bit_depth == 16) {
                    rows[y][at / 8] = png_byte(v >> 8);
                    rows[y][at / 8 + 1] = png_byte(v);
                } else {
                    rows[y][at / 8] |= png_byte(v << (8 - r.bit_depth - at % 8));
                }
            }
    std::vector<png_bytep> pointers;
    for (auto& row : rows)
        pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return file;
}

// A channel over white paper, rounded to nearest.
inline int over_white(int value, int alpha)
{
    return (value * alpha + 255 * (255 - alpha) + 127) / 255;
}

// What the library should read: 8-bit R, G, B of every pixel, row by row.
inline std::vector<unsigned char> expectedRgb(const PngRecipe& r)
{
    std::vector<unsigned char> rgb;
    const int channels = channels_of(r.color_type);
    const int max = (1 << r.bit_depth) - 1;
    auto to8 = [&](int v) { return r.bit_depth == 16 ? v >> 8 : v * 255 / max; };
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            int s[4];
            for (int c = 0; c < channels; ++c)
                s[c] = file_sample(r, x, y, c);
            int out[3], alpha = 255;
            if (r.color_type == PNG_COLOR_TYPE_PALETTE) {
                const png_color e = s[0] < int(r.palette.size()) ? r.palette[s[0]] : png_color{0, 0, 0};
                out[0] = e.red, out[1] = e.green, out[2] = e.blue;
                if (s[0] < int(r.palette_alpha.size()))
                    alpha = r.palette_alpha[s[0]];
            } else {
                const bool colour = channels >= 3;
                for (int c = 0; c < 3; ++c)
                    out[c] = to8(s[colour ? c : 0]);
                if (channels == 2 || channels == 4)
                    alpha = to8(s[channels - 1]);
                bool clear = r.transparent >= 0;
                for (int c = 0; c < (colour ? 3 : 1); ++c)
                    clear = clear && s[c] == r.transparent;
                if (clear)
                    alpha = 0;
            }
            for (int c = 0; c < 3; ++c)
                rgb.push_back(static_cast<unsigned char>(over_white(out[c], alpha)));
        }
    return rgb;
}

// The same picture as a PBM (bitmaps), PGM (gray pictures) or PPM.
inline std::string pnmOf(const PngRecipe& r)
{
    const std::vector<unsigned char> rgb = expectedRgb(r);
    const bool gray = r.color_type == PNG_COLOR_TYPE_GRAY || r.color_type == PNG_COLOR_TYPE_GRAY_ALPHA;
    const bool bits = gray && r.bit_depth == 1 && r.transparent < 0;
    std::string pnm = std::string(bits ? "P4\n" : gray ? "P5\n" : "P6\n") + std::to_string(r.width) + " "
                      + std::to_string(r.height) + (bits ? "\n" : "\n255\n");
    for (int y = 0; y < r.height; ++y) {
        std::string packed((r.width + 7) / 8, '\0');
        for (int x = 0; x < r.width; ++x) {
            const unsigned char* p = &rgb[3 * (size_t(y) * r.width + x)];
            if (bits && p[0] == 0)
                packed[x / 8] = char(packed[x / 8] | 0x80 >> x % 8);
            else if (!bits)
                pnm.append(reinterpret_cast<const char*>(p), gray ? 1 : 3);
        }
        if (bits)
            pnm += packed;
    }
    return pnm;
}

// A palette of `count` colours, none of them gray.
inline std::vector<png_color> colourPalette(int count)
{
    std::vector<png_color> palette;
    for (int i = 0; i < count; ++i)
        palette.push_back({png_byte(40 + i * 37 % 200), png_byte(200 - i * 11 % 150), png_byte(i * 91 % 256)});
    return palette;
}

struct PngVariant {
    const char* name;
    PngRecipe recipe;
};

// Every colour type at every bit depth, some interlaced, and every kind of
// transparency.
inline std::vector<PngVariant> pngVariants()
{
    auto recipe = [](int color_type, int bit_depth, bool interlaced = false) {
        PngRecipe r;
        r.color_type = color_type;
        r.bit_depth = bit_depth;
        r.interlaced = interlaced;
        if (bit_depth == 16)
            r.sample = [](int x, int y, int c) { return x * 4099 + y * 9001 + c * 20000; };
        if (color_type == PNG_COLOR_TYPE_PALETTE)
            r.palette = colourPalette(1 << bit_depth);
        return r;
    };
    PngRecipe palette_alpha = recipe(PNG_COLOR_TYPE_PALETTE, 4);
    palette_alpha.palette_alpha = {0, 40, 255, 128, 7};
    PngRecipe gray_key = recipe(PNG_COLOR_TYPE_GRAY, 4);
    gray_key.transparent = 5;
    PngRecipe rgb_key = recipe(PNG_COLOR_TYPE_RGB, 8);
    rgb_key.sample = [](int x, int y, int c) { return (x + y) % 3 == 0 ? 9 : x * 20 + c; };
    rgb_key.transparent = 9;
    return {
        {"gray1", recipe(PNG_COLOR_TYPE_GRAY, 1)},
        {"gray1_interlaced", recipe(PNG_COLOR_TYPE_GRAY, 1, true)},
        {"gray2", recipe(PNG_COLOR_TYPE_GRAY, 2)},
        {"gray4", recipe(PNG_COLOR_TYPE_GRAY, 4, true)},
        {"gray8", recipe(PNG_COLOR_TYPE_GRAY, 8)},
        {"gray16", recipe(PNG_COLOR_TYPE_GRAY, 16)},
        {"palette1", recipe(PNG_COLOR_TYPE_PALETTE, 1)},
        {"palette2", recipe(PNG_COLOR_TYPE_PALETTE, 2)},
        {"palette4_interlaced", recipe(PNG_COLOR_TYPE_PALETTE, 4, true)},
        {"palette8", recipe(PNG_COLOR_TYPE_PALETTE, 8)},
        {"rgb8", recipe(PNG_COLOR_TYPE_RGB, 8)},
        {"rgb16_interlaced", recipe(PNG_COLOR_TYPE_RGB, 16, true)},
        {"gray_alpha8", recipe(PNG_COLOR_TYPE_GRAY_ALPHA, 8)},
        {"gray_alpha16_interlaced", recipe(PNG_COLOR_TYPE_GRAY_ALPHA, 16, true)},
        {"rgba8_interlaced", recipe(PNG_COLOR_TYPE_RGB_ALPHA, 8, true)},
        {"rgba16", recipe(PNG_COLOR_TYPE_RGB_ALPHA, 16)},
        {"palette4_trns", palette_alpha},
        {"gray4_trns", gray_key},
        {"rgb8_trns", rgb_key},
    };
}
