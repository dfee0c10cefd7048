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

// A Sun raster header of the given width and an unknown depth, with a row.
std::string sun_header(uint32_t width, uint32_t depth)
{
    std::string h;
    for (uint32_t word : {0x59A66A95u, width, 2u, depth, 0u, 1u, 0u, 0u})
        for (int i = 3; i >= 0; --i)
            h += char(word >> (8 * i));
    return h + std::string(16, '\x55');
}

// A window-dump-shaped file whose width field (offset 16) says 0.
std::string no_width(std::string bytes)
{
    bytes.replace(16, 4, std::string(4, '\0'));
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
        // A Sun raster 7 wide also has a window dump's version at offset 4.
        {sun_header(7, 4), "Sun raster: unsupported image format variant"},
        {cut(picture_bytes("IMG", 40, 30), 60), "TIMG: truncated image header"},
        {cut(picture_bytes("XWD", 40, 30), 60), "X window dump: truncated image header"},
        // An icon fits the loose last resort's size limits with no width at all.
        {std::string("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0", 14) + std::string(40, '\0'),
         "not a picture file this printer knows"},
        {no_width(picture_bytes("IMG", 40, 30)), "TIMG: damaged image header"},
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
