#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <algorithm>
#include <cstring>

#include "job.h"
#include "job_fixture.h"
#include "printer_stream.h"

namespace {

// Settings and picture after the page set-up, with the set-up's own output
// thrown away, so that a test sees only what the raster stage writes.
struct Prepared {
    MemoryStream setup;
    MemoryStream out;
    Settings settings = default_settings(setup.file());
    Image picture;
    PageLayout layout{};
    RasterJobPtr job{make_raster_job()};

    explicit Prepared(Image p, void (*adjust)(Settings*) = nullptr) : picture(std::move(p))
    {
        if (adjust != nullptr)
            adjust(&settings);
        EXPECT_EQ(initialize(&settings, picture.get(), &layout), 1);
        settings.output = out.file();
    }
    PrinterStream send()
    {
        EXPECT_EQ(send_data(job.get(), &settings, &layout, picture.get()), 1);
        PrinterStream stream = parse_printer_stream(out.text());
        EXPECT_EQ(stream.error, "");
        return stream;
    }
};

Image gradient_picture()
{
    return rgb_picture(40, 20, [](int x, int y) { return (x * 6 + y * 5) % 256; });
}

int count(const std::vector<std::string>& commands, const std::string& command)
{
    return static_cast<int>(std::count(commands.begin(), commands.end(), command));
}

}  // namespace

TEST(RasterOutput, CopiesGoOutNinetyNineAtATime)
{
    Prepared job(gradient_picture(), [](Settings* s) { s->copies = 150; });
    const PrinterStream stream = job.send();
    const auto& c = stream.commands;
    ASSERT_EQ(c.at(0), "ESC[99v");
    EXPECT_EQ(count(c, "FF"), 2);
    const auto second = std::find(c.begin(), c.end(), "ESC[51v");
    ASSERT_NE(second, c.end());
    EXPECT_EQ(*(second - 1), "FF");
    // The halftoner starts afresh: both transmissions carry the same dots.
    ASSERT_EQ(stream.rows.size(), 2 * 48u);
    EXPECT_TRUE(std::equal(stream.rows.begin(), stream.rows.begin() + 48, stream.rows.begin() + 48));

    for (int copies : {0, -2, 1, 99}) {
        Prepared few(gradient_picture());
        few.settings.copies = copies;
        const auto commands = few.send().commands;
        EXPECT_EQ(commands.at(0), "ESC[" + std::to_string(copies) + "v");
        EXPECT_EQ(count(commands, "FF"), 1) << copies;
    }
}

TEST(RasterOutput, MovesRelativeToThePageStart)
{
    Prepared exact(gradient_picture());
    exact.layout.x_origin = exact.layout.y_origin = 144;
    const auto none = exact.send().commands;
    EXPECT_EQ(none.at(1), "ESC[0;1;0x");
    EXPECT_EQ(none.at(2), "ESC[0;1;1x");
    EXPECT_EQ(none.at(3), "ESC[12;12;240.r");

    Prepared moved(gradient_picture());
    moved.layout.x_origin = 100;
    moved.layout.y_origin = 200;
    const PrinterStream stream = moved.send();
    EXPECT_EQ(stream.commands.at(2), "ESC[56e");
    EXPECT_EQ(count(stream.commands, "ESC[44j"), 48);
    EXPECT_EQ(count(stream.commands, "ESC[12;12;240.r"), 48);
    EXPECT_EQ(stream.commands.at(3), "ESC[0;1;1x");
    EXPECT_EQ(stream.commands.at(4), "ESC[44j");

    Prepared up_right(gradient_picture());
    up_right.layout.x_origin = 500;
    up_right.layout.y_origin = 0;
    const auto c = up_right.send().commands;
    EXPECT_EQ(c.at(2), "ESC[144k");
    EXPECT_EQ(c.at(4), "ESC[356a");
}

TEST(RasterOutput, CompatibleModeAfterEveryLine)
{
    Prepared job(gradient_picture(), [](Settings* s) {
        s->special = 1;
        s->resolution_x = 600;
    });
    const auto c = job.send().commands;
    EXPECT_EQ(count(c, "ESC[3e"), 120);
    for (size_t i = 0; i + 1 < c.size(); ++i) {
        if (c[i].back() == 'r') {
            EXPECT_EQ(c[i + 1], "ESC[3e") << i;
        }
    }
}

TEST(RasterOutput, LineBytesAndTheirPadding)
{
    // 10 dots: two bytes, the low six bits of the second stay clear.
    Prepared job(uniform_picture(10, 3, 0), [](Settings* s) {
        s->fit = 0;
        s->resolution_x = 100;
    });
    const PrinterStream stream = job.send();
    ASSERT_EQ(stream.rows.size(), 3u);
    for (const auto& row : stream.rows)
        EXPECT_EQ(row, (std::vector<unsigned char>{0xff, 0xc0}));
    EXPECT_EQ(count(stream.commands, "ESC[2;2;100.r"), 3);
}

TEST(RasterOutput, BitmapPrintsThroughTheBitmapSampler)
{
    MemoryStream out;
    Settings settings = default_settings(out.file());
    PageLayout layout{};
    layout.x_scale = layout.y_scale = 1;
    layout.x_origin = layout.y_origin = 144;
    Image picture(XSLCrNewBit(13, 5));
    for (int i = 0; i < 10; ++i)
        picture->data[i] = static_cast<unsigned char>(0x5a ^ (i * 29));
    for (int y = 0; y < 5; ++y)
        picture->data[y * 2 + 1] &= 0xf8;   // padding bits beyond the width
    RasterJobPtr job(make_raster_job());
    ASSERT_EQ(send_data(job.get(), &settings, &layout, picture.get()), 1);
    const PrinterStream stream = parse_printer_stream(out.text());
    ASSERT_EQ(stream.rows.size(), 5u);
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(stream.rows[y], (std::vector<unsigned char>{picture->data[y * 2], picture->data[y * 2 + 1]}))
            << y;
}

TEST(RasterOutput, UnknownMethodPrintsLikeTheDefault)
{
    Prepared by_default(gradient_picture());
    Prepared unknown(gradient_picture(), [](Settings* s) { s->dither = 9; });
    Prepared negative(gradient_picture(), [](Settings* s) { s->dither = -1; });
    const auto expected = by_default.send().rows;
    EXPECT_EQ(unknown.send().rows, expected);
    EXPECT_EQ(negative.send().rows, expected);
}

TEST(RasterOutput, GrayColormapIsNormalisedFirst)
{
    // Index 1 means black in this picture's own colormap.
    MemoryStream out;
    Settings settings = default_settings(out.file());
    PageLayout layout{};
    layout.x_scale = layout.y_scale = 1;
    layout.x_origin = settings.x_origin;
    layout.y_origin = settings.y_origin;
    Image picture(XSLCrNewZmap2(8, 2, 8));
    memset(picture->data, 1, 16);
    picture->ncolors = 2;
    picture->colormap = static_cast<XSColor*>(malloc(2 * sizeof(XSColor)));
    picture->colormap[0] = {0, 255, 255, 255};
    picture->colormap[1] = {1, 0, 0, 0};
    RasterJobPtr job(make_raster_job());
    ASSERT_EQ(send_data(job.get(), &settings, &layout, picture.get()), 1);
    const PrinterStream stream = parse_printer_stream(out.text());
    ASSERT_EQ(stream.rows.size(), 2u);
    EXPECT_EQ(stream.rows[0], std::vector<unsigned char>{0xff});
    EXPECT_EQ(picture->ncolors, 256);
}

TEST(RasterOutput, FailuresStopThePage)
{
    // A line too long to hold fails before anything is written.
    Prepared huge(gradient_picture());
    huge.layout.x_scale = 1e12;
    errno = 0;
    EXPECT_EQ(send_data(huge.job.get(), &huge.settings, &huge.layout, huge.picture.get()), 0);
    EXPECT_EQ(errno, ENOMEM);
    EXPECT_EQ(huge.out.text(), "");

    // An output that cannot be written stops at the next line, on one thread
    // or two (every method whose lines two threads share).
    for (int two_threads = 0; two_threads < 2; ++two_threads)
        for (int method : {0, 1, 2, 4}) {
            FILE* full = fopen("/dev/full", "w");
            ASSERT_NE(full, nullptr);
            setbuf(full, nullptr);
            Prepared job(gradient_picture(), [](Settings* s) { s->x_scale = s->y_scale = 2; });
            job.settings.output = full;
            job.settings.dither = method;
            set_second_thread_from(job.job.get(), two_threads ? 0 : -1);
            errno = 0;
            EXPECT_EQ(send_data(job.job.get(), &job.settings, &job.layout, job.picture.get()), 0);
            EXPECT_EQ(errno, ENOSPC) << method;
            fclose(full);
        }
}
