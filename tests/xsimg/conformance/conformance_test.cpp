// Bad-input and round-trip checks every registered reader must pass.
#include "conformance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "../memfile.h"
#include "xsown.h"

std::vector<ConformanceEntry>& conformance_registry()
{
    static std::vector<ConformanceEntry> entries;
    return entries;
}

namespace {

XslImagePtr read_bytes(const ConformanceEntry& e, const std::string& bytes)
{
    FilePtr f = stream_of(bytes);
    xslerrno = 0;
    testing::internal::CaptureStderr();
    XslImagePtr image(e.reader(f.get()));
    const std::string said = testing::internal::GetCapturedStderr();
    if (e.silent) {
        EXPECT_EQ(said, "") << e.name << ": the reader prints nothing";
    }
    if (!image && e.leaves_code) {
        EXPECT_NE(xslerrno, 0) << e.name << ": a refusal leaves a code";
    }
    if (!image && !e.codes.empty()) {
        EXPECT_NE(std::find(e.codes.begin(), e.codes.end(), xslerrno), e.codes.end())
            << e.name << ": unexpected code " << xslerrno;
    }
    return image;
}

// The image's planes exist and hold what its size says (ASan checks the reads).
void expect_whole(const XSImage* image)
{
    ASSERT_GT(image->width, 0);
    ASSERT_GT(image->height, 0);
    ASSERT_NE(image->data, nullptr);
    const long size = XSLDataSize(image);
    unsigned sum = 0;
    for (long i = 0; i < size; ++i)
        sum += image->data[i];
    if (image->planes == 3)
        for (long i = 0; i < size; ++i)
            sum += image->data_g[i] + image->data_b[i];
    for (int i = 0; i < image->ncolors; ++i)
        sum += image->colormap[i].red;
    (void)sum;
}

bool same_pixels(XSImage* a, XSImage* b)
{
    if (a->width != b->width || a->height != b->height)
        return false;
    for (int y = 0; y < a->height; ++y)
        for (int x = 0; x < a->width; ++x) {
            int ra, ga, ba, rb, gb, bb;
            XSLGetPixel(a, x, y, &ra, &ga, &ba);
            XSLGetPixel(b, x, y, &rb, &gb, &bb);
            if (ra != rb || ga != gb || ba != bb)
                return false;
        }
    return true;
}

// Offsets to cut at: every one for small files, a spread for big ones.
std::vector<size_t> cut_points(size_t size)
{
    std::vector<size_t> cuts;
    const size_t step = size <= 2048 ? 1 : size / 1024;
    for (size_t n = 0; n < size; n += step)
        cuts.push_back(n);
    return cuts;
}

}  // namespace

TEST(ReaderConformance, EverySampleReads)
{
    ASSERT_FALSE(conformance_registry().empty());
    for (const auto& e : conformance_registry())
        for (const auto& file : e.samples()) {
            SCOPED_TRACE(e.name);
            XslImagePtr image = read_bytes(e, file);
            ASSERT_TRUE(image) << "code " << xslerrno;
            expect_whole(image.get());
        }
}

TEST(ReaderConformance, TruncationAtEveryOffsetFailsCleanly)
{
    for (const auto& e : conformance_registry())
        for (const auto& file : e.samples())
            for (size_t n : cut_points(file.size() - e.trailing_slack)) {
                SCOPED_TRACE(std::string(e.name) + " cut at " + std::to_string(n));
                XslImagePtr image = read_bytes(e, file.substr(0, n));
                if (image) {
                    EXPECT_TRUE(e.fills_truncated) << "a cut file must not read";
                    expect_whole(image.get());
                }
            }
}

TEST(ReaderConformance, RandomMutationsNeverBreakTheReader)
{
    std::mt19937 random(20261208);
    for (const auto& e : conformance_registry())
        for (const auto& file : e.samples())
            for (int round = 0; round < 300; ++round) {
                std::string bytes = file;
                const int changes = 1 + int(random() % 4);
                for (int c = 0; c < changes && !bytes.empty(); ++c)
                    bytes[random() % bytes.size()] = char(random());
                SCOPED_TRACE(std::string(e.name) + " round " + std::to_string(round));
                if (XslImagePtr image = read_bytes(e, bytes))
                    expect_whole(image.get());
            }
}

TEST(ReaderConformance, HugeAndZeroDeclaredSizesAreRefused)
{
    const long sizes[][2] = {{0, 10}, {10, 0}, {0, 0}, {100000, 100000}, {65535, 65535},
                             {1L << 30, 1}, {1, 1L << 30}, {0x7FFFFFFF, 0x7FFFFFFF}};
    for (const auto& e : conformance_registry()) {
        if (!e.sized)
            continue;
        for (const auto& s : sizes) {
            SCOPED_TRACE(std::string(e.name) + " " + std::to_string(s[0]) + "x" + std::to_string(s[1]));
            EXPECT_FALSE(read_bytes(e, e.sized(s[0], s[1])));
        }
    }
}

TEST(ReaderConformance, WriterThenReaderKeepsThePixels)
{
    for (const auto& e : conformance_registry()) {
        if (!e.writer)
            continue;
        for (const auto& file : e.samples()) {
            SCOPED_TRACE(e.name);
            XslImagePtr image = read_bytes(e, file);
            ASSERT_TRUE(image);
            FilePtr out(std::tmpfile(), &std::fclose);
            ASSERT_EQ(e.writer(out.get(), image.get()), 1) << "code " << xslerrno;
            XslImagePtr back = read_bytes(e, contents_of(out.get()));
            ASSERT_TRUE(back);
            EXPECT_TRUE(same_pixels(image.get(), back.get()));
        }
    }
}
