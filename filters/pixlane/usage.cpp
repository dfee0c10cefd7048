#include <cstdio>

#include "settings.h"

const char* const Usage[] = {
    "where options include:",
    "  argument (params)         : contents",
    "  -in  filename             : input filename",
    "  -out filename             : output filename",
    "  -cp copies                : copies number",
    "  -r  dpi                   : printer resolution",
    "  -ps paper_symbol          : paper size",
    "  -pu paper_handring[=bin]  : paper handring",
    "  -po 0/1                   : paper orient(PORTRATE/LANDSCAPE)",
    "  -pm top bottom left right : paper margin",
    "  -mo 0/1                   : request mono color printing",
    "  -di n[=real]              : to bilevel using dithering",
    "                            :  n = 0; Error collection (3x2)",
    "                            :  n = 1; Error collection (5x3)",
    "                            :  n = 2; Orderd dither using Bayer's matrix",
    "                            :  n = 3; Orderd dither using Scroll matrix",
    "                            :  n = 4; Random dither",
    "                            :  n = 5; Threshold using real value",
    "                            :         between 0.0 to 1.0 (default 0.5)",
    "  -gm real[,real,real]      : performs gamma correction",
    "  -va int,int,int           : performs color valance",
    "  -co int                   : performs contrast modify",
    "                            :  between -100 and 100 (default 0)",
    "  -sa int                   : performs saturation modify",
    "                            :  between -100 and 100 (default 0)",
    "  -br int                   : performs brightness modify",
    "                            :  between -100 and 100 (default 0)",
    "  -xs real                  : specify magnification ratios",
    "  -ys real                  : specify magnification ratios",
    "  -fi 0/1/2                 : specify the fit of output data",
    "                            :  0; using lower ratios",
    "                            :  1; using vertical ratios",
    "                            :  2; using horizontal ratios",
    "  -x  real                  : specify x-axis origin ratios",
    "  -y  real                  : specify y-axis origin ratios",
    "  -la 0/1/2/3/4             : specify the layout of output data",
    "                            :  0; left upper",
    "                            :  1; right upper",
    "                            :  2; center",
    "                            :  3; left lower",
    "                            :  4; right lower",
    "  -sp 1                     : compatible mode 1",
    "  -help                     : this message",
    nullptr,
};

void PutUsage(const char* program_name, const char* const* lines)
{
    if (lines == nullptr)
        return;
    std::fprintf(stderr, "pixlane Ver 3.0.0 Mar./24/2006\n");
    std::fprintf(stderr, "\nusage:\n\t%s [-options ...]\n\n", program_name);
    for (; *lines != nullptr; ++lines)
        std::fprintf(stderr, "%s\n", *lines);
}
