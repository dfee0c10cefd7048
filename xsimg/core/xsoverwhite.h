// Transparent pictures put over white paper: the printer has no ink for
// transparency, so a pixel of opacity a (0..255) prints as its colour mixed
// with white in proportion a : 255 - a.
#pragma once

// One 8-bit channel over white, rounded to nearest.
inline unsigned char XslOverWhite(int value, int alpha)
{
    return static_cast<unsigned char>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

// Puts `width` pixels of `colours` channels followed by one alpha byte over
// white, writing `colours` bytes per pixel to `out`. `out` may be `in`: the
// pixels are taken in order and each is written no further on than it was read.
void XslRowOverWhite(const unsigned char* in, unsigned char* out, long width, int colours);
