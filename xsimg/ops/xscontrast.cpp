#include "xsgamma.h"

#include "xschannel.h"

#include <initializer_list>

void BuildContrastTable(int32_t* table, float factor)
{
    for (int i = 0; i < 256; ++i) {
        // The product is rounded to single precision; no rounding offset.
        const float v = static_cast<float>(i) * factor;
        table[i] = XslClipTruncate(v);
    }
}

void contrast(int* red, int* green, int* blue, const int32_t* table)
{
    for (int* channel : {red, green, blue}) *channel = XslClipChannel(table[XslClipChannel(*channel)]);
}

int XSLContrast(XSImage* image, float percent)
{
    if (XslRefuseBitmap(image)) return 0;
    if (percent == 100) return 1;
    const float factor = percent / 100.0f;
    int32_t table[256];
    BuildContrastTable(table, factor);
    unsigned char bytes[256];
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<unsigned char>(table[i]);
    return XslApplyChannelTables(image, bytes, bytes, bytes);
}
