// make_test_pgm WIDTH HEIGHT > picture.pgm: a binary PGM of the benchmark picture.
#include "test_picture.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    int width = argc > 1 ? atoi(argv[1]) : 2000;
    int height = argc > 2 ? atoi(argv[2]) : 3000;
    if (width <= 0 || height <= 0) {
        fprintf(stderr, "usage: make_test_pgm WIDTH HEIGHT\n");
        return 2;
    }
    printf("P5\n%d %d\n255\n", width, height);
    std::vector<unsigned char> row(width);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            row[x] = test_picture_pixel(x, y, width, height);
        if (fwrite(row.data(), 1, width, stdout) != size_t(width))
            return 1;
    }
    return fflush(stdout) == 0 ? 0 : 1;
}
