#include "halftone_support.h"

#include "page_lines.h"

#include <gtest/gtest.h>

HandPicture HandPicture::gray(int width, int height, const std::function<int(int, int)>& value)
{
    HandPicture p;
    p.plane.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.plane[static_cast<size_t>(y) * width + x] = static_cast<unsigned char>(value(x, y));
    p.image.type = 1;
    p.image.width = width;
    p.image.height = height;
    p.image.depth = 8;
    p.image.planes = 1;
    p.image.bytes_per_pixel = 1;
    p.image.bits_per_sample = 8;
    p.image.data = p.plane.data();
    return p;
}

HandPicture HandPicture::bitmap(int width, int height, const std::function<bool(int, int)>& black)
{
    HandPicture p;
    int stride = (width + 7) / 8;
    p.plane.assign(static_cast<size_t>(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (black(x, y))
                p.plane[static_cast<size_t>(y) * stride + x / 8] |= 0x80 >> (x % 8);
    p.image.type = 0;
    p.image.width = width;
    p.image.height = height;
    p.image.depth = 1;
    p.image.planes = 1;
    p.image.data = p.plane.data();
    return p;
}

long HalftonedPage::count_black() const
{
    long count = 0;
    for (size_t row = 0; row < lines.size(); ++row)
        for (long i = 0; i < dots; ++i)
            count += black(row, i);
    return count;
}

HalftonedPage halftone_page(halftoner method, HandPicture& picture, double x_scale, double y_scale,
                Settings* settings, RasterJob* job)
{
    RasterJobPtr own;
    if (!job) {
        own.reset(make_raster_job());
        job = own.get();
    }
    Settings defaults{};
    defaults.threshold = 0.5;
    if (!settings)
        settings = &defaults;
    HalftonedPage page;
    page.dots = resample_count(picture.image.width, x_scale);
    long lines = resample_count(picture.image.height, y_scale);
    for (long row = 0; row < lines; ++row) {
        std::vector<unsigned char> line((page.dots + 7) / 8, 0);
        EXPECT_EQ(method(job, settings, &picture.image, line.data(), x_scale, y_scale, row, row == 0), 1)
            << "line " << row;
        page.lines.push_back(std::move(line));
    }
    return page;
}

HalftonedPage halftone_page_lines(halftoner method, HandPicture& picture, double x_scale, double y_scale,
                                  Settings* settings, bool two_threads)
{
    RasterJobPtr job(make_raster_job());
    set_second_thread_from(job.get(), two_threads ? 0 : -1);
    set_second_thread_patience(job.get(), 1000000);
    HalftonedPage page;
    page.dots = resample_count(picture.image.width, x_scale);
    const long bytes = (page.dots + 7) / 8;
    long lines = resample_count(picture.image.height, y_scale);
    EXPECT_EQ(make_lines(job.get(), method, settings, &picture.image, x_scale, y_scale, lines, page.dots,
                         [&](long row, const unsigned char* line) {
                             EXPECT_EQ(row, static_cast<long>(page.lines.size()));
                             EXPECT_EQ(line[bytes], 0) << "the spare byte of line " << row;
                             page.lines.emplace_back(line, line + bytes);
                             return true;
                         }),
              1);
    return page;
}
