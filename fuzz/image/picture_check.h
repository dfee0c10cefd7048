// What every picture a reader delivers must be, whatever its input was.
#pragma once

#include "xsimage.h"

// Aborts (so the fuzzer reports it) unless the picture is of a known pixel
// kind with a sane size, and reads every byte of its planes and colormap, so
// that a plane shorter than its size says is caught by the address sanitizer.
void check_picture(const XSImage* picture);
