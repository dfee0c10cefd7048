// The dispatch walks over explicit tables. The public entries of xsregistry.h run
// them over the library's own tables; tests run them over tables of their own.
#pragma once

#include "xsio.h"

XSImage* XslReadMagicWith(FILE* stream, const XSMagicRow* table, const XSImageType* natives);
XSImage* XslReadNativeWith(FILE* stream, const XSImageType* natives);
int XslCheckUpWith(FILE* stream, XSInfo* info, const XSImageType* natives);
int XslWriteModeWith(int mode, const XSImageType* natives);
int XslWriteWith(FILE* stream, XSImage* image, const XSImageType* natives);
