// Picture files of every format the image library writes, for tests that
// need a picture file of some format.
#pragma once

#include <gtest/gtest.h>

#include <tiffio.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "temp_dir.h"
#include "xsio.h"
#include "xsregistry.h"
#include "xsreadkit.h"

// A colour gradient of width x height pixels at 100 dpi, written by the
// library's writer of the format named in its format table ("PPM", "TIFF",
// "JPEG", "GIF", "PCX", "IMG"...).
inline std::string picture_bytes(const std::string& format, int width, int height)
{
    XslImagePtr image = XslNewRgbImage(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const long at = long(y) * width + x;
            image->data[at] = static_cast<unsigned char>(x * 255 / width);
            image->data_g[at] = static_cast<unsigned char>(y * 255 / height);
            image->data_b[at] = static_cast<unsigned char>((x + y) % 256);
        }
    image->resolution = 100;
    const XSMagicRow* row = magic_table;
    while (row->magic != nullptr && format != row->name)
        ++row;
    EXPECT_NE(row->magic, nullptr) << format;
    FILE* f = std::tmpfile();
    EXPECT_EQ(row->writer(f, image.get()), 1) << format;
    std::fseek(f, 0, SEEK_END);  // a writer may leave the stream elsewhere
    std::string bytes(static_cast<size_t>(std::ftell(f)), '\0');
    std::rewind(f);
    EXPECT_EQ(std::fread(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
    return bytes;
}

// A TIFF of black 8-bit gray pages of the given sizes, one directory a page.
inline std::string gray_tiff_pages(const std::vector<std::pair<int, int>>& sizes)
{
    TempDir dir;
    const std::string path = dir.file("pages.tif");
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    EXPECT_NE(tif, nullptr);
    if (tif == nullptr)
        return "";
    for (const auto& [width, height] : sizes) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        std::vector<unsigned char> row(width, 0);
        for (int y = 0; y < height; ++y)
            TIFFWriteScanline(tif, row.data(), y, 0);
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
    return read_file(path);
}
