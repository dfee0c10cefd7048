// pixlane prints the library's own files like the same pixels as PGM or PPM.
#include <gtest/gtest.h>

#include <string>

#include "../xsimg/formats/picture_kinds.h"
#include "run_program.h"
#include "temp_dir.h"
#include "xsconv.h"
#include "xsiopbm.h"
#include "xsiotimg.h"
#include "xsioxsimg.h"

namespace {

// The same pixels as PBM, PGM or PPM: colour kinds go through the RGB planes
// every colour picture is printed from.
std::string pnmOf(XSImage* image)
{
    Image copy(XSLAllocAndCopy(image));
    if (copy->type != 0 && !XSLCheckGraymap(copy.get())) {
        EXPECT_EQ(XSLConv24RGB(copy.get()), 1);
    }
    return writtenBy(XSWritePBM, copy.get());
}

void expectPrintsLikePnm(XSWriter writer)
{
    for (auto& kind : allPictureKinds(37, 23)) {
        SCOPED_TRACE(kind.name);
        kind.image->resolution = 100;  // what PNM files are read with
        TempDir dir;
        write_file(dir.file("picture"), writtenBy(writer, kind.image.get()));
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

TEST(NativeJob, TimgPrintsLikeTheSamePnm)
{
    expectPrintsLikePnm(TCoWriter);
}
