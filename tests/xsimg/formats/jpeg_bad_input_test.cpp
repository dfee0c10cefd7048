// Damaged, truncated and hostile JPEG files: a failure or a picture, never a
// crash, a leak or a message.
#include "xsiojpeg.h"
#include "jpeg_maker.h"
#include "../test_images.h"
#include "../conformance/conformance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

Image readQuietly(const std::vector<unsigned char>& bytes)
{
    File file = streamOf(bytes);
    testing::internal::CaptureStderr();
    Image image(XSReadJpeg(file.get()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    return image;
}

JpegRecipe picture(bool progressive, int components)
{
    JpegRecipe recipe;
    recipe.width = 48;
    recipe.height = 40;
    recipe.components = components;
    recipe.input_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    recipe.quality = 80;
    recipe.progressive = progressive;
    return recipe;
}

// Offset of the first marker FF code at or after from, or npos.
size_t findMarker(const std::vector<unsigned char>& bytes, unsigned char code, size_t from = 0)
{
    for (size_t k = from; k + 1 < bytes.size(); ++k)
        if (bytes[k] == 0xFF && bytes[k + 1] == code)
            return k;
    return std::string::npos;
}

// Cut before the scan there is no picture; cut inside the compressed data the
// library only warns: the picture is still there, its lost part filled in.
// (Every other cut, damaged bytes and absurd sizes: the conformance suite.)
TEST(JpegBadInput, CutBeforeTheScanFailsCutInsideItFillsIn)
{
    for (bool progressive : {false, true}) {
        const auto bytes = makeJpeg(picture(progressive, progressive ? 3 : 1));
        const size_t scan = findMarker(bytes, 0xDA);
        ASSERT_NE(scan, std::string::npos);
        for (size_t cut = 0; cut <= scan; ++cut)
            EXPECT_FALSE(readQuietly(std::vector<unsigned char>(bytes.begin(), bytes.begin() + cut))) << cut;
        Image cut = readQuietly(std::vector<unsigned char>(bytes.begin(), bytes.end() - 40));
        ASSERT_TRUE(cut) << progressive;
        EXPECT_EQ(cut->width, 48);
        EXPECT_EQ(cut->height, 40);
    }
}

// Repeated scans only draw warnings, but thousands of them are refused.
TEST(JpegBadInput, EndlessScansAreRefused)
{
    const auto bytes = makeJpeg(picture(true, 1));
    size_t last = 0;
    for (size_t at = findMarker(bytes, 0xDA); at != std::string::npos; at = findMarker(bytes, 0xDA, at + 2))
        last = at;
    const size_t end = findMarker(bytes, 0xD9, last);
    ASSERT_NE(end, std::string::npos);
    const std::vector<unsigned char> scan(bytes.begin() + last, bytes.begin() + end);
    auto repeated = [&](int times) {
        std::vector<unsigned char> file(bytes.begin(), bytes.begin() + end);
        for (int k = 0; k < times; ++k)
            file.insert(file.end(), scan.begin(), scan.end());
        file.insert(file.end(), bytes.begin() + end, bytes.end());
        return file;
    };
    EXPECT_TRUE(readQuietly(repeated(20)));
    EXPECT_FALSE(readQuietly(repeated(1100)));
}

std::string asString(const std::vector<unsigned char>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> jpegSamples()
{
    return {asString(makeJpeg(picture(false, 1))), asString(makeJpeg(picture(true, 3)))};
}

// A baseline picture whose frame header declares the size (16 bits each).
std::string jpegOfSize(long width, long height)
{
    auto bytes = makeJpeg(picture(false, 3));
    const size_t frame = findMarker(bytes, 0xC0);
    bytes[frame + 5] = static_cast<unsigned char>(height >> 8);
    bytes[frame + 6] = static_cast<unsigned char>(height);
    bytes[frame + 7] = static_cast<unsigned char>(width >> 8);
    bytes[frame + 8] = static_cast<unsigned char>(width);
    return asString(bytes);
}

} // namespace

// Decoding is lossy, so there is no writer round trip here (jpeg_write_test has its own).
XS_CONFORMANCE(Jpeg, {.reader = XSReadJpeg, .samples = jpegSamples, .sized = jpegOfSize, .fills_truncated = true,
                      .silent = true, .leaves_code = false});
