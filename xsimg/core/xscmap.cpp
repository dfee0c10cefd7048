// Colormap look-ups, growth, the gray test and gray normalisation.
#include "xsimage.h"

#include <cstdlib>
#include <cstring>

namespace {

int luminance(const XSColor& entry)
{
    return XslFastGray(entry.red, entry.green, entry.blue);
}

// The first entry whose 255 - luminance is extreme in the direction asked for.
template <class Better>
int extremeEntry(int count, const XSColor* colormap, Better better)
{
    if (!colormap || count <= 0)
        return -1;
    int best = 0;
    for (int i = 1; i < count; i++)
        if (better(255 - luminance(colormap[i]), 255 - luminance(colormap[best])))
            best = i;
    return best;
}

// Gray level of every possible pixel byte: the red of its entry; bytes beyond
// the colormap have no entry and become black.
void grayLevels(const XSImage* image, unsigned char levels[256])
{
    memset(levels, 0, 256);
    const int count = image->ncolors < 256 ? image->ncolors : 256;
    for (int i = 0; i < count; i++)
        levels[i] = static_cast<unsigned char>(image->colormap[i].red);
}

void mapPixels(XSImage* image, const unsigned char levels[256])
{
    XslMapBytes(image->data, XSLDataSize(image), levels);
}

int byLuminance(const void* left, const void* right)
{
    return luminance(*static_cast<const XSColor*>(left)) - luminance(*static_cast<const XSColor*>(right));
}

int firstMatch(const XSColor* colormap, int count, int red, int green, int blue)
{
    for (int i = 0; i < count; i++)
        if (colormap[i].red == red && colormap[i].green == green && colormap[i].blue == blue)
            return i;
    return -1;
}

} // namespace

int XSLSearchCmapIndex(const XSColor* colormap, int count, int red, int green, int blue)
{
    return firstMatch(colormap, count, red & 0xFF, green & 0xFF, blue & 0xFF);
}

int XSLFindColor(int count, const XSColor* colormap, int red, int green, int blue)
{
    return firstMatch(colormap, count, red & 0xFFFF, green & 0xFFFF, blue & 0xFFFF);
}

void XslMapBytes(unsigned char* bytes, long n, const unsigned char table[256])
{
    int v = 0;
    while (v < 256 && table[v] == v)
        v++;
    if (v == 256)
        return;
    for (long i = 0; i < n; i++)
        bytes[i] = table[bytes[i]];
}

XSColor* XslNewGrayRamp()
{
    auto* ramp = static_cast<XSColor*>(malloc(256 * sizeof(XSColor)));
    if (!ramp)
        return nullptr;
    for (uint16_t i = 0; i < 256; i++)
        ramp[i] = XSColor{i, i, i, i};
    return ramp;
}

int XslAppendColor(XSImage* image, int red, int green, int blue)
{
    const int count = image->colormap ? image->ncolors : 0;
    if (count >= 256) {
        xslerrno = XSE_KIND;
        return -1;
    }
    auto* grown = static_cast<XSColor*>(realloc(image->colormap, (count + 1) * sizeof(XSColor)));
    if (!grown) {
        xslerrno = XSE_NO_MEMORY;
        return -1;
    }
    grown[count] = XSColor{uint16_t(count), uint16_t(red & 0xFF), uint16_t(green & 0xFF), uint16_t(blue & 0xFF)};
    image->colormap = grown;
    image->ncolors = static_cast<uint16_t>(count + 1);
    return count;
}

int XSLSearchColormap(XSImage* image, int red, int green, int blue)
{
    const XslPixelKind kind = XslKindOf(image);
    if (kind != XSK_COLORMAP && kind != XSK_PLAIN8)
        return -1;
    const int count = image->colormap ? image->ncolors : 0;
    const int found = XSLSearchCmapIndex(image->colormap, count, red, green, blue);
    if (found >= 0)
        return found;
    if (count < 256)
        return XslAppendColor(image, red, green, blue);
    return XSLMinimumColor(count, image->colormap);
}

int XSLMinimumColor(int count, const XSColor* colormap)
{
    return extremeEntry(count, colormap, [](int a, int b) { return a < b; });
}

int XSLMaximumColor(int count, const XSColor* colormap)
{
    return extremeEntry(count, colormap, [](int a, int b) { return a > b; });
}

int XSLCheckGraymap(const XSImage* image)
{
    if (image->ncolors == 0 || !image->colormap)
        return 0;
    for (int i = 0; i < image->ncolors; i++) {
        const XSColor& entry = image->colormap[i];
        if (entry.red != entry.green || entry.green != entry.blue)
            return 0;
    }
    return 1;
}

int XSLBuildGraymap(XSImage* image)
{
    const XslPixelKind kind = XslKindOf(image);
    if (kind != XSK_COLORMAP && kind != XSK_PLAIN8)
        return XslRefuseKind(kind);
    XSColor* ramp = XslNewGrayRamp();
    if (!ramp) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    // Without a colormap the bytes already are gray levels.
    if (image->colormap && image->ncolors > 0) {
        unsigned char levels[256];
        grayLevels(image, levels);
        mapPixels(image, levels);
    }
    free(image->colormap);
    image->colormap = ramp;
    image->ncolors = 256;
    return 1;
}

int XSLSortColormap(XSImage* image)
{
    const XslPixelKind kind = XslKindOf(image);
    if (kind != XSK_COLORMAP)
        return XslRefuseKind(kind);
    const int count = image->ncolors < 256 ? image->ncolors : 256;
    XSColor sorted[256];
    memcpy(sorted, image->colormap, count * sizeof(XSColor));
    qsort(sorted, count, sizeof(XSColor), byLuminance);
    for (int i = 0; i < count; i++)
        sorted[i].index = static_cast<uint16_t>(i);
    unsigned char levels[256];
    grayLevels(image, levels);
    mapPixels(image, levels);
    memcpy(image->colormap, sorted, count * sizeof(XSColor));
    return 1;
}
