// Raw buffers, channel reads and writes, byte order.
#include "test_images.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

TEST(ByteOrder, SwapsUnitsAndLeavesTailAlone)
{
    unsigned char shorts[5] = {1, 2, 3, 4, 5};
    bswap_short(shorts, 5);
    EXPECT_EQ(memcmp(shorts, "\x02\x01\x04\x03\x05", 5), 0);
    unsigned char longs[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    bswap_long(longs, 10);
    EXPECT_EQ(memcmp(longs, "\x04\x03\x02\x01\x08\x07\x06\x05\x09\x0a", 10), 0);

    const uint32_t probe = 0x01020304;
    unsigned char first;
    memcpy(&first, &probe, 1);
    EXPECT_EQ(bswap_test(), first == 0x04 ? 1 : 0);
}

TEST(ByteOrder, MemToValMsbFirstValToMemLsbFirst)
{
    const unsigned char bytes[] = {0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(XslMemToVal(bytes, 3), 0x123456u);
    EXPECT_EQ(XslMemToVal(bytes, 4), 0x12345678u);
    unsigned char out[4] = {};
    XslValToMem(0xA1B2C3D4, out, 3);
    EXPECT_EQ(memcmp(out, "\xd4\xc3\xb2\x00", 4), 0);
}

TEST(Buffers, FlipBytesReversesEveryPlane)
{
    Image image(XSLCrNewZmap(2, 1, 8));
    image->data[0] = 0x01;
    image->data[1] = 0x03;
    image->data_g[1] = 0xF0;
    image->data_b[0] = 0x80;
    XSLFlipBytes(image.get());
    EXPECT_EQ(image->data[0], 0x80);
    EXPECT_EQ(image->data[1], 0xC0);
    EXPECT_EQ(image->data_g[1], 0x0F);
    EXPECT_EQ(image->data_b[0], 0x01);
    unsigned char buffer[4] = {1, 2, 3, 4};
    XSLBSet(buffer, 3, 0xAB);
    EXPECT_EQ(memcmp(buffer, "\xab\xab\xab\x04", 4), 0);
    XSLBZero(buffer, 2);
    EXPECT_EQ(memcmp(buffer, "\x00\x00\xab\x04", 4), 0);
}

TEST(Channels, ReadChannelSkipsRowPaddingAndReportsShortReads)
{
    FILE* stream = tmpfile();
    ASSERT_NE(stream, nullptr);
    fwrite("abcXdefXghiX", 1, 12, stream);
    rewind(stream);
    unsigned char rows[9];
    ASSERT_EQ(XslReadChannel(stream, rows, 4, 3, 3), 1);
    EXPECT_EQ(memcmp(rows, "abcdefghi", 9), 0);

    rewind(stream);
    unsigned char more[12];
    xslerrno = 0;
    EXPECT_EQ(XslReadChannel(stream, more, 4, 4, 4), 0);
    EXPECT_EQ(xslerrno, XSE_DATA_READ);

    rewind(stream);
    ASSERT_EQ(XslWriteChannel(stream, reinterpret_cast<const unsigned char*>("xyz"), 3), 1);
    rewind(stream);
    EXPECT_EQ(XSLFRead(more, 1, 12, stream), 12u);
    EXPECT_EQ(memcmp(more, "xyzXdefXghiX", 12), 0);
    fclose(stream);
}

TEST(Channels, WriteChannelReportsShortWrite)
{
    FILE* full = fopen("/dev/full", "w");
    if (!full)
        GTEST_SKIP() << "no /dev/full";
    setvbuf(full, nullptr, _IONBF, 0);
    xslerrno = 0;
    EXPECT_EQ(XslWriteChannel(full, reinterpret_cast<const unsigned char*>("abc"), 3), 0);
    EXPECT_EQ(xslerrno, XSE_DATA_WRITE);
    fclose(full);
}

} // namespace
