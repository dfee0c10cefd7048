// make_test_pgm WIDTH HEIGHT [pgm|ppm|jpeg] > picture: the benchmark picture,
// gray (PGM, the default) or in colour (binary PPM, or JPEG at quality 90).
#include "test_picture.h"
#include "xsiojpeg.h"
#include "xsreadkit.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Three differently placed copies of the gray picture as red, green and blue.
void colour_pixel(int x, int y, int width, int height, unsigned char rgb[3])
{
    rgb[0] = test_picture_pixel(x, y, width, height);
    rgb[1] = test_picture_pixel(width - 1 - x, y, width, height);
    rgb[2] = test_picture_pixel(x, height - 1 - y, width, height);
}

int write_netpbm(int width, int height, bool colour)
{
    printf("P%c\n%d %d\n255\n", colour ? '6' : '5', width, height);
    const size_t channels = colour ? 3 : 1;
    std::vector<unsigned char> row(width * channels);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (colour)
                colour_pixel(x, y, width, height, &row[x * 3]);
            else
                row[x] = test_picture_pixel(x, y, width, height);
        }
        if (fwrite(row.data(), 1, row.size(), stdout) != row.size())
            return 1;
    }
    return fflush(stdout) == 0 ? 0 : 1;
}

int write_jpeg(int width, int height)
{
    XslImagePtr image = XslNewRgbImage(width, height);
    if (!image)
        return 1;
    unsigned char* planes[3] = {image->data, image->data_g, image->data_b};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char rgb[3];
            colour_pixel(x, y, width, height, rgb);
            for (int c = 0; c < 3; ++c)
                planes[c][size_t(y) * width + x] = rgb[c];
        }
    image->resolution = 300;
    XSJpegQualitySet(90);
    return XSWriteJpeg(stdout, image.get()) && fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    int width = argc > 1 ? atoi(argv[1]) : 2000;
    int height = argc > 2 ? atoi(argv[2]) : 3000;
    const char* kind = argc > 3 ? argv[3] : "pgm";
    bool known = !strcmp(kind, "pgm") || !strcmp(kind, "ppm") || !strcmp(kind, "jpeg");
    if (width <= 0 || height <= 0 || !known) {
        fprintf(stderr, "usage: make_test_pgm WIDTH HEIGHT [pgm|ppm|jpeg]\n");
        return 2;
    }
    if (!strcmp(kind, "jpeg"))
        return write_jpeg(width, height);
    return write_netpbm(width, height, !strcmp(kind, "ppm"));
}
