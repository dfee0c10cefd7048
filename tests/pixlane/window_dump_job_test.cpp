// pixlane prints window dumps like the same picture as PBM, PGM or PPM.
#include <gtest/gtest.h>

#include <string>

#include "same_print.h"
#include "xwd_maker.h"

namespace {
const int kPictureWidth = 30, kPictureHeight = 12;

uint32_t level(int x, int y)
{
    return uint32_t(x * 9 + y * 13) & 0xFF;
}

bool black(int x, int y)
{
    return (x / 3 + y) % 3 == 0;
}

std::string pnm(const char* form, const std::string& pixels, int width = kPictureWidth)
{
    const bool bits = std::string(form) == "P4";
    return std::string(form) + "\n" + std::to_string(width) + " " + std::to_string(kPictureHeight) + "\n" +
           (bits ? "" : "255\n") + pixels;
}

std::string pgm()
{
    std::string pixels;
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x)
            pixels += char(level(x, y));
    return pnm("P5", pixels);
}

std::string ppm()
{
    std::string pixels;
    for (int y = 0; y < kPictureHeight; ++y)
        for (int x = 0; x < kPictureWidth; ++x)
            put_be(pixels, level(x, y) << 16 | (255 - level(x, y)) << 8 | uint32_t(x * 8), 3);
    return pnm("P6", pixels);
}

std::string pbm(int width = kPictureWidth)
{
    return pnm("P4", xwd_bitmap_lines(width, kPictureHeight, 8, 1, 1, (width + 7) / 8, black), width);
}
}  // namespace

TEST(WindowDumpJob, GrayXwdPrintsLikeThePgm)
{
    XwdDump d = xwd_dump(kPictureWidth, kPictureHeight, 8, 8, kPictureWidth + 2, 3);
    for (int i = 0; i < 256; ++i)
        d.colours.push_back({uint32_t(i), uint16_t(i * 257), uint16_t(i * 257), uint16_t(i * 257)});
    d.pixels = xwd_sample_lines(kPictureWidth, kPictureHeight, 8, 1, kPictureWidth + 2, level);
    expectPrintsLike(pgm(), {d.bytes()});
}

TEST(WindowDumpJob, TrueColourXwdPrintsLikeThePpm)
{
    XwdDump d = xwd_dump(kPictureWidth, kPictureHeight, 24, 24, kPictureWidth * 3, 4);
    d.field[XwdByteOrder] = 0;
    d.field[XwdRedMask] = 0xFF0000;
    d.field[XwdGreenMask] = 0xFF00;
    d.field[XwdBlueMask] = 0xFF;
    d.pixels = xwd_sample_lines(kPictureWidth, kPictureHeight, 24, 0, kPictureWidth * 3, [](int x, int y) {
        return level(x, y) << 16 | (255 - level(x, y)) << 8 | uint32_t(x * 8);
    });
    expectPrintsLike(ppm(), {d.bytes()});
}

TEST(WindowDumpJob, XwdBitmapPrintsLikeThePbm)
{
    XwdDump d = xwd_dump(kPictureWidth, kPictureHeight, 1, 1, 4, 0);
    d.field[XwdFormat] = 0;
    d.field[XwdUnit] = 32;
    d.field[XwdByteOrder] = 0;
    d.field[XwdBitOrder] = 0;
    d.pixels = xwd_bitmap_lines(kPictureWidth, kPictureHeight, 32, 0, 0, 4, black);
    expectPrintsLike(pbm(), {d.bytes()});
}

TEST(WindowDumpJob, Tv11BitmapPrintsLikeThePbm)
{
    // Without its bits per pixel the XWD reader refuses it; the TV11 member takes it.
    XwdDump d = xwd_dump(kPictureWidth, kPictureHeight, 1, 0, 4, 0);
    d.field[XwdFormat] = 0;
    d.field[XwdUnit] = d.field[XwdPad] = 16;
    d.field[XwdWinWidth] = 100;
    d.pixels = xwd_bitmap_lines(kPictureWidth, kPictureHeight, 16, 1, 1, 4, black);
    expectPrintsLike(pbm(), {d.bytes()});
}

TEST(WindowDumpJob, Tv10BitmapPrintsLikeThePbm)
{
    // Rows of 32 pixels in 16-bit units, the leftmost pixel in the low bit.
    std::string tv10;
    put_be(tv10, 4, 2);
    put_be(tv10, kPictureHeight, 2);
    put_be(tv10, 1, 2);
    tv10 += xwd_bitmap_lines(32, kPictureHeight, 16, 1, 0, 4, black);
    expectPrintsLike(pbm(32), {tv10});
}
