#include "lane_driver.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "halftone_methods.h"
#include "lane_icons.h"
#include "paper.h"
#include "paper_names.h"
#include "raster_callbacks.h"

namespace {

int hundredths(double inches)
{
    return static_cast<int>(inches * 2540.0 + 0.5);
}

// The paper table's sizes as PWG names, each once (a turned row is the same
// sheet fed the other way), then the custom range.
std::vector<const char*> media_names()
{
    std::vector<const char*> names;
    for (const paper_entry* p = paper; p->name != nullptr; ++p) {
        const int w = hundredths(std::min(p->width, p->height));
        const int h = hundredths(std::max(p->width, p->height));
        pwg_media_t* pwg = pwgMediaForSize(w, h);
        if (pwg == nullptr)
            continue;
        if (std::none_of(names.begin(), names.end(), [&](const char* n) { return !std::strcmp(n, pwg->pwg); }))
            names.push_back(pwg->pwg);
    }
    names.push_back("custom_min_25.4x25.4mm");
    names.push_back("custom_max_431.8x431.8mm");
    return names;
}

void set_ready(pappl_media_col_t* col, const char* paper_name, const char* source)
{
    const paper_entry* row = paper_lookup(paper_name);
    pwg_media_t* pwg = pwgMediaForSize(hundredths(row->width), hundredths(row->height));
    std::memset(col, 0, sizeof *col);
    col->bottom_margin = col->top_margin = col->left_margin = col->right_margin = lane_margin;
    col->size_width = pwg->width;
    col->size_length = pwg->length;
    std::strncpy(col->size_name, pwg->pwg, sizeof col->size_name - 1);
    std::strncpy(col->source, source, sizeof col->source - 1);
    std::strncpy(col->type, "stationery", sizeof col->type - 1);
}

// A job's identification shows in the log: the printer has no panel to show it on.
void identify(pappl_printer_t* printer, pappl_identify_actions_t, const char* message)
{
    papplLogPrinter(printer, PAPPL_LOGLEVEL_INFO, "Identify-Printer: %s", message != nullptr ? message : "");
}

// The vendor attributes, and the IPP Everywhere attributes PAPPL leaves to drivers.
void add_driver_attributes(ipp_t** attrs)
{
    *attrs = ippNew();
    ippAddBoolean(*attrs, IPP_TAG_PRINTER, "preferred-attributes-supported", 0);
    static const char* const overrides[] = {"document-number", "pages"};
    ippAddStrings(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "overrides-supported", 2, nullptr, overrides);
    ippAddString(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-default", nullptr, "auto");
    ippAddString(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "print-rendering-intent-supported", nullptr, "auto");
    ippAddString(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "pwg-raster-document-sheet-back", nullptr, "normal");
    const char* halftoning[halftone_method_count];
    for (int m = 0; m < halftone_method_count; ++m)
        halftoning[m] = halftone_methods[m].ipp_keyword;
    ippAddStrings(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "lane-halftoning-supported", halftone_method_count,
                  nullptr, halftoning);
    ippAddString(*attrs, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "lane-halftoning-default", nullptr, halftoning[0]);
    // Brightness in percent (100 unchanged), gamma in thousandths of the printer's own.
    ippAddRange(*attrs, IPP_TAG_PRINTER, "lane-brightness-supported", 0, 200);
    ippAddInteger(*attrs, IPP_TAG_PRINTER, IPP_TAG_INTEGER, "lane-brightness-default", 100);
    ippAddRange(*attrs, IPP_TAG_PRINTER, "lane-gamma-supported", 1, 10000);
    ippAddInteger(*attrs, IPP_TAG_PRINTER, IPP_TAG_INTEGER, "lane-gamma-default", 1000);
}

}  // namespace

bool lane_driver_cb(pappl_system_t* system, const char* driver_name, const char* device_uri,
                    const char* device_id, pappl_pr_driver_data_t* d, ipp_t** attrs, void* cbdata)
{
    if (std::strcmp(driver_name, lane_driver_name) != 0) {
        papplLog(system, PAPPL_LOGLEVEL_ERROR, "No driver named '%s'.", driver_name);
        return false;
    }
    set_raster_callbacks(d);
    std::strncpy(d->make_and_model, lane_make_and_model, sizeof d->make_and_model - 1);
    d->ppm = 10;
    d->kind = PAPPL_KIND_DOCUMENT | PAPPL_KIND_PHOTO;
    // Colour is offered only so that colour pages are taken: PAPPL refuses
    // 24-bit raster unless the driver claims the colour mode, and every
    // driverless client may send sRGB pages. They print in gray, as
    // rastertolane prints them; gray stays the default.
    d->color_supported = PAPPL_COLOR_MODE_AUTO | PAPPL_COLOR_MODE_MONOCHROME | PAPPL_COLOR_MODE_BI_LEVEL |
                         PAPPL_COLOR_MODE_COLOR;
    d->color_default = PAPPL_COLOR_MODE_MONOCHROME;
    d->content_default = PAPPL_CONTENT_AUTO;
    d->quality_default = IPP_QUALITY_NORMAL;
    d->scaling_default = PAPPL_SCALING_AUTO;
    d->orient_default = IPP_ORIENT_PORTRAIT;
    d->raster_types = PAPPL_PWG_RASTER_TYPE_BLACK_1 | PAPPL_PWG_RASTER_TYPE_SGRAY_8 | PAPPL_PWG_RASTER_TYPE_SRGB_8;
    d->duplex = PAPPL_DUPLEX_NONE;
    d->sides_supported = PAPPL_SIDES_ONE_SIDED;
    d->sides_default = PAPPL_SIDES_ONE_SIDED;

    d->num_resolution = static_cast<int>(std::size(lane_resolutions));
    for (int i = 0; i < d->num_resolution; ++i)
        d->x_resolution[i] = d->y_resolution[i] = lane_resolutions[i];
    d->x_default = d->y_default = lane_resolutions[d->num_resolution / 2];

    d->left_right = d->bottom_top = lane_margin;
    static const std::vector<const char*> names = media_names();
    d->num_media = std::min(static_cast<int>(names.size()), PAPPL_MAX_MEDIA);
    for (int i = 0; i < d->num_media; ++i)
        d->media[i] = names[static_cast<size_t>(i)];
    d->num_source = 2;
    d->source[0] = "main";
    // The manual feed is the by-pass tray: PAPPL's media page leaves out a
    // source named "manual", and its paper must be choosable there too.
    d->source[1] = "by-pass-tray";
    set_ready(&d->media_ready[0], "A4", "main");
    set_ready(&d->media_ready[1], "LT", "by-pass-tray");
    d->media_default = d->media_ready[0];
    d->num_type = 1;
    d->type[0] = "stationery";

    d->num_vendor = 3;
    d->vendor[0] = halftoning_attr;
    d->vendor[1] = brightness_attr;
    d->vendor[2] = gamma_attr;
    d->identify_cb = identify;
    d->identify_default = PAPPL_IDENTIFY_ACTIONS_DISPLAY;
    d->identify_supported = PAPPL_IDENTIFY_ACTIONS_DISPLAY;
    d->has_supplies = true;
    const struct {
        const unsigned char* data;
        size_t size;
    } icons[] = {{lane_icon_sm, lane_icon_sm_size}, {lane_icon_md, lane_icon_md_size}, {lane_icon_lg, lane_icon_lg_size}};
    for (size_t i = 0; i < std::size(icons); ++i) {
        d->icons[i].data = icons[i].data;
        d->icons[i].datalen = icons[i].size;
    }
    add_driver_attributes(attrs);
    (void)device_uri;
    (void)device_id;
    (void)cbdata;
    return true;
}

const char* lane_autoadd_cb(const char* device_info, const char* device_uri, const char* device_id, void* data)
{
    (void)device_info;
    (void)device_uri;
    (void)data;
    // The printer names itself with this command set in its IEEE 1284 device ID.
    if (device_id != nullptr && std::strstr(device_id, "CMD:LANE") != nullptr)
        return lane_driver_name;
    return nullptr;
}

void lane_printer_created(pappl_printer_t* printer, void*)
{
    // The printer does not report its toner: the level is unknown.
    pappl_supply_t toner{};
    toner.color = PAPPL_SUPPLY_COLOR_BLACK;
    std::strncpy(toner.description, "Black Toner", sizeof toner.description - 1);
    toner.is_consumed = true;
    toner.level = -1;
    toner.type = PAPPL_SUPPLY_TYPE_TONER;
    papplPrinterSetSupplies(printer, 1, &toner);
    // Jobs wait in the queue however many come: a client told "busy" in the
    // middle of sending a document may lose its connection.
    papplPrinterSetMaxActiveJobs(printer, 0);
    // PAPPL 1.3 advertises a printer made by Create-Printer only at the next
    // start: setting its service name registers it now.
    if (papplSystemIsRunning(papplPrinterGetSystem(printer))) {
        char name[256];
        if (papplPrinterGetDNSSDName(printer, name, sizeof name) != nullptr)
            papplPrinterSetDNSSDName(printer, name);
    }
}

void print_driver_options(FILE* out)
{
    std::fputs("\nLane printer options:\n  -o lane-halftoning=", out);
    for (int m = 0; m < halftone_method_count; ++m)
        std::fprintf(out, "%s%s", m ? ", " : "", halftone_methods[m].ipp_keyword);
    std::fputs("\n  -o lane-brightness=0 to 200 (percent, 100 unchanged)\n"
               "  -o lane-gamma=1 to 10000 (thousandths of the printer's gamma, 1000 unchanged)\n"
               "  -o print-scaling=auto, auto-fit, fill, fit, none\n",
               out);
}

void add_web_labels(pappl_system_t* system)
{
    static std::string strings;
    strings = "\"lane-halftoning\" = \"Halftoning\";\n\"lane-brightness\" = \"Brightness\";\n"
              "\"lane-gamma\" = \"Gamma\";\n"
              "\"media-source.by-pass-tray\" = \"Manual feed\";\n";
    for (int m = 0; m < halftone_method_count; ++m)
        strings += std::string("\"lane-halftoning.") + halftone_methods[m].ipp_keyword + "\" = \"" +
                   halftone_methods[m].name + "\";\n";
    // A browser asking for a regional English gets these too.
    papplSystemAddStringsData(system, "/en.strings", "en", strings.c_str());
}
