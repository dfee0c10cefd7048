#include "page_files.h"

#include <vector>

std::string page_file_name(const Page& page, const char* extension)
{
    std::string name = "page-" + std::to_string(page.number);
    if (page.copies != 1)
        name += "-copies-" + std::to_string(page.copies);
    return name + "." + extension;
}

int write_page_pbm(FILE* out, const PagePicture& picture, int scale)
{
    const long width = (picture.width + scale - 1) / scale;
    const long height = (picture.height + scale - 1) / scale;
    fprintf(out, "P4\n%ld %ld\n", width, height);
    std::vector<uint32_t> black, area;
    std::vector<unsigned char> row((width + 7) / 8);
    for (long y = 0; y < height; ++y) {
        reduce_row(picture, scale, y, black, area);
        std::fill(row.begin(), row.end(), 0);
        for (long x = 0; x < width; ++x)
            if (2 * black[x] >= area[x] && black[x] > 0)
                row[x >> 3] |= 0x80 >> (x & 7);
        fwrite(row.data(), 1, row.size(), out);
    }
    return fflush(out) == 0 && !ferror(out);
}
