// SGI images: 1 to 5 channels of one or two bytes, verbatim and run-length in
// both row orders, at widths of 1 to 9, and the writer's coder and tables.
#include <gtest/gtest.h>

#include "../conformance/conformance.h"
#include "format_bytes.h"
#include "xsioiris.h"
#include "xsregistry.h"

namespace {
enum Layout { kVerbatim, kRowMajor, kChannelMajor };

std::string be(uint32_t v, int n)
{
    return be_bytes(v, n);
}

// Channel z of file row y (bottom first): runs of three in even channels,
// all different in odd ones.
int sample(int z, int x, int y)
{
    return ((z % 2 ? x * 37 : x / 3 * 37) + y * 11 + z * 71) & 0xFF;
}

// Repeat packets for runs of two or more, literal packets between them; the
// row, its packets and its end are in units of `unit` bytes.
std::string encode(const std::string& row, int unit)
{
    std::string out, literal;
    const size_t u = size_t(unit);
    auto flush = [&] {
        if (!literal.empty())
            out += be(0x80 | uint32_t(literal.size() / u), unit) + literal;
        literal.clear();
    };
    for (size_t i = 0; i < row.size();) {
        size_t n = 1;
        while (i + n * u < row.size() && n < 127 && row.compare(i + n * u, u, row, i, u) == 0)
            ++n;
        if (n >= 2) {
            flush();
            out += be(uint32_t(n), unit) + row.substr(i, u);
        } else if ((literal += row.substr(i, u)).size() == 127 * u) {
            flush();
        }
        i += n * u;
    }
    flush();
    return out + be(0, unit);
}

std::string header(int storage, int bytes_per_channel, int width, int height, int channels)
{
    std::string h = be(474, 2) + char(storage) + char(bytes_per_channel) + be(3, 2) + be(width, 2) + be(height, 2)
                    + be(channels, 2) + be(0, 4) + be(255, 4);
    return h + std::string(512 - h.size(), '\0');
}

// Two-byte samples hold the one-byte sample in their high byte, with a low
// byte that must not count.
std::string iris_file(int width, int height, int channels, Layout layout, int unit = 1)
{
    std::vector<std::string> rows(size_t(height * channels));  // entry z x height + y
    for (int z = 0; z < channels; ++z)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int v = sample(z, x, y);
                rows[size_t(z * height + y)] += unit == 1 ? be(v, 1) : be(v << 8 | (v ^ 0xA5), 2);
            }
    std::string file = header(layout != kVerbatim, unit, width, height, channels);
    if (layout == kVerbatim) {
        for (const std::string& row : rows)
            file += row;
        return file;
    }
    std::vector<uint32_t> starts(rows.size()), lengths(rows.size());
    std::string data;
    const uint32_t first = uint32_t(512 + 8 * rows.size());
    for (int i = 0; i < height * channels; ++i) {
        const int y = layout == kRowMajor ? i / channels : i % height;
        const int z = layout == kRowMajor ? i % channels : i / height;
        const std::string coded = encode(rows[size_t(z * height + y)], unit);
        starts[size_t(z * height + y)] = first + uint32_t(data.size());
        lengths[size_t(z * height + y)] = uint32_t(coded.size());
        data += coded;
    }
    for (uint32_t s : starts)
        file += be(s, 4);
    for (uint32_t l : lengths)
        file += be(l, 4);
    return file + data;
}

// What the image must show: the file's last row on top, channel 0 as gray
// below three channels, channels 0 to 2 as red, green, blue from three on.
std::vector<Rgb> expected_colours(int width, int height, int channels)
{
    std::vector<Rgb> colours;
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            const int y = height - 1 - row;
            const int r = sample(0, x, y);
            colours.push_back(channels < 3 ? Rgb{r, r, r} : Rgb{r, sample(1, x, y), sample(2, x, y)});
        }
    return colours;
}

}  // namespace

TEST(IrisImage, EveryChannelCountLayoutAndWidthReadsItsPixels)
{
    for (int channels = 1; channels <= 5; ++channels)
        for (int width : {1, 2, 3, 4, 5, 7, 8, 9})
            for (Layout layout : {kVerbatim, kRowMajor, kChannelMajor})
                for (int unit : {1, 2}) {
                    SCOPED_TRACE(std::to_string(channels) + " channels, width " + std::to_string(width)
                                 + ", layout " + std::to_string(layout) + ", bytes " + std::to_string(unit));
                    XslImagePtr image = read_with(XSReadMagic, iris_file(width, 3, channels, layout, unit));
                    ASSERT_TRUE(image) << "code " << xslerrno;
                    EXPECT_EQ(image->format, XSF_IRIS);
                    EXPECT_EQ(image->resolution, 0);
                    EXPECT_EQ(XslKindOf(image.get()), channels < 3 ? XSK_COLORMAP : XSK_DIRECT);
                    EXPECT_EQ(image->ncolors, channels < 3 ? 256 : 0);
                    EXPECT_EQ(colours_of(image.get()), expected_colours(width, 3, channels));
                }
}

TEST(IrisImage, RefusalsCarryTheirCodes)
{
    const std::string good = iris_file(4, 2, 1, kRowMajor);  // tables at 512, rows from 528
    auto with = [&](size_t at, const std::string& bytes) { return std::string(good).replace(at, bytes.size(), bytes); };
    const struct {
        std::string file;
        int code;
    } cases[] = {
        {good.substr(0, 151), XSE_READ_ERROR},
        {with(0, be(475, 2)), XSE_BAD_MAGIC},
        {with(3, "\x03"), XSE_LAYOUT},
        {with(10, be(0, 2)), XSE_BAD_MAGIC},  // no channels
        {good.substr(0, 520), XSE_DATA_READ},  // tables cut
        {with(512, be(uint32_t(good.size()), 4)), XSE_DATA_READ},  // row starts past the end
        {with(520, be(19, 4)), XSE_DATA_READ},  // longer than a row may code
        {with(528, "\x85"), XSE_DATA_READ},  // literals past the row's bytes
        {with(528, std::string("\x02", 1)), XSE_DATA_READ},  // row ends short
        {iris_file(4, 2, 3, kVerbatim).substr(0, 530), XSE_DATA_READ},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(read_with(XSReadIRIS, c.file));
        EXPECT_EQ(xslerrno, c.code);
    }
}

TEST(IrisImage, WriterCodesRunsOf126AndPutsTheTablesFirst)
{
    XslImagePtr gray = XslNewGrayImage(300, 1, 256);
    std::fill_n(gray->data, 300, 0x41);
    const std::string file = written_with(XSWriteIRIS, gray.get());
    EXPECT_EQ(file.substr(0, 16), be(474, 2) + "\x01\x01" + be(2, 2) + be(300, 2) + be(1, 2) + be(1, 2) + be(0, 4));
    EXPECT_EQ(file.substr(16, 4), be(255, 4));
    EXPECT_STREQ(file.c_str() + 24, "Tevrak XSLImageLib Write");
    EXPECT_EQ(file.substr(512), be(520, 4) + be(7, 4) + "\x7e\x41\x7e\x41\x30\x41" + std::string(1, '\0'));
}

TEST(IrisImage, ColourColormapsAndBitmapsGoOutAsLuminance)
{
    XslImagePtr mapped = XslNewColormapImage(3, 1);
    const unsigned char map[] = {255, 0, 0, 0, 0, 255, 10, 200, 30};
    ASSERT_TRUE(XslSetPalette(mapped.get(), map, 3));
    mapped->data[1] = 1;
    mapped->data[2] = 2;
    XslImagePtr back = read_with(XSReadIRIS, written_with(XSWriteIRIS, mapped.get()));
    ASSERT_TRUE(back);
    EXPECT_EQ(colours_of(back.get()), (std::vector<Rgb>{{78, 78, 78}, {20, 20, 20}, {127, 127, 127}}));

    XslImagePtr bitmap = XslNewBitmap(9, 2);
    bitmap->data[0] = 0xA0;
    back = read_with(XSReadIRIS, written_with(XSWriteIRIS, bitmap.get()));
    ASSERT_TRUE(back);
    EXPECT_EQ(bitmap->type, 0);  // the caller's picture stays a bitmap
    EXPECT_EQ(back->data[0], 0);
    EXPECT_EQ(back->data[1], 255);
    EXPECT_EQ(back->data[2], 0);
}

TEST(IrisImage, WriterRefusesSidesBeyondSixteenBits)
{
    XslImagePtr wide = XslNewGrayImage(70000, 1, 256);
    FilePtr out(std::tmpfile(), &std::fclose);
    xslerrno = 0;
    EXPECT_EQ(XSWriteIRIS(out.get(), wide.get()), 0);
    EXPECT_EQ(xslerrno, XSE_VARIANT);
}

namespace {
std::vector<std::string> iris_samples()
{
    return {iris_file(5, 3, 1, kRowMajor),      iris_file(3, 2, 3, kVerbatim),
            iris_file(4, 3, 4, kChannelMajor),  iris_file(2, 2, 2, kVerbatim),
            iris_file(130, 2, 3, kRowMajor, 2), iris_file(3, 2, 1, kVerbatim, 2)};
}

std::string iris_of_size(long width, long height)
{
    return header(0, 1, int(width), int(height), 1) + std::string(64, '\x20');
}
}  // namespace

XS_CONFORMANCE(Iris, {.reader = XSReadIRIS, .writer = XSWriteIRIS, .samples = iris_samples, .sized = iris_of_size});
