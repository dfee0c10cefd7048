// Conversions between pixel kinds, in place on the caller's record.
#pragma once

#include "xsimage.h"

int XSLConv24RGB(XSImage* image);
int XSLConvGray(XSImage* image);
int XSLFastColorToGray(XSImage* image);
int XSLColorToGray(XSImage* image);
int XSLBitmapToGray(XSImage* image);
int XSLMonoColorToColormap(XSImage* image);
// XSLCheckGraymap and XSLBuildGraymap are declared in xsimage.h, and so is the
// fast gray weighting XslFastGray.

// Exact gray: 0.299 R + 0.587 G + 0.114 B summed in extended precision, rounded
// to single precision, then truncate(s + 0.5).
inline int XslExactGray(int red, int green, int blue)
{
    const long double sum = static_cast<long double>(0.299) * red + static_cast<long double>(0.587) * green
                            + static_cast<long double>(0.114) * blue;
    return static_cast<int>(static_cast<float>(sum) + 0.5);
}
