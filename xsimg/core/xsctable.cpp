// Channel scaling tables between direct-colour mask fields and 8 bits.
#include "xsdirect.h"

int XslRgbShiftMask(uint32_t mask)
{
    return mask == 0 ? 0 : __builtin_ctz(mask);
}

void XSBuildRGBConvertTable(unsigned char* table_r, unsigned char* table_g, unsigned char* table_b,
                            int max_r, int max_g, int max_b)
{
    unsigned char* tables[3] = {table_r, table_g, table_b};
    const int maxima[3] = {max_r, max_g, max_b};
    for (int c = 0; c < 3; c++) {
        if (maxima[c] <= 0) {           // an empty field only ever reads 0
            tables[c][0] = 0;
            continue;
        }
        const double scale = 255.0 / maxima[c];
        for (int i = 0; i <= maxima[c]; i++)
            tables[c][i] = static_cast<unsigned char>(i * scale);
    }
}

void XSBuildDirectConvertTable(uint32_t* table_r, uint32_t* table_g, uint32_t* table_b,
                               int max_r, int max_g, int max_b,
                               int shift_r, int shift_g, int shift_b)
{
    uint32_t* tables[3] = {table_r, table_g, table_b};
    // A 32-bit field's maximum arrives as a negative int; it is the unsigned value.
    const uint32_t maxima[3] = {uint32_t(max_r), uint32_t(max_g), uint32_t(max_b)};
    const int shifts[3] = {shift_r, shift_g, shift_b};
    for (int c = 0; c < 3; c++)
        for (int i = 0; i < 256; i++) {
            const uint64_t field = static_cast<uint64_t>(i / 255.0 * maxima[c]);
            tables[c][i] = static_cast<uint32_t>(field << (shifts[c] & 31));
        }
}

XslChannel XslChannelOf(uint32_t mask)
{
    const int shift = XslRgbShiftMask(mask);
    return XslChannel{shift, mask >> shift};
}

namespace {
// A field cut to its top 8 bits when it is wider: the tables hold 256 entries.
XslChannel channel8Of(uint32_t mask)
{
    XslChannel channel = XslChannelOf(mask);
    while (channel.max > 255) {
        channel.max >>= 1;
        channel.shift++;
    }
    return channel;
}
}  // namespace

void XslInitDirectReader(XslDirectReader* reader, const XSImage* image)
{
    const uint32_t masks[3] = {image->red_mask, image->green_mask, image->blue_mask};
    for (int c = 0; c < 3; c++) {
        reader->channel[c] = channel8Of(masks[c]);
    }
    XSBuildRGBConvertTable(reader->table[0], reader->table[1], reader->table[2], int(reader->channel[0].max),
                           int(reader->channel[1].max), int(reader->channel[2].max));
}

void XslUpdateDirectWriter(XslDirectWriter* writer, const XSImage* image)
{
    const uint32_t masks[3] = {image->red_mask, image->green_mask, image->blue_mask};
    if (masks[0] == writer->masks[0] && masks[1] == writer->masks[1] && masks[2] == writer->masks[2])
        return;
    XslChannel channels[3];
    for (int c = 0; c < 3; c++) {
        writer->masks[c] = masks[c];
        channels[c] = XslChannelOf(masks[c]);
    }
    XSBuildDirectConvertTable(writer->table[0], writer->table[1], writer->table[2], int(channels[0].max),
                              int(channels[1].max), int(channels[2].max), channels[0].shift, channels[1].shift,
                              channels[2].shift);
}
