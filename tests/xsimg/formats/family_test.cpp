// The native family as one: every member is recognised by XSLRead and
// XSLCheckUp, and XSLWrite then writes through the member's own writer.
#include <gtest/gtest.h>

#include "picture_kinds.h"
#include "xsiotimg.h"
#include "xsiotv.h"
#include "xsioxsimg.h"
#include "xsregistry.h"

namespace {

struct Member {
    const char* name;
    XSNativeReader reader;
    XSWriter writer;  // makes the member's file
    XSWriter row_writer;  // what XSLWrite writes once the member is chosen
    int resolution;  // what its file keeps of 300 dpi
};

// In table order. A TV10 file keeps no resolution, and its row writes TV11 files.
const Member kMembers[] = {
    {"TIMG", TCoReader, TCoWriter, TCoWriter, 300},
    {"TV11", TV11Reader, TV11Writer, TV11Writer, 300},
    {"native image file", XSLReadXSImg2, XSLWriteXSImg, XSLWriteXSImg, 300},
    {"TV10", TV10Reader, TV10Writer, TV11Writer, 100},
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
        Image source = std::move(allPictureKinds(16, 6)[0].image);  // a bitmap of 300 dpi
        const std::string file = writtenBy(m.writer, source.get());
        EXPECT_EQ(rowOf(m.reader), &m - kMembers);

        auto f = stream_of(file);
        XSInfo info{};
        ASSERT_EQ(XSLCheckUp(f.get(), &info), 1);
        EXPECT_EQ(imagefunc, rowOf(m.reader));
        EXPECT_EQ(info.width, 16);
        EXPECT_EQ(info.height, 6);
        EXPECT_EQ(info.resolution, m.resolution);
        // The member chosen by the check-up writes through its row's writer.
        EXPECT_EQ(writtenBy(XSLWrite, source.get()), writtenBy(m.row_writer, source.get()));

        Image back = readBy(XSLRead, file);
        ASSERT_TRUE(back) << "code " << xslerrno;
        EXPECT_EQ(imagefunc, rowOf(m.reader));
        EXPECT_EQ(coloursOf(back.get()), coloursOf(source.get()));

        auto cut = stream_of(file.substr(0, 7));
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
