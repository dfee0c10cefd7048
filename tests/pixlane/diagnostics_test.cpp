// A picture that cannot be read is reported with the format its bytes looked
// like and why the reader gave up; the status stays 1, the library's code XSE_UNKNOWN_FORMAT.
#include <gtest/gtest.h>

#include <string>

#include "failure.h"
#include "picture_job.h"
#include "picture_maker.h"
#include "run_program.h"
#include "temp_dir.h"

namespace {

std::string cut(std::string bytes, size_t size)
{
    bytes.resize(size);
    return bytes;
}

}  // namespace

TEST(Diagnostics, UnreadablePicturesSayWhatTheyLookedLikeAndWhy)
{
    const struct {
        std::string bytes;
        const char* reason;
    } cases[] = {
        {cut(picture_bytes("TIFF", 40, 30), 20), "TIFF: damaged image data"},
        {cut(picture_bytes("PCX", 40, 30), 100), "PCX: truncated image header"},
        {cut(picture_bytes("GIF", 40, 30), 50), "GIF: damaged colormap"},
        {cut(picture_bytes("JPEG", 40, 30), 300), "JPEG: damaged or unsupported picture"},
        {cut(picture_bytes("SUN", 40, 30), 40), "Sun raster: damaged image data"},
        {"P5\n99999 99999\n255\n", "PGM: picture too large (limit 134217728 pixels) or out of memory"},
        {"plain words, no picture\n", "not a picture file this printer knows"},
        {"", "the picture file is empty"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const std::string file = dir.file("picture");
        write_file(file, c.bytes);
        const ProgramResult r = run_program(PIXLANE_BIN, {"-in", file});
        EXPECT_EQ(r.status, 1) << c.reason;
        EXPECT_EQ(r.out, "");
        // Only the last line is ours; libtiff says its piece before it, naming the file.
        EXPECT_EQ(r.err.substr(r.err.rfind("pixlane: ")), std::string("pixlane: ") + c.reason + "\n") << r.err;
        EXPECT_EQ(r.err.find("None"), std::string::npos) << r.err;
    }
    write_file(dir.file("picture"), cut(picture_bytes("TIFF", 40, 30), 20));
    const ProgramResult tiff = run_program(PIXLANE_BIN, {"-in", dir.file("picture")});
    EXPECT_NE(tiff.err.find("TIFF Error: " + dir.file("picture") + ": "), std::string::npos) << tiff.err;
}

TEST(Diagnostics, TheLibraryCodeStaysTwentyFive)
{
    TempDir dir;
    write_file(dir.file("picture"), cut(picture_bytes("GIF", 40, 30), 50));
    Settings s;
    set_default(&s);
    s.input = std::fopen(dir.file("picture").c_str(), "r");
    std::string said;
    job_report report;
    report.context = &said;
    report.failed = [](void* context, int, const char* reason) { *static_cast<std::string*>(context) = reason; };
    int status = 0;
    EXPECT_EQ(read_job_picture(&s, report, &status), nullptr);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(xslerrno, XSE_UNKNOWN_FORMAT);
    EXPECT_EQ(said, "GIF: damaged colormap");
    std::fclose(s.input);
}
