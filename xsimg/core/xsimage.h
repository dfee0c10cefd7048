// The in-memory image record, its pixel kinds and basic operations.
#pragma once

#include <cstdint>
#include <cstdio>

struct XSColor {
    uint16_t index;
    uint16_t red;
    uint16_t green;
    uint16_t blue;
};

struct XSImage {
    int32_t type;            // 0 bitmap, 1 Zmap
    int32_t reserved;
    int32_t width;
    int32_t height;
    uint32_t depth;
    uint16_t planes;         // 1 interleaved, 3 separate R/G/B planes
    uint16_t bytes_per_pixel;
    uint16_t resolution;     // dots per inch, 0 = unknown (read as 100)
    uint16_t bits_per_sample;
    uint32_t red_mask;
    uint32_t green_mask;
    uint32_t blue_mask;
    uint16_t ncolors;
    XSColor* colormap;
    unsigned char* data;
    unsigned char* data_g;
    unsigned char* data_b;
    int32_t format;
    int32_t private_size;
    unsigned char* private_data;
};

// Error codes left in xslerrno by a failing call.
enum {
    XSE_HEADER_READ = 1,
    XSE_DATA_READ = 2,
    XSE_READ_ERROR = 3,
    XSE_DATA_WRITE = 4,
    XSE_BAD_MAGIC = 5,
    XSE_NO_NATIVE_READER = 6,
    XSE_NO_MEMORY = 7,
    XSE_PALETTE_READ = 8,
    XSE_LAYOUT = 9,
    XSE_BITMAP_ONLY = 14,
    XSE_PROCESS_KIND = 15,
    XSE_VARIANT = 16,
    XSE_CMAP_READ = 17,
    XSE_KIND = 18,
    XSE_BITMAP_COLOR = 20,
    XSE_NO_CMAP = 22,
    XSE_PRIVATE_READ = 23,
    XSE_PRIVATE_WRITE = 24,
    XSE_UNKNOWN_FORMAT = 25,
    XSE_FLOAT_SAMPLES = 26,
};

// Per thread: each thread sees the code its own last failing call left.
extern thread_local int32_t xslerrno;

// A short reason for an error code, like strerror: null for 0, a general
// "image library failure" for codes the library never sets.
const char* XSLErrorText(int code);

// Largest image, in pixels, that a constructor or reader accepts: far above any
// real page (A3 at 600 dpi is about 70 million pixels) yet small enough that
// pixel counts and plane sizes never overflow.
constexpr long XS_MAX_PIXELS = 1L << 27;

// 1 when width and height are positive, width x height is at most XS_MAX_PIXELS
// and width x height x bytes_per_pixel bytes can be allocated without overflow;
// 0 otherwise. Every constructor and reader asks it before sizing a plane.
int XSLSizeOK(long width, long height, long bytes_per_pixel);

extern const unsigned char XslMsbMask[8];
extern const unsigned char XslLsbMask[8];
extern const unsigned char XSByteFlipTable[256];

const char* XSLVersion();
extern const char* const XSLImageLibVersion;

// Pixel kinds, derived from type, planes, bytes_per_pixel, the colormap and
// which planes are present. Every operation and writer asks XslKindOf and
// refuses what it cannot handle with XslRefuseKind, so a kind gets the same
// code everywhere.
enum XslPixelKind {
    XSK_OTHER,     // a plane is missing, or type/planes fit no kind
    XSK_BITMAP,    // type 0
    XSK_COLORMAP,  // one plane of 1 byte per pixel indexing a colormap
    XSK_PLAIN8,    // one plane of 1 byte per pixel without colormap: gray levels
                   // to the tone operations, rotation, affine and the TIFF writer
    XSK_DIRECT,    // one plane of 2, 3 or 4 bytes per pixel with masks
    XSK_RGB,       // three byte planes
    XSK_WIDE,      // one plane of any other pixel size
};
XslPixelKind XslKindOf(const XSImage* image);
// The four kinds of the image model (bitmap, colormap, direct colour, RGB
// planes): what a writer must take.
inline bool XslIsModelKind(XslPixelKind kind)
{
    return kind == XSK_BITMAP || kind == XSK_COLORMAP || kind == XSK_DIRECT || kind == XSK_RGB;
}
// Leaves the code of an operation that cannot handle `kind` in xslerrno and
// returns 0: XSE_PROCESS_KIND (15) for bitmaps and unsupported pixel sizes,
// XSE_KIND (18) for the rest.
int XslRefuseKind(XslPixelKind kind);

// Construction and release: null with xslerrno XSE_NO_MEMORY when the size is
// refused (XSLSizeOK) or memory runs out. Depth must be 1 to 32.
XSImage* XSLCrNewBit(int width, int height);
XSImage* XSLCrNewZmapHeader(int width, int height, int depth);
XSImage* XSLCrNewZmap(int width, int height, int depth);
XSImage* XSLCrNewZmap2(int width, int height, int depth);
// A pixel plane of bytes bytes from malloc (calloc when zeroed), to be
// released with free. Large planes ask the system for 2 MB pages, so that
// filling one takes a page fault per 2 MB rather than per 4 KB.
unsigned char* XslAllocPlane(long bytes, bool zeroed);
void XSLFree(XSImage* image);
void XSLFreeData(XSImage* image);
XSImage* XSLAllocAndCopy(const XSImage* image);
int XSLCopyCmap(const XSImage* source, XSImage* target);

// Sizes
long XSLBytesPerLine(const XSImage* image);
long XSLDataSize(const XSImage* image);
int XSLLinePerSample(const XSImage* image);
double XSLPointWidth(XSImage* image);
double XSLPointHeight(XSImage* image);

// Clearing
void XSLClearXSLim(XSImage* image);
void XSImageClear(XSImage* image);

// Pixel access
void XSLPutPixel(XSImage* image, int x, int y, int red, int green, int blue);
void XSLPutPixel2(XSImage* image, int x, int y, XSColor color);
void XSLGetPixel(XSImage* image, int x, int y, int* red, int* green, int* blue);
void XSLGetPixel2(XSImage* image, int x, int y, unsigned char* rgb);
void XSLPutLine(XSImage* image, int x1, int x2, int y, int red, int green, int blue);

// Colormaps. Luminance of an entry, and fast gray of the conversions:
// (77 R + 150 G + 29 B) >> 8, so white stays 255.
inline int XslFastGray(int red, int green, int blue)
{
    return (77 * red + 150 * green + 29 * blue) >> 8;
}
// Replaces each of the n bytes by its table entry; a table that maps every byte
// to itself leaves the bytes untouched without a pass over them.
void XslMapBytes(unsigned char* bytes, long n, const unsigned char table[256]);
// A new malloc'd identity gray ramp (256 entries, entry i = {i, i, i, i}), or null.
XSColor* XslNewGrayRamp();
// Appends {ncolors, red, green, blue} (low 8 bits) to the colormap, growing it by
// exactly one entry; its index, or -1 with code XSE_KIND when the colormap is full
// (256 entries) or code XSE_NO_MEMORY when it cannot grow (the colormap stays valid).
int XslAppendColor(XSImage* image, int red, int green, int blue);
int XSLSearchCmapIndex(const XSColor* colormap, int count, int red, int green, int blue);
int XSLFindColor(int count, const XSColor* colormap, int red, int green, int blue);
int XSLSearchColormap(XSImage* image, int red, int green, int blue);
int XSLMinimumColor(int count, const XSColor* colormap);
int XSLMaximumColor(int count, const XSColor* colormap);
int XSLCheckGraymap(const XSImage* image);
int XSLBuildGraymap(XSImage* image);
int XSLSortColormap(XSImage* image);

// Conversion tables
int XslRgbShiftMask(uint32_t mask);
void XSBuildRGBConvertTable(unsigned char* table_r, unsigned char* table_g, unsigned char* table_b,
                            int max_r, int max_g, int max_b);
void XSBuildDirectConvertTable(uint32_t* table_r, uint32_t* table_g, uint32_t* table_b,
                               int max_r, int max_g, int max_b,
                               int shift_r, int shift_g, int shift_b);

// Raw buffers and streams
void XSLBZero(void* buffer, long n);
void XSLBSet(void* buffer, long n, int value);
void XSLFlipBytes(XSImage* image);
size_t XSLFRead(void* buffer, size_t size, size_t count, FILE* stream);
size_t XSLFWrite(const void* buffer, size_t size, size_t count, FILE* stream);
int XslReadChannel(FILE* stream, unsigned char* buffer, long file_row_bytes, long row_bytes, long rows);
int XslWriteChannel(FILE* stream, const unsigned char* buffer, long n);
// The two keep their names and their opposite orders: XslMemToVal reads the
// n bytes most significant first, XslValToMem writes them least significant
// first. New code uses the toolkit's XslGet16BE/XslPut32LE and the like
// (xsreadkit.h), whose names carry the order.
uint32_t XslMemToVal(const unsigned char* bytes, int n);
void XslValToMem(uint32_t value, unsigned char* bytes, int n);

// Byte order
int bswap_test();
void bswap_short(void* buffer, long n);
void bswap_long(void* buffer, long n);

[[noreturn]] void xs_panic(const char* text, int number);
