// pixlane prints BMP, PCX and Sun raster pictures like the same picture as PBM, PGM or PPM.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bmp_maker.h"
#include "pcx_maker.h"
#include "run_program.h"
#include "same_print.h"
#include "temp_dir.h"

namespace {

using Rows = std::vector<std::vector<uint32_t>>;

Rows picture(int width, int height, uint32_t (*value)(int x, int y))
{
    Rows rows(height, std::vector<uint32_t>(width));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[y][x] = value(x, y);
    return rows;
}

std::string anymap(const char* magic, const Rows& rows, int channels)
{
    std::string file = std::string(magic) + "\n" + std::to_string(rows[0].size()) + " "
                       + std::to_string(rows.size()) + (channels ? "\n255\n" : "\n");
    for (const auto& row : rows) {
        if (channels == 0) {
            std::string packed((row.size() + 7) / 8, '\0');
            for (size_t x = 0; x < row.size(); ++x)
                packed[x / 8] |= char(row[x] << (7 - x % 8));
            file += packed;
            continue;
        }
        for (uint32_t v : row)
            for (int c = channels - 1; c >= 0; --c)
                file += char(v >> (8 * c));
    }
    return file;
}

std::string bmp(int bits, const Rows& rows, std::vector<uint32_t> palette, int compression = 0, std::string data = {},
                uint32_t info_size = 40)
{
    BmpRecipe r;
    r.info_size = info_size;
    r.width = int(rows[0].size());
    r.height = int(rows.size());
    r.bits = bits;
    r.compression = compression;
    r.palette = std::move(palette);
    r.data = compression ? data : bmpRows(rows, bits);
    return makeBmp(r);
}

std::vector<uint32_t> gray_palette()
{
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < 256; ++i)
        palette.push_back(i * 0x010101);
    return palette;
}

// Each row as one RLE8 literal run (width 30, so even) and an end of line.
std::string rle8(const Rows& rows)
{
    std::string data;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        data += '\0';
        data += char(row->size());
        for (uint32_t v : *row)
            data += char(v);
        data += std::string(2, '\0');
    }
    return data;
}

std::string pcx(int bits, int planes, const Rows& rows, std::vector<uint32_t> palette)
{
    PcxRecipe r;
    r.width = int(rows[0].size());
    r.height = int(rows.size());
    r.bits = bits;
    r.planes = planes;
    if (bits == 8 && planes == 1)
        palette.resize(256);  // the palette at the end always has 256 entries
    (bits == 8 ? r.end_palette : r.palette) = std::move(palette);
    r.data = pcxData(rows, bits, planes, pcxBytesPerLine(r.width, bits));
    return makePcx(r);
}

// The older BMP form: a 12-byte header and 3-byte palette entries.
std::string os2_bmp(int bits, const Rows& rows, std::vector<uint32_t> palette)
{
    return bmp(bits, rows, std::move(palette), 0, {}, 12);
}

// A Sun raster of 0xRRGGBB rows, type 3: red first, padded to even rows.
std::string sun_rgb(const Rows& rows, int depth)
{
    std::string file;
    auto put = [&file](uint32_t v) {
        for (int i = 3; i >= 0; --i)
            file += char(v >> (8 * i));
    };
    for (uint32_t v : {0x59A66A95u, uint32_t(rows[0].size()), uint32_t(rows.size()), uint32_t(depth), 0u, 3u, 0u, 0u})
        put(v);
    for (const auto& row : rows) {
        std::string line;
        for (uint32_t v : row)
            line += std::string(depth == 32 ? "\x11" : "") + char(v >> 16) + char(v >> 8) + char(v);
        file += line + std::string(line.size() % 2, '\0');
    }
    return file;
}

Rows coloured(const Rows& indices, const std::vector<uint32_t>& palette)
{
    Rows colour = indices;
    for (auto& row : colour)
        for (auto& v : row)
            v = palette[v];
    return colour;
}

}  // namespace

TEST(BmpPcxJob, GrayPicturesPrintLikeThePgm)
{
    const Rows gray = picture(30, 12, [](int x, int y) { return uint32_t(x * 7 + y * 19) & 0xFF; });
    expectPrintsLike(anymap("P5", gray, 1), {bmp(8, gray, gray_palette()), bmp(8, gray, gray_palette(), 1, rle8(gray)),
                                             pcx(8, 1, gray, gray_palette())});
}

TEST(BmpPcxJob, BitmapsPrintLikeThePbmWhateverThePaletteOrder)
{
    const Rows dark = picture(13, 5, [](int x, int y) { return uint32_t((x * x + y) % 3 == 0); });
    Rows light = dark;
    for (auto& row : light)
        for (auto& v : row)
            v = 1 - v;
    expectPrintsLike(anymap("P4", dark, 0), {bmp(1, dark, {0xFFFFFF, 0x000000}), bmp(1, light, {0x000000, 0xFFFFFF}),
                                             pcx(1, 1, dark, {0xFFFFFF, 0x000000}), pcx(1, 1, light, {0x000000, 0xFFFFFF}),
                                             os2_bmp(1, light, {0x000000, 0xFFFFFF})});
}

// Two colours other than black and white are a picture of those colours, not
// a bitmap of the darker one: a uniform gray padded with a black entry prints gray.
TEST(BmpPcxJob, TwoColourPalettesPrintInTheirOwnTones)
{
    const Rows indices = picture(13, 5, [](int x, int y) { return uint32_t((x * x + y) % 3 == 0); });
    const std::vector<uint32_t> navy_gold = {0x000080, 0xFFD700};
    expectPrintsLike(anymap("P6", coloured(indices, navy_gold), 3),
                     {bmp(1, indices, navy_gold), pcx(1, 1, indices, navy_gold), os2_bmp(1, indices, navy_gold)});
    const Rows zeros = picture(13, 5, [](int, int) { return 0u; });
    const std::vector<uint32_t> gray_black = {0x808080, 0x000000};
    expectPrintsLike(anymap("P5", coloured(zeros, {0x80}), 1),
                     {bmp(1, zeros, gray_black), pcx(1, 1, zeros, gray_black)});
}

TEST(BmpPcxJob, ColourPicturesPrintLikeThePpm)
{
    const Rows colour = picture(25, 17, [](int x, int y) { return uint32_t(x * 0x0A1B2C + y * 0x2C0B1A) & 0xFFFFFF; });
    expectPrintsLike(anymap("P6", colour, 3), {bmp(24, colour, {}), os2_bmp(24, colour, {}), pcx(8, 3, colour, {}),
                                               pcx(8, 4, colour, {}), sun_rgb(colour, 24), sun_rgb(colour, 32)});
}

TEST(BmpPcxJob, ColourPalettesPrintLikeThePpm)
{
    const std::vector<uint32_t> palette = {0x102030, 0xF0E0D0, 0x00FF00, 0x8000FF, 0xFF4000, 0x404040, 0x0080FF,
                                           0xFFFF00, 0x000000, 0xFFFFFF, 0x7F7F00, 0x00007F, 0xC0C0C0, 0x3F0000,
                                           0x00C0C0, 0xA05080};
    const Rows indices = picture(21, 9, [](int x, int y) { return uint32_t(x * 3 + y * 5) % 16; });
    expectPrintsLike(anymap("P6", coloured(indices, palette), 3),
                     {pcx(1, 4, indices, palette), pcx(8, 1, indices, palette), bmp(8, indices, palette),
                      bmp(4, indices, palette), pcx(4, 1, indices, palette), os2_bmp(8, indices, palette),
                      os2_bmp(4, indices, palette)});
    const Rows four = picture(21, 9, [](int x, int y) { return uint32_t(x + y) % 4; });
    expectPrintsLike(anymap("P6", coloured(four, palette), 3), {pcx(2, 1, four, palette), pcx(1, 2, four, palette)});
}
