#include "xsrotate.h"
#include "xsown.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using Image = XslImagePtr;

bool bit_at(const XSImage* image, int x, int y)
{
    const long stride = (image->width + 7) / 8;
    return (image->data[y * stride + x / 8] & (0x80 >> (x % 8))) != 0;
}

// A pattern with no symmetry, so any wrong mapping shows.
bool pattern_bit(int x, int y)
{
    return ((x * 7 + y * 3) % 5 == 0) || (x == 0 && y == 0);
}

Image make_bitmap(int w, int h)
{
    Image image(XSLCrNewBit(w, h));
    const long stride = (w + 7) / 8;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (pattern_bit(x, y))
                image->data[y * stride + x / 8] |= 0x80 >> (x % 8);
    return image;
}

// Where pixel (x, y) of a w x h picture lies after the turn.
struct Place { int x, y; };
Place turned_place(bool clockwise, int w, int h, int x, int y)
{
    return clockwise ? Place{h - 1 - y, x} : Place{y, w - 1 - x};
}

void expect_bitmap_turned(bool clockwise, int w, int h)
{
    SCOPED_TRACE(testing::Message() << (clockwise ? "270 " : "90 ") << w << "x" << h);
    Image image = make_bitmap(w, h);
    ASSERT_EQ(clockwise ? XSLRotate270(image.get()) : XSLRotate90(image.get()), 1);
    ASSERT_EQ(image->width, h);
    ASSERT_EQ(image->height, w);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Place p = turned_place(clockwise, w, h, x, y);
            ASSERT_EQ(bit_at(image.get(), p.x, p.y), pattern_bit(x, y)) << x << "," << y;
        }
    // The bits beyond the new width stay clear.
    const int stride = (h + 7) / 8;
    for (int row = 0; row < w; ++row)
        for (int x = h; x < stride * 8; ++x)
            EXPECT_FALSE(image->data[row * stride + x / 8] & (0x80 >> (x % 8)));
}

// A one-plane pixmap whose every byte differs from its neighbours'.
Image make_pixmap(int w, int h, int depth)
{
    Image image(XSLCrNewZmap2(w, h, depth));
    const long size = XSLDataSize(image.get());
    for (long i = 0; i < size; ++i)
        image->data[i] = static_cast<unsigned char>(i * 37 + i / 251);
    return image;
}

void expect_pixmap_turned(bool clockwise, int w, int h, int depth)
{
    SCOPED_TRACE(testing::Message() << (clockwise ? "270 " : "90 ") << w << "x" << h << " depth " << depth);
    Image image = make_pixmap(w, h, depth);
    const int n = image->bytes_per_pixel;
    const std::vector<unsigned char> before(image->data, image->data + XSLDataSize(image.get()));
    unsigned char* const plane = image->data;
    ASSERT_EQ(clockwise ? XSLRotate270(image.get()) : XSLRotate90(image.get()), 1);
    ASSERT_EQ(image->width, h);
    ASSERT_EQ(image->height, w);
    EXPECT_EQ(image->data, plane);   // turned in place
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Place p = turned_place(clockwise, w, h, x, y);
            ASSERT_EQ(memcmp(image->data + (p.y * h + p.x) * n, before.data() + (y * w + x) * n, n), 0)
                << x << "," << y;
        }
}

}  // namespace

TEST(QuarterTurn, GrayExampleBothWays)
{
    for (bool clockwise : {true, false}) {
        Image image(XSLCrNewZmap2(3, 2, 8));
        const unsigned char pixels[] = {1, 2, 3, 4, 5, 6};
        memcpy(image->data, pixels, 6);
        ASSERT_EQ(clockwise ? XSLRotate270(image.get()) : XSLRotate90(image.get()), 1);
        EXPECT_EQ(image->width, 2);
        EXPECT_EQ(image->height, 3);
        const std::vector<unsigned char> turned(image->data, image->data + 6);
        if (clockwise)
            EXPECT_EQ(turned, (std::vector<unsigned char>{4, 1, 5, 2, 6, 3}));
        else
            EXPECT_EQ(turned, (std::vector<unsigned char>{3, 6, 2, 5, 1, 4}));
    }
}

TEST(QuarterTurn, BitmapsOfOddSizes)
{
    for (bool clockwise : {true, false}) {
        expect_bitmap_turned(clockwise, 13, 5);
        expect_bitmap_turned(clockwise, 10, 3);
        expect_bitmap_turned(clockwise, 1, 1);
        expect_bitmap_turned(clockwise, 71, 40);   // more than one tile each way
    }
}

TEST(QuarterTurn, DirectColourAndGrayPixmaps)
{
    for (bool clockwise : {true, false})
        for (int depth : {8, 16, 24, 32}) {
            expect_pixmap_turned(clockwise, 13, 5, depth);
            expect_pixmap_turned(clockwise, 67, 35, depth);
        }
}

TEST(QuarterTurn, RgbPlanesTurnAlike)
{
    Image image(XSLCrNewZmap(5, 3, 8));
    for (int i = 0; i < 15; ++i) {
        image->data[i] = static_cast<unsigned char>(i);
        image->data_g[i] = static_cast<unsigned char>(100 + i);
        image->data_b[i] = static_cast<unsigned char>(200 + i);
    }
    unsigned char* const planes[] = {image->data, image->data_g, image->data_b};
    ASSERT_EQ(XSLRotate90(image.get()), 1);
    EXPECT_EQ(image->data, planes[0]);
    EXPECT_EQ(image->data_g, planes[1]);
    EXPECT_EQ(image->data_b, planes[2]);
    // New row r, column c holds old pixel (x = 4 - r, y = c).
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 3; ++c) {
            const int old = c * 5 + (4 - r);
            EXPECT_EQ(image->data[r * 3 + c], old);
            EXPECT_EQ(image->data_g[r * 3 + c], 100 + old);
            EXPECT_EQ(image->data_b[r * 3 + c], 200 + old);
        }
}

TEST(QuarterTurn, FourTurnsAndOppositeTurnsRestore)
{
    Image bitmap = make_bitmap(13, 5);
    Image pixmap = make_pixmap(13, 5, 24);
    const std::vector<unsigned char> bits(bitmap->data, bitmap->data + XSLDataSize(bitmap.get()));
    const std::vector<unsigned char> bytes(pixmap->data, pixmap->data + XSLDataSize(pixmap.get()));
    for (XSImage* image : {bitmap.get(), pixmap.get()}) {
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(XSLRotate90(image), 1);
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(XSLRotate270(image), 1);
        ASSERT_EQ(XSLRotate90(image), 1);
        ASSERT_EQ(XSLRotate270(image), 1);
        EXPECT_EQ(image->width, 13);
        EXPECT_EQ(image->height, 5);
    }
    EXPECT_EQ(std::vector<unsigned char>(bitmap->data, bitmap->data + bits.size()), bits);
    EXPECT_EQ(std::vector<unsigned char>(pixmap->data, pixmap->data + bytes.size()), bytes);
}

TEST(QuarterTurn, UnsupportedKindsAreRefused)
{
    Image odd_planes = make_pixmap(4, 3, 8);
    odd_planes->planes = 2;
    xslerrno = 0;
    EXPECT_EQ(XSLRotate270(odd_planes.get()), 0);
    EXPECT_EQ(xslerrno, XSE_KIND);
    EXPECT_EQ(odd_planes->width, 4);

    Image wide_pixels = make_pixmap(4, 3, 8);
    wide_pixels->bytes_per_pixel = 5;
    xslerrno = 0;
    EXPECT_EQ(XSLRotate90(wide_pixels.get()), 0);
    EXPECT_EQ(xslerrno, 0);
    EXPECT_EQ(wide_pixels->width, 4);
}
