// Writes the printer's PPD file, lane.ppd, from the paper table both filters
// compile, so that the sizes a print dialog offers are the printer's own.
// Usage: make_ppd [output file]
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "halftone_methods.h"
#include "filter_words.h"
#include "job_request.h"
#include "lane_version.h"
#include "paper_names.h"

namespace {

constexpr double points_per_inch = 72.0;
constexpr double margin_points = 5 / 25.4 * points_per_inch;  // the filters' 5 mm margins

// Every picture type the image library reads, as the spooler names them
// (lane.types names those the spooler does not know), and the text type.
const char* const picture_types[] = {
    "image/jpeg",          "image/tiff",           "image/png",
    "image/gif",           "image/x-bitmap",       "image/x-portable-anymap",
    "image/x-portable-bitmap", "image/x-portable-graymap", "image/x-portable-pixmap",
    "image/x-sun-raster",  "image/x-sgi-rgb",      "image/x-xwindowdump",
    "image/x-pcx",         "image/webp",           "image/x-lane-image",
    // Files no type rule knows (the window dumps without a magic number)
    // go to the picture filter, which says what it found in them.
    "application/octet-stream",
};

// The resolutions the picture filter offers; 240 dpi is the printer's own.
const int resolutions[] = {240, 300, 400, 600};

// PPD sizes are points to two decimals.
std::string points(double v)
{
    return number_word(v, 2);
}

// "A4 rotated (297 x 210 mm)", "Letter (8.5 x 11 in)": the table's metric
// papers are whole millimetres.
std::string paper_text(const paper_entry& p)
{
    std::string text = ppd_keyword(p);
    const size_t rotated = text.find("Rotated");
    if (rotated != std::string::npos)
        text.replace(rotated, 7, " rotated");
    const double w = p.width * 25.4;
    const double h = p.height * 25.4;
    const bool metric = std::fabs(w - std::round(w)) < 1e-6 && std::fabs(h - std::round(h)) < 1e-6;
    char size[48];
    if (metric)
        std::snprintf(size, sizeof size, " (%.0f x %.0f mm)", w, h);
    else
        std::snprintf(size, sizeof size, " (%g x %g in)", p.width, p.height);
    return text + size;
}

void write_ppd(FILE* out)
{
    std::fputs("*PPD-Adobe: \"4.3\"\n"
               "*% The page printer of pixlane and textlane. Made by make_ppd from the\n"
               "*% printer's paper table: change the table, not this file.\n"
               "*FormatVersion: \"4.3\"\n",
               out);
    std::fprintf(out, "*FileVersion: \"%s\"\n", lane_version);
    std::fputs("*LanguageVersion: English\n"
               "*LanguageEncoding: ISOLatin1\n"
               "*PCFileName: \"LANE.PPD\"\n"
               "*Manufacturer: \"Generic\"\n"
               "*Product: \"(Lane Page Printer)\"\n"
               "*ModelName: \"Lane Page Printer\"\n"
               "*ShortNickName: \"Lane Page Printer\"\n"
               "*NickName: \"Lane Page Printer, pixlane and textlane\"\n"
               "*PSVersion: \"(3010.000) 0\"\n"
               "*LanguageLevel: \"3\"\n"
               "*ColorDevice: False\n"
               "*DefaultColorSpace: Gray\n"
               "*FileSystem: False\n"
               "*Throughput: \"1\"\n"
               // Landscape documents turn as pixlane turns pictures: a quarter
               // turn clockwise, the page's top on the sheet's right edge.
               "*LandscapeOrientation: Minus90\n"
               "*TTRasterizer: Type42\n"
               "*cupsVersion: 2.4\n"
               "*cupsManualCopies: False\n",
               out);
    for (const char* type : picture_types)
        std::fprintf(out, "*cupsFilter2: \"%s application/vnd.lane-printer 0 imagetolane\"\n", type);
    std::fputs("*cupsFilter2: \"text/plain application/vnd.lane-printer 0 texttolane\"\n", out);
    // Everything else comes as raster, drawn by the spooler's chain (Ghostscript
    // or Poppler) at the chosen resolution; the pictures and texts above stay
    // cheaper, so they keep their own filters. PWG and Apple raster are what
    // the spooler offers IPP clients.
    for (const char* type : {"application/vnd.cups-raster", "image/pwg-raster", "image/urf"})
        std::fprintf(out, "*cupsFilter2: \"%s application/vnd.lane-printer 100 rastertolane\"\n", type);

    const char* const keywords[] = {"PageSize", "PageRegion"};
    for (const char* keyword : keywords) {
        std::fprintf(out, "*OpenUI *%s/Media Size: PickOne\n*OrderDependency: 10 AnySetup *%s\n*Default%s: A4\n",
                     keyword, keyword, keyword);
        for (const paper_entry* p = paper; p->name != nullptr; ++p)
            std::fprintf(out, "*%s %s/%s: \"<</PageSize[%s %s]/ImagingBBox null>>setpagedevice\"\n", keyword,
                         ppd_keyword(*p).c_str(), paper_text(*p).c_str(), points(p->width * points_per_inch).c_str(),
                         points(p->height * points_per_inch).c_str());
        std::fprintf(out, "*CloseUI: *%s\n", keyword);
    }
    std::fputs("*DefaultImageableArea: A4\n", out);
    for (const paper_entry* p = paper; p->name != nullptr; ++p)
        std::fprintf(out, "*ImageableArea %s/%s: \"%s %s %s %s\"\n", ppd_keyword(*p).c_str(), paper_text(*p).c_str(),
                     points(margin_points).c_str(), points(margin_points).c_str(),
                     points(p->width * points_per_inch - margin_points).c_str(),
                     points(p->height * points_per_inch - margin_points).c_str());
    std::fputs("*DefaultPaperDimension: A4\n", out);
    for (const paper_entry* p = paper; p->name != nullptr; ++p)
        std::fprintf(out, "*PaperDimension %s/%s: \"%s %s\"\n", ppd_keyword(*p).c_str(), paper_text(*p).c_str(),
                     points(p->width * points_per_inch).c_str(), points(p->height * points_per_inch).c_str());

    // Custom sizes from one inch to 17 inches a side.
    std::fputs("*VariablePaperSize: True\n"
               "*MaxMediaWidth: \"1224\"\n"
               "*MaxMediaHeight: \"1224\"\n"
               "*HWMargins: 0 0 0 0\n"
               "*CustomPageSize True: \"pop pop pop <</PageSize[5 -2 roll]/ImagingBBox null>>setpagedevice\"\n"
               "*ParamCustomPageSize Width: 1 points 72 1224\n"
               "*ParamCustomPageSize Height: 2 points 72 1224\n"
               "*ParamCustomPageSize WidthOffset: 3 points 0 0\n"
               "*ParamCustomPageSize HeightOffset: 4 points 0 0\n"
               "*ParamCustomPageSize Orientation: 5 int 0 3\n",
               out);

    std::fputs("*OpenUI *Resolution/Resolution: PickOne\n"
               "*OrderDependency: 20 AnySetup *Resolution\n"
               "*DefaultResolution: 240dpi\n",
               out);
    for (int dpi : resolutions)
        std::fprintf(out, "*Resolution %ddpi/%d dpi: \"<</HWResolution[%d %d]>>setpagedevice\"\n", dpi, dpi, dpi,
                     dpi);
    std::fputs("*CloseUI: *Resolution\n", out);

    // The chain draws 8-bit gray (colour space W, chunked, uncompressed).
    std::fputs("*OpenUI *ColorModel/Color Mode: PickOne\n"
               "*OrderDependency: 10 AnySetup *ColorModel\n"
               "*DefaultColorModel: Gray\n"
               "*ColorModel Gray/Grayscale: \"<</cupsColorOrder 0/cupsColorSpace 0/cupsBitsPerColor 8"
               "/cupsCompression 0>>setpagedevice\"\n"
               "*CloseUI: *ColorModel\n",
               out);

    std::fputs("*OpenUI *Halftoning/Halftoning: PickOne\n"
               "*OrderDependency: 30 AnySetup *Halftoning\n",
               out);
    std::fprintf(out, "*DefaultHalftoning: %s\n", halftone_methods[0].ppd_keyword);
    for (const halftone_method& h : halftone_methods)
        std::fprintf(out, "*Halftoning %s/%s: \"\"\n", h.ppd_keyword, h.name);
    std::fputs("*CloseUI: *Halftoning\n", out);

    // Pictures: how large they print. "Default" leaves each filter its own.
    std::fputs("*OpenUI *PictureScaling/Picture scaling: PickOne\n"
               "*OrderDependency: 40 AnySetup *PictureScaling\n"
               "*DefaultPictureScaling: Auto\n"
               "*PictureScaling Auto/Own size, fitted when larger than the page: \"\"\n"
               "*PictureScaling Fit/Fit to the page: \"\"\n"
               "*PictureScaling Fill/Fill the page: \"\"\n"
               "*PictureScaling None/Own size: \"\"\n"
               "*CloseUI: *PictureScaling\n",
               out);
    // Texts: the character grid and the encoding.
    const struct {
        const char* keyword;
        const char* text;
        std::vector<const char*> choices;
    } text_options[] = {
        {"cpi", "Characters per inch (text)", {"10", "12", "15", "17", "20"}},
        {"lpi", "Lines per inch (text)", {"4", "6", "8", "10", "12"}},
        {"charset", "Text encoding", {"EUC-JP", "Shift_JIS", "ISO-2022-JP", "UTF-8", "ISO-8859-1", "Windows-1252"}},
    };
    for (const auto& o : text_options) {
        std::fprintf(out, "*OpenUI *%s/%s: PickOne\n*OrderDependency: 50 AnySetup *%s\n*Default%s: Default\n",
                     o.keyword, o.text, o.keyword, o.keyword);
        std::fprintf(out, "*%s Default/%s: \"\"\n", o.keyword,
                     std::strcmp(o.keyword, "charset") == 0 ? "Found from the text" : "Printer default");
        for (const char* choice : o.choices)
            std::fprintf(out, "*%s %s/%s: \"\"\n", o.keyword, choice, choice);
        std::fprintf(out, "*CloseUI: *%s\n", o.keyword);
    }

    std::fputs("*DefaultFont: Courier\n"
               "*Font Courier: Standard \"(002.004S)\" Standard ROM\n"
               "*% End of lane.ppd\n",
               out);
}

}  // namespace

int main(int argc, char** argv)
{
    FILE* out = stdout;
    if (argc > 1 && (out = std::fopen(argv[1], "w")) == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    write_ppd(out);
    if (std::fflush(out) != 0 || std::ferror(out) || (out != stdout && std::fclose(out) != 0)) {
        std::perror(argc > 1 ? argv[1] : "make_ppd");
        return 1;
    }
    return 0;
}
