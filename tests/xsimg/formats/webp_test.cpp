// Reading WebP: lossless pixels exactly, alpha over white, lossy close to the
// source and equal to libwebp's own decoding; damaged and animated files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <webp/decode.h>

#include "../conformance/conformance.h"
#include "../memfile.h"
#include "webp_maker.h"
#include "xsiowebp.h"
#include "xsregistry.h"
#include "xsreadkit.h"

namespace {

XslImagePtr read_webp(const std::string& bytes)
{
    auto f = stream_of(bytes);
    xslerrno = 0;
    return XslImagePtr(XSReadMagic(f.get()));
}

std::vector<unsigned char> pixels_of(const XSImage* image)
{
    return std::vector<unsigned char>(image->data, image->data + XSLDataSize(image));
}

}  // namespace

TEST(WebpRead, LosslessPicturesReadExactlyWithAlphaOverWhite)
{
    const std::vector<unsigned char> rgb = smoothPicture(23, 9, 3);
    const std::vector<unsigned char> rgba = smoothPicture(23, 9, 4);
    for (bool alpha : {false, true}) {
        XslImagePtr image = read_webp(makeWebp(alpha ? rgba : rgb, 23, 9, alpha));
        ASSERT_TRUE(image) << "code " << xslerrno;
        EXPECT_EQ(image->format, XSF_WEBP);
        EXPECT_EQ(XslKindOf(image.get()), XSK_DIRECT);
        EXPECT_EQ(image->bytes_per_pixel, 3);
        EXPECT_EQ(image->red_mask, XS_RED_MASK);
        EXPECT_EQ(image->resolution, 100);
        EXPECT_EQ(pixels_of(image.get()), alpha ? composited(rgba) : rgb);
    }
}

TEST(WebpRead, LossyPicturesAreLibwebpsPixelsAndCloseToTheSource)
{
    for (bool alpha : {false, true}) {
        const std::vector<unsigned char> source = smoothPicture(40, 24, alpha ? 4 : 3);
        const std::string file = makeWebp(source, 40, 24, alpha, 90);
        XslImagePtr image = read_webp(file);
        ASSERT_TRUE(image) << "code " << xslerrno;
        int w, h;
        uint8_t* decoded = alpha ? WebPDecodeRGBA(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &w, &h)
                                 : WebPDecodeRGB(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &w, &h);
        std::vector<unsigned char> expected(decoded, decoded + w * h * (alpha ? 4 : 3));
        WebPFree(decoded);
        EXPECT_EQ(pixels_of(image.get()), alpha ? composited(expected) : expected);
        const std::vector<unsigned char> wanted = alpha ? composited(source) : source;
        for (size_t i = 0; i < wanted.size(); ++i)
            ASSERT_NEAR(image->data[i], wanted[i], 12) << i;
    }
}

TEST(WebpRead, DamagedFilesFailWithTheirCode)
{
    const std::string good = makeWebp(smoothPicture(8, 8, 3), 8, 8, false);
    std::string long_riff = good;
    long_riff[4] = char(long_riff[4] + 2);
    std::string bad_stream = good;
    bad_stream[20] = '\xff';  // the lossless stream's signature byte
    // An extended header flagging an animation, before the picture's chunk.
    std::string animated = good;
    animated.insert(12, bytes("VP8X\x0a\0\0\0\x02\0\0\0\x07\0\0\x07\0\0"));
    XslPut32LE(reinterpret_cast<unsigned char*>(&animated[4]), uint32_t(animated.size() - 8));
    const struct {
        std::string file;
        int code;
    } cases[] = {
        {good.substr(0, 10), XSE_HEADER_READ},
        {good.substr(0, good.size() - 1), XSE_DATA_READ},
        {long_riff, XSE_DATA_READ},
        {bad_stream, XSE_BAD_MAGIC},
        {animated, XSE_VARIANT},
    };
    for (const auto& c : cases) {
        auto f = stream_of(c.file);
        xslerrno = 0;
        EXPECT_FALSE(XslImagePtr(XSReadWebP(f.get())));
        EXPECT_EQ(xslerrno, c.code);
    }
}

namespace {
std::vector<std::string> webp_samples()
{
    return {makeWebp(smoothPicture(7, 5, 3), 7, 5, false), makeWebp(smoothPicture(6, 4, 4), 6, 4, true),
            makeWebp(smoothPicture(9, 6, 3), 9, 6, false, 80), makeWebp(smoothPicture(5, 5, 4), 5, 5, true, 80)};
}
}  // namespace

XS_CONFORMANCE(Webp, {.reader = XSReadWebP, .writer = XSWriteWebP, .samples = webp_samples});
