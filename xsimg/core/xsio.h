// Format recognition and reader/writer dispatch, the stream helpers shared by
// the readers, and the private data block an image can carry.
#pragma once

#include <cstdint>
#include <cstdio>

#include "xsimage.h"

// Format numbers stored in XSImage::format by XSReadMagic.
enum {
    XSF_NATIVE = 1,  // TIMG, TV11, native image file, TV10
    XSF_TIFF = 2,
    XSF_JPEG = 3,
    XSF_XWD = 4,
    XSF_SUN = 5,
    XSF_GIF = 6,
    XSF_IRIS = 7,
    XSF_PBM = 8,
    XSF_BMP = 9,
    XSF_PCX = 10,
    XSF_PNG = 11,
    XSF_WEBP = 12,
};

// A reader takes an open, seekable stream positioned at the image and returns
// a new image (owned by the caller) or null with xslerrno set; it frees what
// it allocated on failure and leaves `format` alone. A writer returns 1, or 0
// with xslerrno set, and does not change the image.
typedef XSImage* (*XSReader)(FILE* stream);
typedef int (*XSWriter)(FILE* stream, XSImage* image);
typedef int (*XSInfoFunction)();

// One row of the magic table: the file is offered to `reader` when the
// `length` bytes at `offset` of its first 16 bytes equal `magic`.
struct XSMagicRow {
    const unsigned char* magic;
    int32_t offset;
    int32_t length;
    XSReader reader;
    XSWriter writer;
    XSInfoFunction info;
    int32_t format;
    const char* name;
};

// Width, height and dots per inch, filled by the native family's information functions.
struct XSInfo {
    int32_t width;
    int32_t height;
    int32_t resolution;
};

// The native family is dispatched on the file's first two 32-bit words
// (most significant byte first); its readers get the stream just after them.
typedef int (*XSNativeRecogniser)(uint32_t word0, uint32_t word1);
typedef int (*XSNativeInform)(FILE* stream, uint32_t word0, uint32_t word1, XSInfo* info);
typedef XSImage* (*XSNativeReader)(FILE* stream, uint32_t word0, uint32_t word1);

struct XSImageType {
    XSNativeRecogniser recognise;
    XSNativeInform inform;
    XSNativeReader reader;
    XSWriter writer;
    int32_t mode_mask;
};

// Row of the native-family table chosen last by XSLRead, XSLCheckUp or XSLWriteMode;
// -1 while no row is chosen (or the last choice failed). Per thread, like
// the choice it remembers.
extern thread_local int imagefunc;

// What the last XSReadMagic learnt from the readers it tried: the format name
// of the last reader whose magic matched ("IMG" for the native family once a
// row of it recognised the file), or null when none did; and the code that
// reader left (0 when it delivered the image). So a caller can say
// "JPEG: damaged image data" although XSReadMagic itself leaves code XSE_UNKNOWN_FORMAT.
const char* XSLLastReaderName();
int XSLLastReaderCode();

// Reads size * count bytes, repeating short reads; 1, or 0 at end of file or on error.
int XSReadData(void* buffer, size_t size, size_t count, FILE* stream);
// Reads one counted sub-block into buffer (room for 255 bytes): its count,
// 0 for the terminator, -1 when a read fails.
int XSReadDataBlock(unsigned char* buffer, FILE* stream);

// Private block: records of a 4-byte tag, a 4-byte text length (both most
// significant byte first) and "key=value" items separated by ';' (or ':').
// AnalizePrivate returns a malloc'd copy of the value (null when absent);
// AppendPrivate adds key=value under tag, 1 or 0 with code XSE_NO_MEMORY.
char* AnalizePrivate(const XSImage* image, uint32_t tag, const char* key);
int AppendPrivate(XSImage* image, uint32_t tag, const char* key, const char* value);
