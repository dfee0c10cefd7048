// Sixteen-bit samples brought to the library's eight: every reader of 16-bit
// pictures keeps a sample's high byte, the rule the PNG reader has libpng
// apply (png_set_strip_16). A picture whose samples are v x 257 thus reads
// exactly as its 8-bit original.
#pragma once

#include <cstdint>
#include <cstring>

inline unsigned char XslSample16To8(unsigned sample)
{
    return static_cast<unsigned char>((sample >> 8) & 0xFF);
}

// `count` samples in the host's byte order (as libtiff delivers them) to bytes.
inline void XslNarrowSamples16(const unsigned char* in, long count, unsigned char* out)
{
    for (long i = 0; i < count; ++i) {
        uint16_t sample;
        std::memcpy(&sample, in + 2 * i, 2);
        out[i] = XslSample16To8(sample);
    }
}
