// Conversions between pixel kinds, in place on the caller's record.
#pragma once

#include "xsimage.h"

int XSLConv24RGB(XSImage* image);
int XSLConvGray(XSImage* image);
int XSLFastColorToGray(XSImage* image);
int XSLColorToGray(XSImage* image);
int XSLBitmapToGray(XSImage* image);
int XSLMonoColorToColormap(XSImage* image);
// XSLCheckGraymap and XSLBuildGraymap are declared in xsimage.h.
