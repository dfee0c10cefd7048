// The benchmark picture: smooth gradients with fine detail, the same every run.
#pragma once

// Gray value (0 black .. 255 white) of pixel x, y of a width x height picture.
unsigned char test_picture_pixel(int x, int y, int width, int height);
