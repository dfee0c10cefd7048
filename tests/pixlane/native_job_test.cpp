// pixlane prints the library's own files like the same pixels as PGM or PPM.
#include <gtest/gtest.h>

#include <string>

#include "../xsimg/formats/picture_kinds.h"
#include "run_program.h"
#include "temp_dir.h"
#include "xsconv.h"
#include "xsiopbm.h"
#include "xsioxsimg.h"

namespace {

using Writer = int (*)(FILE*, XSImage*);

std::string fileOf(Writer writer, XSImage* image)
{
    FILE* f = std::tmpfile();
    EXPECT_EQ(writer(f, image), 1) << "code " << xslerrno;
    std::string bytes(size_t(std::ftell(f)), '\0');
    std::rewind(f);
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
    return bytes;
}

// The same pixels as PBM, PGM or PPM: colour kinds go through the RGB planes
// every colour picture is printed from.
std::string pnmOf(XSImage* image)
{
    Image copy(XSLAllocAndCopy(image));
    if (copy->type != 0 && !XSLCheckGraymap(copy.get())) {
        EXPECT_EQ(XSLConv24RGB(copy.get()), 1);
    }
    return fileOf(XSWritePBM, copy.get());
}

void expectPrintsLikePnm(Writer writer)
{
    for (auto& kind : allPictureKinds(37, 23)) {
        SCOPED_TRACE(kind.name);
        kind.image->resolution = 100;  // what PNM files are read with
        TempDir dir;
        write_file(dir.file("picture"), fileOf(writer, kind.image.get()));
        write_file(dir.file("picture.pnm"), pnmOf(kind.image.get()));
        const ProgramResult pnm = run_program(PIXLANE_BIN, {"-in", dir.file("picture.pnm")});
        const ProgramResult own = run_program(PIXLANE_BIN, {"-in", dir.file("picture")});
        ASSERT_EQ(pnm.status, 0) << pnm.err;
        EXPECT_EQ(own.status, 0) << own.err;
        EXPECT_GT(pnm.out.size(), 100u);
        EXPECT_TRUE(own.out == pnm.out);
    }
}

}  // namespace

TEST(NativeJob, ImageFilePrintsLikeTheSamePnm)
{
    expectPrintsLikePnm(XSLWriteXSImg);
}
