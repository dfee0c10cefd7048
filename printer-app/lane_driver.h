// The one driver of the Printer Application: what the printer can do, taken
// from the project's own tables, and the callbacks that print.
#pragma once

#include <pappl/pappl.h>

// The driver's name for `add -m` and its description.
constexpr const char lane_driver_name[] = "lane";
constexpr const char lane_make_and_model[] = "Lane Printer";

// Resolutions the printer prints at. PAPPL takes the first for draft quality,
// the middle one (here 300) for normal and the last for high when a job names none.
constexpr int lane_resolutions[] = {240, 400, 300, 600};
// Margins on every side, in hundredths of millimetres.
constexpr int lane_margin = 500;

// Vendor attributes: the halftoning method and the corrections.
constexpr const char halftoning_attr[] = "lane-halftoning";
constexpr const char brightness_attr[] = "lane-brightness";
constexpr const char gamma_attr[] = "lane-gamma";

bool lane_driver_cb(pappl_system_t* system, const char* driver_name, const char* device_uri,
                    const char* device_id, pappl_pr_driver_data_t* data, ipp_t** attrs, void* cbdata);
const char* lane_autoadd_cb(const char* device_info, const char* device_uri, const char* device_id, void* data);
// Gives a new printer its supplies.
void lane_printer_created(pappl_printer_t* printer, void* data);
