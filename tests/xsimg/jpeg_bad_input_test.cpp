// Damaged, truncated and hostile JPEG files: a failure or a picture, never a
// crash, a leak or a message.
#include "xsiojpeg.h"
#include "jpeg_maker.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <algorithm>

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

TEST(JpegBadInput, EveryTruncationFailsOrGivesTheWholePicture)
{
    for (bool progressive : {false, true}) {
        const auto bytes = makeJpeg(picture(progressive, progressive ? 3 : 1));
        const size_t scan = findMarker(bytes, 0xDA);
        ASSERT_NE(scan, std::string::npos);
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            Image image = readQuietly(std::vector<unsigned char>(bytes.begin(), bytes.begin() + cut));
            if (cut <= scan) {
                EXPECT_FALSE(image) << cut;
            } else if (image) {
                EXPECT_EQ(image->width, 48);
                EXPECT_EQ(image->height, 40);
            }
        }
        // Cut inside the compressed data the library only warns: the picture is
        // still there, its lost part filled in.
        Image cut = readQuietly(std::vector<unsigned char>(bytes.begin(), bytes.end() - 40));
        ASSERT_TRUE(cut) << progressive;
        EXPECT_EQ(cut->height, 40);
    }
}

TEST(JpegBadInput, DamagedBytesNeverCrash)
{
    const auto bytes = makeJpeg(picture(false, 3));
    const auto layered = makeJpeg(picture(true, 3));
    for (const auto* source : {&bytes, &layered}) {
        for (size_t at = 0; at < source->size(); at += 3) {
            for (unsigned char value : {0x00, 0xFF, 0x7F}) {
                std::vector<unsigned char> damaged = *source;
                damaged[at] = value;
                Image image = readQuietly(damaged);
                if (image) {
                    EXPECT_GT(image->width, 0);
                    EXPECT_TRUE(image->bytes_per_pixel == 1 || image->bytes_per_pixel == 3);
                }
            }
        }
    }
}

// A small file that declares a gigantic picture is refused before its pixels are
// allocated.
TEST(JpegBadInput, HugeDeclaredSizeIsRefused)
{
    for (bool progressive : {false, true}) {
        const auto bytes = makeJpeg(picture(progressive, 3));
        const size_t frame = findMarker(bytes, progressive ? 0xC2 : 0xC0);
        ASSERT_NE(frame, std::string::npos);
        for (auto [width, height] : {std::pair{65500, 65500}, {12000, 12000}, {65500, 2100}}) {
            std::vector<unsigned char> huge = bytes;
            huge[frame + 5] = static_cast<unsigned char>(height >> 8);
            huge[frame + 6] = static_cast<unsigned char>(height);
            huge[frame + 7] = static_cast<unsigned char>(width >> 8);
            huge[frame + 8] = static_cast<unsigned char>(width);
            EXPECT_FALSE(readQuietly(huge)) << width << "x" << height;
        }
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

} // namespace
