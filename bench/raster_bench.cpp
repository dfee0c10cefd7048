// A 600-dpi A4 gray raster page (4960 x 7015 pixels, as the spooler's chain
// draws it) into the printer stream with Floyd-Steinberg: libcups reading the
// raster, the page held in gray, halftoning and raster output, as
// rastertolane does. Read the CPU column.
#include "raster_input.h"
#include "test_picture.h"

#include <benchmark/benchmark.h>
#include <cups/raster.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const unsigned kWidth = 4960, kHeight = 7015, kDpi = 600;

// The page as a CUPS raster document (version 3, uncompressed), made once.
const std::string& raster_document()
{
    static std::string bytes;
    if (!bytes.empty())
        return bytes;
    auto append = [](void* context, unsigned char* data, size_t n) -> ssize_t {
        static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(data), n);
        return static_cast<ssize_t>(n);
    };
    cups_raster_t* r = cupsRasterOpenIO(append, &bytes, CUPS_RASTER_WRITE);
    cups_page_header2_t h;
    std::memset(&h, 0, sizeof h);
    h.HWResolution[0] = h.HWResolution[1] = kDpi;
    h.PageSize[0] = 595;
    h.PageSize[1] = 842;
    h.cupsPageSize[0] = 595.28f;
    h.cupsPageSize[1] = 841.89f;
    h.cupsWidth = kWidth;
    h.cupsHeight = kHeight;
    h.cupsBitsPerColor = h.cupsBitsPerPixel = 8;
    h.cupsBytesPerLine = kWidth;
    h.cupsColorSpace = CUPS_CSPACE_W;
    h.cupsNumColors = 1;
    cupsRasterWriteHeader2(r, &h);
    std::vector<unsigned char> row(kWidth);
    for (unsigned y = 0; y < kHeight; ++y) {
        for (unsigned x = 0; x < kWidth; ++x)
            row[x] = test_picture_pixel(static_cast<int>(x), static_cast<int>(y), kWidth, kHeight);
        cupsRasterWritePixels(r, row.data(), kWidth);
    }
    cupsRasterClose(r);
    return bytes;
}

void BM_RasterPageToStream(benchmark::State& state)
{
    const std::string& bytes = raster_document();
    FILE* out = std::fopen("/dev/null", "wb");
    for (auto _ : state) {
        FILE* in = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
        raster_input raster(in);
        XslImagePtr page;
        raster_page_setup setup;
        std::string description, error;
        if (read_raster_page(raster, &page, &setup, &description, &error) != raster_read::page ||
            !print_raster_page(out, page.get(), setup, nullptr) || !end_raster_job(out))
            state.SkipWithError(error.c_str());
        std::fclose(in);
    }
    std::fclose(out);
}
BENCHMARK(BM_RasterPageToStream)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
