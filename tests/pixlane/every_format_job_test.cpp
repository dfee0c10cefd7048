// Every writer of the library, from the magic table and the native family: one
// picture written by each is read back by XSReadMagic in the writer's format
// and printed by pixlane like the same picture as PGM (or PBM).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../xsimg/formats/picture_kinds.h"
#include "run_program.h"
#include "temp_dir.h"
#include "xsiopbm.h"
#include "xsiotv.h"
#include "xsregistry.h"

namespace {

struct LibraryWriter {
    std::string name;
    XSWriter writer;
    int format;  // what XSReadMagic must find in its files
};

// Each writer once, in table order; TV10 files are written by a writer of
// their own that no table row holds.
std::vector<LibraryWriter> everyWriter()
{
    std::vector<LibraryWriter> writers;
    auto add = [&](const std::string& name, XSWriter writer, int format) {
        for (const LibraryWriter& w : writers)
            if (w.writer == writer)
                return;
        writers.push_back({name, writer, format});
    };
    for (const XSMagicRow* row = magic_table; row->magic; ++row)
        add(row->name, row->writer, row->format);
    // TV11 files are version-7 window dumps, which the XWD row reads first.
    for (int i = 0; XSImageTypes[i].recognise; ++i)
        add("native family row " + std::to_string(i), XSImageTypes[i].writer,
            XSImageTypes[i].writer == TV11Writer ? XSF_XWD : XSF_NATIVE);
    add("TV10", TV10Writer, XSF_NATIVE);
    return writers;
}

// 8 x 8 blocks, so that even a lossy coder keeps every level exactly.
int blockLevel(int x, int y, int levels)
{
    return (x / 8 + 2 * (y / 8)) % levels * 255 / (levels - 1);
}

// The picture as a gray colormap image of four levels, and in black and white as a bitmap.
Image grayPicture(int width, int height)
{
    Image image(XSLCrNewZmap2(width, height, 8));
    attachColormap(
        image.get(),
        {Entry(0, 0, 0, 0), Entry(1, 85, 85, 85), Entry(2, 170, 170, 170), Entry(3, 255, 255, 255)});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image->data[y * width + x] = static_cast<unsigned char>(blockLevel(x, y, 4) / 85);
    image->resolution = 100;
    return image;
}

Image bitmapPicture(int width, int height)
{
    Image image(XSLCrNewBit(width, height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (blockLevel(x, y, 2) == 0)
                image->data[y * XSLBytesPerLine(image.get()) + x / 8] |= XslMsbMask[x % 8];
    image->resolution = 100;
    return image;
}

std::string printed(const TempDir& dir, const std::string& name, const std::string& file)
{
    write_file(dir.file(name), file);
    const ProgramResult r = run_program(PIXLANE_BIN, {"-in", dir.file(name)});
    EXPECT_EQ(r.status, 0) << name << ": " << r.err;
    return r.out;
}

}  // namespace

TEST(EveryFormatJob, EachWritersFilePrintsTheExpectedPage)
{
    TempDir dir;
    Image pictures[] = {grayPicture(48, 32), bitmapPicture(48, 32)};
    const std::string pages[] = {printed(dir, "picture.pgm", writtenBy(XSWritePBM, pictures[0].get())),
                                 printed(dir, "picture.pbm", writtenBy(XSWritePBM, pictures[1].get()))};
    ASSERT_GT(pages[0].size(), 100u);
    EXPECT_NE(pages[0], pages[1]);

    const std::vector<LibraryWriter> writers = everyWriter();
    EXPECT_GE(writers.size(), 15u);
    for (const LibraryWriter& w : writers) {
        SCOPED_TRACE(w.name);
        int written = 0;
        for (int p = 0; p < 2; ++p) {
            Image copy(XSLAllocAndCopy(pictures[p].get()));
            auto f = empty_stream();
            xslerrno = 0;
            if (!w.writer(f.get(), copy.get())) {
                // Only a writer for bitmaps alone may refuse the gray picture.
                EXPECT_EQ(p, 0);
                EXPECT_EQ(xslerrno, XSE_BITMAP_ONLY);
                continue;
            }
            ++written;
            const std::string file = contents_of(f.get());
            Image back = readBy(XSReadMagic, file);
            ASSERT_TRUE(back) << "code " << xslerrno;
            EXPECT_EQ(back->format, w.format);
            EXPECT_TRUE(printed(dir, "picture", file) == pages[p]) << "picture " << p;
        }
        EXPECT_GT(written, 0);
    }
}
