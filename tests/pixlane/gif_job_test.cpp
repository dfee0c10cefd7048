// pixlane prints GIF pictures like the same picture as PBM, PGM or PPM.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "job_fixture.h"
#include "same_print.h"
#include "temp_dir.h"
#include "xsiogif.h"

namespace {

// A colormap picture of the given entries {red, green, blue}, pixel (x, y) = index(x, y).
Image indexed(int width, int height, const std::vector<std::vector<int>>& entries,
              const std::function<int(int, int)>& index)
{
    Image image(XSLCrNewZmap2(width, height, 8));
    image->colormap = static_cast<XSColor*>(calloc(entries.size(), sizeof(XSColor)));
    image->ncolors = static_cast<uint16_t>(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        image->colormap[i] = {uint16_t(i), uint16_t(entries[i][0]), uint16_t(entries[i][1]), uint16_t(entries[i][2])};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image->data[y * width + x] = static_cast<unsigned char>(index(x, y));
    return image;
}

std::string gifOf(XSImage* image)
{
    FILE* f = std::tmpfile();
    EXPECT_EQ(XSWriteGif(f, image), 1);
    std::string bytes(static_cast<size_t>(std::ftell(f)), '\0');
    std::rewind(f);
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
    return bytes;
}

// The anymap of the same picture: P4 when it is black and white and `black`
// is the black entry, P5 for gray entries, P6 otherwise.
std::string anymapOf(const XSImage* image, int black)
{
    const int w = image->width, h = image->height;
    const std::string size = std::to_string(w) + " " + std::to_string(h) + "\n";
    std::string pixels;
    if (black >= 0) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; x += 8) {
                int byte = 0;
                for (int b = 0; b < 8 && x + b < w; ++b)
                    if (image->data[y * w + x + b] == black)
                        byte |= 0x80 >> b;
                pixels += char(byte);
            }
        return "P4\n" + size + pixels;
    }
    const bool gray = XSLCheckGraymap(image);
    for (int i = 0; i < w * h; ++i) {
        const XSColor& e = image->colormap[image->data[i]];
        pixels += gray ? std::string(1, char(e.red)) : std::string{char(e.red), char(e.green), char(e.blue)};
    }
    return (gray ? "P5\n" : "P6\n") + size + "255\n" + pixels;
}

}  // namespace

TEST(GifJob, GifPrintsLikeTheSameAnymapFromAFileAndFromStandardInput)
{
    std::vector<std::vector<int>> ramp;
    for (int i = 0; i < 256; ++i)
        ramp.push_back({i, i, i});
    const struct {
        const char* name;
        Image picture;
        int black;  // index printed black in a two-colour picture, else -1
    } cases[] = {
        {"gray", indexed(30, 12, ramp, [](int x, int y) { return (y * 30 + x) * 7 % 256; }), -1},
        {"colour", indexed(25, 17, {{200, 30, 40}, {10, 220, 90}, {0, 0, 255}, {250, 250, 250}},
                           [](int x, int y) { return (x / 3 + y / 4) % 4; }), -1},
        {"black on white", indexed(19, 6, {{255, 255, 255}, {0, 0, 0}}, [](int x, int y) { return x < 2 * y; }), 1},
        {"white on black", indexed(19, 6, {{0, 0, 0}, {255, 255, 255}}, [](int x, int y) { return x < 2 * y; }), 0},
        // Two colours other than black and white print in their own tones.
        {"dark gray on white", indexed(19, 6, {{255, 255, 255}, {64, 64, 64}}, [](int x, int y) { return x > y; }), -1},
        {"navy and gold", indexed(19, 6, {{255, 215, 0}, {0, 0, 128}}, [](int x, int y) { return x % 3 == 0; }), -1},
        {"uniform gray padded with black", indexed(19, 6, {{128, 128, 128}, {0, 0, 0}}, [](int, int) { return 0; }), -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string gif = gifOf(c.picture.get());
        write_file(dir.file("picture.gif"), gif);
        write_file(dir.file("picture.pnm"), anymapOf(c.picture.get(), c.black));
        expectSamePrint(dir.file("picture.pnm"), dir.file("picture.gif"), gif);
    }
}

TEST(GifJob, DamagedGifFailsWithoutOutput)
{
    TempDir dir;
    write_file(dir.file("bad.gif"), std::string("GIF89a\x02\0\x02\0\0\0\0;", 14));
    expectCleanFailure(dir.file("bad.gif"));
}
