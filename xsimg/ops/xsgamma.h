// Tone corrections expressed as one 256-entry byte table per channel:
// gamma, colour balance and contrast, and the application they share.
#pragma once

#include "xsimage.h"
#include "xstonetables.h"

#include <cstdint>

// Makes every pixel of a gray colormap image hold its gray level and gives it
// the identity gray ramp (a 256-entry colormap is sorted first, as the levels
// are taken from it). Result 1, or 0 with xslerrno.
int XslNormaliseGray(XSImage* image);

// Runs three channel tables over any pixel kind but a bitmap: RGB planes
// plane by plane, gray images (8-bit without colormap, or a gray colormap
// normalised first) through the red table, other colormaps entry by entry,
// direct colour field by field. Result 1, or 0 with xslerrno.
int XslApplyChannelTables(XSImage* image, const unsigned char* table_red,
                          const unsigned char* table_green, const unsigned char* table_blue);

// Gamma
int XSLGamma(XSImage* image, double gamma_red, double gamma_green, double gamma_blue);
int XSLUserGamma(XSImage* image, const unsigned char* table_red, const unsigned char* table_green,
                 const unsigned char* table_blue);

// Colour balance: percentages per channel, 100 = unchanged.
int XSLValance(XSImage* image, double red_percent, double green_percent, double blue_percent);
int XSLUserValance(XSImage* image, const unsigned char* table_red, const unsigned char* table_green,
                   const unsigned char* table_blue);

// Contrast: one percentage for all channels, 100 = unchanged.
void BuildContrastTable(int32_t* table, float factor);
void contrast(int* red, int* green, int* blue, const int32_t* table);
int XSLContrast(XSImage* image, float percent);
