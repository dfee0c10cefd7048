// Scaling and rotation by any angle, in place on the caller's record.
#pragma once

#include "xsimage.h"

// Rotates by degrees (clockwise on the page), then scales by sx and sy. The image
// becomes the bounding box of the result; uncovered pixels take the background.
// 1 on success; 0 with xslerrno XSE_NO_MEMORY (out of memory, or a result
// larger than XS_MAX_PIXELS or empty), XSE_PROCESS_KIND or XSE_KIND (pixel kind), the image then unchanged.
int XSAffine2(XSImage* image, double degrees, double sx, double sy, XSColor background);
// XSAffine2 on a white background.
int XSAffine(XSImage* image, double degrees, double sx, double sy);
int XSScale(XSImage* image, double sx, double sy);
int XSRotate(XSImage* image, double degrees, XSColor background);
