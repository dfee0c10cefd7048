// The layout of SGI image files, shared by their reader and writer.
#pragma once

constexpr int XS_IRIS_MAGIC = 474;
// The header takes 512 bytes; only its first 152 carry anything.
constexpr long XS_IRIS_HEADER_USED = 152;
constexpr long XS_IRIS_DATA_START = 512;
constexpr int XS_IRIS_RUN_LENGTH = 1;  // storage byte of coded rows
constexpr int XS_IRIS_LITERAL = 0x80;  // packet flag: literal bytes follow
constexpr int XS_IRIS_COUNT = 0x7F;    // packet bits that hold the count

// Bytes a coded row of `width` pixels may take; the coder never needs more.
inline long XslIrisRowLimit(long width)
{
    return 2 * width + 10;
}
