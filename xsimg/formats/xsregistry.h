// The library's own format tables and the public entries that walk them.
#pragma once

#include "xsio.h"

// Rows in the order they are tried; ends with a row whose magic is null.
extern const XSMagicRow magic_table[];

// Rows in the order they are tried; ends with an all-zero row.
extern const XSImageType XSImageTypes[];

// Recognises the picture at the stream's position by content and reads it;
// sets the image's format. Null with xslerrno XSE_UNKNOWN_FORMAT when no format accepts it.
XSImage* XSReadMagic(FILE* stream);

// What a caller asks of one read and learns from it, so that nothing about
// one job's read is left for the next to reset.
struct XslReadRequest {
    int page = 1;            // the page of a multi-page file (TIFF), from 1
    bool cut_short = false;  // the picture's data ended early (JPEG); what was read is in the picture
};
// XSReadMagic for one request.
XSImage* XSReadMagicRequest(FILE* stream, XslReadRequest* request);

// The native-family dispatch: null with code XSE_HEADER_READ (no 8-byte header), XSE_NO_NATIVE_READER (no
// recogniser accepts) or the reader's code.
XSImage* XSLRead(FILE* stream);
// Like XSLRead, but fills `info` through the chosen row's information function.
int XSLCheckUp(FILE* stream, XSInfo* info);
// Chooses the first native row whose mask shares a bit with mode; returns
// mode & mask, or 0 when no row qualifies.
int XSLWriteMode(int mode);
// Writes through the chosen native row; 0 with code XSE_NO_NATIVE_READER when none is chosen.
int XSLWrite(FILE* stream, XSImage* image);
