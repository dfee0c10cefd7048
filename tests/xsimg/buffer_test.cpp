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
    EXPECT_EQ(bytes(shorts, 5), (std::vector<int>{2, 1, 4, 3, 5}));
    unsigned char longs[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    bswap_long(longs, 10);
    EXPECT_EQ(bytes(longs, 10), (std::vector<int>{4, 3, 2, 1, 8, 7, 6, 5, 9, 10}));
    const uint32_t probe = 0x01020304;
    EXPECT_EQ(bswap_test(), *reinterpret_cast<const unsigned char*>(&probe) == 0x04 ? 1 : 0);

    const unsigned char be[] = {0x12, 0x34, 0x56, 0x78};
    EXPECT_EQ(XslMemToVal(be, 3), 0x123456u);
    unsigned char out[4] = {};
    XslValToMem(0xA1B2C3D4, out, 3);
    EXPECT_EQ(bytes(out, 4), (std::vector<int>{0xD4, 0xC3, 0xB2, 0}));
}

TEST(Buffers, FlipBytesReversesEveryPlane)
{
    Image image(XSLCrNewZmap(2, 1, 8));
    image->data[1] = 0x03;
    image->data_b[0] = 0x80;
    XSLFlipBytes(image.get());
    EXPECT_EQ(image->data[1], 0xC0);
    EXPECT_EQ(image->data_b[0], 0x01);
    unsigned char buffer[4] = {1, 2, 3, 4};
    XSLBSet(buffer, 3, 0xAB);
    XSLBZero(buffer, 1);
    EXPECT_EQ(bytes(buffer, 4), (std::vector<int>{0, 0xAB, 0xAB, 4}));
}

TEST(Channels, ReadChannelSkipsRowPaddingAndReportsShortReads)
{
    FILE* stream = tmpfile();
    ASSERT_NE(stream, nullptr);
    fwrite("abcXdefXghiX", 1, 12, stream);
    rewind(stream);
    unsigned char rows[16];
    ASSERT_EQ(XslReadChannel(stream, rows, 4, 3, 3), 1);
    EXPECT_EQ(memcmp(rows, "abcdefghi", 9), 0);
    rewind(stream);
    xslerrno = 0;
    EXPECT_EQ(XslReadChannel(stream, rows, 4, 4, 4), 0);
    EXPECT_EQ(xslerrno, XSE_DATA_READ);
    fclose(stream);

    FILE* full = fopen("/dev/full", "w");
    if (!full)
        return;
    setvbuf(full, nullptr, _IONBF, 0);
    EXPECT_EQ(XslWriteChannel(full, rows, 3), 0);
    EXPECT_EQ(xslerrno, XSE_DATA_WRITE);
    fclose(full);
}

} // namespace
