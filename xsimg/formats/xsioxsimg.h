// The library's own image file: a 100-byte big-endian header that mirrors the
// image record, the colormap, then the planes as they lie in memory.
#pragma once

#include <cstdint>
#include <cstdio>

#include "xsio.h"

constexpr uint32_t XS_IMG_MAGIC = 0x58A65A94;
// Bytes of the header that carry fields; a written header is padded to 100.
constexpr uint32_t XS_IMG_FIELD_BYTES = 60;
constexpr uint32_t XS_IMG_HEADER_BYTES = 100;

// The first 15 header words in host order.
struct XSImgHeader {
    uint32_t magic;
    uint32_t header_length;
    uint32_t type;
    uint32_t reserved;
    uint32_t width;
    uint32_t height;
    uint32_t depth;
    uint32_t planes;
    uint32_t bytes_per_pixel;
    uint32_t resolution;
    uint32_t ncolors;
    uint32_t bits_per_sample;
    uint32_t red_mask;
    uint32_t green_mask;
    uint32_t blue_mask;
};

// Reads a whole file from the stream's position; null with xslerrno set.
XSImage* XSLReadXSImg(FILE* stream);
// The family reader: the magic and header length are already read.
XSImage* XSLReadXSImg2(FILE* stream, uint32_t word0, uint32_t word1);
// The first 60 header bytes with the magic check: 1, or 0 with code XSE_HEADER_READ
// (short) or XSE_BAD_MAGIC (wrong magic).
int XSLReadXSImgHeader(XSImgHeader* header, FILE* stream);
// Everything after the first 60 bytes: the rest of the header, the colormap
// and the planes. Null with code XSE_HEADER_READ (header length below 60 or beyond the file),
// XSE_BAD_MAGIC (impossible sizes, colour count or colour values), XSE_CMAP_READ (short
// colormap), XSE_KIND (planes not 1 or 3, or fields that make no pixel kind),
// XSE_DATA_READ (short planes) or XSE_NO_MEMORY.
XSImage* XSLReadXSImgData(const XSImgHeader* header, FILE* stream);

// 1, or 0 with code XSE_READ_ERROR (header), XSE_KIND (colormap not written, or a record whose
// planes are missing), XSE_DATA_WRITE (planes). The image is not changed.
int XSLWriteXSImg(FILE* stream, XSImage* image);
int XSLWriteXSImgHeader(FILE* stream, const XSImage* image);
int XSLWriteXSImgData(FILE* stream, const XSImage* image);

// Family recogniser and information function (width, height, resolution).
int XSLIndentXSImg(uint32_t word0, uint32_t word1);
int XSLInformXSImg(FILE* stream, uint32_t word0, uint32_t word1, XSInfo* info);
