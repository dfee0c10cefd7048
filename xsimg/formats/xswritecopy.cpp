// Converted copies for writers.
#include "xswritecopy.h"

XslImagePtr XslConvertedCopy(const XSImage* image, int (*convert)(XSImage*))
{
    const int earlier = xslerrno;
    xslerrno = 0;
    XslImagePtr copy(XSLAllocAndCopy(image));
    if (!copy || !convert(copy.get())) {
        if (xslerrno == 0)
            xslerrno = XSE_KIND;
        return nullptr;
    }
    xslerrno = earlier;
    return copy;
}
