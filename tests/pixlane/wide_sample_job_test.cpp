// Pictures of 16 bits a sample (and floating point), made from an 8-bit
// picture by the tools that write them, print the very stream of the 8-bit
// picture; cut short they fail cleanly. Rows whose tools are missing are skipped.
#include <gtest/gtest.h>

#include <string>

#include "run_program.h"
#include "same_print.h"
#include "temp_dir.h"

namespace {

bool have(const char* tools)
{
    return run_program("/bin/sh", {"-c", std::string("for t in ") + tools + "; do command -v $t; done"}).status == 0;
}

std::string anymap(const char* magic, int channels)
{
    std::string bytes = std::string(magic) + "\n40 30\n255\n";
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            for (int c = 0; c < channels; ++c)
                bytes += char((x * (7 + 2 * c) + y * (5 + 3 * c) + c * 90) & 0xFF);
    return bytes;
}

}  // namespace

TEST(WideSampleJob, PeerFilesPrintAsTheirEightBitOriginals)
{
    const struct {
        const char* tools;
        const char* command;  // from gray.pgm or rgb.ppm to out
        const char* original;
    } rows[] = {
        {"pamdepth pamtotiff", "pamdepth 65535 gray.pgm | pamtotiff > out", "gray.pgm"},
        {"pamdepth pamtotiff", "pamdepth 65535 gray.pgm | pamtotiff -miniswhite > out", "gray.pgm"},
        {"pamdepth pamtotiff", "pamdepth 65535 rgb.ppm | pamtotiff -truecolor > out", "rgb.ppm"},
        {"pamdepth pamtotiff", "pamdepth 65535 rgb.ppm | pamtotiff -truecolor -lzw > out", "rgb.ppm"},
        {"pamdepth pamtotiff tiffcp", "pamdepth 65535 gray.pgm | pamtotiff > t && tiffcp -c zip t out", "gray.pgm"},
        {"pamdepth pamtotiff tiffcp", "pamdepth 65535 rgb.ppm | pamtotiff -truecolor > t && tiffcp -t -c lzw:2 t out",
         "rgb.ppm"},
        {"convert", "convert rgb.ppm -depth 16 TIFF:out", "rgb.ppm"},
        {"convert", "convert gray.pgm -depth 16 -endian LSB -compress zip TIFF:out", "gray.pgm"},
        {"convert", "convert rgb.ppm -depth 32 -define quantum:format=floating-point -compress zip TIFF:out", "rgb.ppm"},
        {"convert", "convert rgb.ppm -depth 16 SGI:out", "rgb.ppm"},
        {"convert", "convert gray.pgm -depth 16 -compress RLE SGI:out", "gray.pgm"},
        {"convert", "convert rgb.ppm -depth 16 -compress none SGI:out", "rgb.ppm"},
    };
    TempDir dir;
    write_file(dir.file("gray.pgm"), anymap("P5", 1));
    write_file(dir.file("rgb.ppm"), anymap("P6", 3));
    int made = 0;
    for (const auto& row : rows) {
        if (!have(row.tools))
            continue;
        SCOPED_TRACE(row.command);
        ProgramResult tool = run_program("/bin/sh", {"-c", "cd " + dir.path() + " && " + row.command});
        ASSERT_EQ(tool.status, 0) << tool.err;
        const std::string bytes = read_file(dir.file("out"));
        expectSamePrint(dir.file(row.original), dir.file("out"), bytes);
        write_file(dir.file("cut"), bytes.substr(0, bytes.size() * 2 / 3));
        expectCleanFailure(dir.file("cut"));
        ++made;
    }
    if (made == 0)
        GTEST_SKIP() << "neither netpbm nor ImageMagick is installed";
}
