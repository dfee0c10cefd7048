// Alpha channels put over white paper.
#include "xsoverwhite.h"

void XslRowOverWhite(const unsigned char* in, unsigned char* out, long width, int colours)
{
    for (long x = 0; x < width; ++x, in += colours + 1, out += colours) {
        const int alpha = in[colours];
        for (int c = 0; c < colours; ++c)
            out[c] = XslOverWhite(in[c], alpha);
    }
}
