// Page pictures written to files: PNG (8-bit gray: white sheet, the frame in
// light gray, dots black, a reduced block as gray as its share of black
// dots) and PBM (the dots alone: a reduced block is black when at least
// half its dots are).
#pragma once

#include <cstdio>
#include <string>

#include "page_picture.h"

// "page-3.png", or "page-3-copies-99.png" when the page is printed more than once.
std::string page_file_name(const Page& page, const char* extension);

// 1 when written, 0 on a write error.
int write_page_png(FILE* out, const PagePicture& picture, int scale);
int write_page_pbm(FILE* out, const PagePicture& picture, int scale);
