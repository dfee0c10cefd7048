// Writers that take only some pixel kinds convert a copy of the caller's
// image, so that the image itself is never changed.
#pragma once

#include "xsown.h"

// A copy of `image` passed through `convert` (an in-place conversion such as
// XSLConv24RGB), or null with the copy's or the conversion's code; XSE_KIND when the
// conversion refuses the kind without leaving a code of its own. A code that was set
// before a successful call is kept.
XslImagePtr XslConvertedCopy(const XSImage* image, int (*convert)(XSImage*));
