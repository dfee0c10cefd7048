// The one driver of the Printer Application: what the printer can do, taken
// from the project's own tables, and the callbacks that print.
#pragma once

#include <cstdio>

#include <pappl/pappl.h>

// The driver's name for `add -m` and its description.
constexpr const char lane_driver_name[] = "lane";
constexpr const char lane_make_and_model[] = "Lane Printer";
// Its IEEE 1284 device ID: the command set names the printer's own language,
// then the document formats every printer takes.
constexpr const char lane_device_id[] =
    "MFG:Lane;MDL:Lane Printer;CMD:LANE,PWGRaster,URF,PDF,JPEG,PNG,TIFF,GIF,BMP,PNM,WEBP,TXT;CLS:PRINTER;"
    "DES:Lane page printer;";

// Resolutions the printer prints at. PAPPL takes the first for draft quality,
// the middle one (here 300) for normal and the last for high when a job names none.
constexpr int lane_resolutions[] = {240, 400, 300, 600};
// Margins on every side, in hundredths of millimetres.
constexpr int lane_margin = 500;

// Vendor attributes: the halftoning method and the corrections.
constexpr const char halftoning_attr[] = "lane-halftoning";
constexpr const char brightness_attr[] = "lane-brightness";
constexpr const char gamma_attr[] = "lane-gamma";
// Their -default and -supported printer attributes.
constexpr const char* lane_vendor_attribute_names[] = {
    "lane-halftoning-default", "lane-halftoning-supported", "lane-brightness-default",
    "lane-brightness-supported", "lane-gamma-default",        "lane-gamma-supported"};

bool lane_driver_cb(pappl_system_t* system, const char* driver_name, const char* device_uri,
                    const char* device_id, pappl_pr_driver_data_t* data, ipp_t** attrs, void* cbdata);
const char* lane_autoadd_cb(const char* device_info, const char* device_uri, const char* device_id, void* data);
// Gives a new printer its supplies.
void lane_printer_created(pappl_printer_t* printer, void* data);
// The driver's own job options and print-scaling, for the `options` sub-command.
void print_driver_options(FILE* out);
// The web interface's labels of the vendor attributes and their values.
void add_web_labels(pappl_system_t* system);
