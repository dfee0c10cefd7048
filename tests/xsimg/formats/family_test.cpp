// The native family as one: every member is recognised by XSLRead and
// XSLCheckUp, and XSLWrite then writes through the member's own writer.
#include <gtest/gtest.h>

#include "picture_kinds.h"
#include "xsiotimg.h"
#include "xsioxsimg.h"

namespace {

struct Member {
    const char* name;
    XSNativeReader reader;
    XSWriter writer;
};

const Member kMembers[] = {
    {"TIMG", TCoReader, TCoWriter},
    {"native image file", XSLReadXSImg2, XSLWriteXSImg},
};

int rowOf(XSNativeReader reader)
{
    for (int i = 0; XSImageTypes[i].recognise; ++i)
        if (XSImageTypes[i].reader == reader)
            return i;
    return -1;
}

}  // namespace

TEST(NativeFamily, EveryMemberReadsInformsAndWritesThroughItsRow)
{
    for (const Member& m : kMembers) {
        SCOPED_TRACE(m.name);
        Image source = std::move(allPictureKinds(13, 6)[0].image);  // a bitmap of 300 dpi
        const std::string file = writtenBy(m.writer, source.get());
        ASSERT_GE(rowOf(m.reader), 0);

        auto f = stream_of(file);
        XSInfo info{};
        ASSERT_EQ(XSLCheckUp(f.get(), &info), 1);
        EXPECT_EQ(imagefunc, rowOf(m.reader));
        EXPECT_EQ(info.width, 13);
        EXPECT_EQ(info.height, 6);
        EXPECT_EQ(info.resolution, 300);
        // The member chosen by the check-up writes the same file again.
        EXPECT_EQ(writtenBy(XSLWrite, source.get()), file);

        Image back = readBy(XSLRead, file);
        ASSERT_TRUE(back) << "code " << xslerrno;
        EXPECT_EQ(imagefunc, rowOf(m.reader));
        EXPECT_EQ(coloursOf(back.get()), coloursOf(source.get()));

        auto cut = stream_of(file.substr(0, 30));
        EXPECT_EQ(XSLCheckUp(cut.get(), &info), 0);
        EXPECT_EQ(xslerrno, XSE_HEADER_READ);
    }
}

TEST(NativeFamily, EveryWriteModeBitChoosesTheFirstRow)
{
    for (int bit = 1; bit <= 0x20; bit <<= 1) {
        imagefunc = -1;
        EXPECT_EQ(XSLWriteMode(bit), bit);
        EXPECT_EQ(imagefunc, 0);
    }
    EXPECT_EQ(XSLWriteMode(0x40), 0);
    EXPECT_EQ(imagefunc, -1);
}
