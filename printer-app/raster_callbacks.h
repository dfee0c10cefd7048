// Raster jobs: PAPPL hands the driver each page as lines at the printer's
// resolution (PWG and Apple raster, JPEG, PNG, and the pages of a PDF); each
// page is gathered into a picture and printed like rastertolane prints it.
#pragma once

#include <pappl/pappl.h>

#include "raster_page.h"

// The printer's own stream, for documents sent to it as they are.
constexpr const char lane_printer_format[] = "application/vnd.lane-printer";

// Sets the driver's raster and raw-file callbacks.
void set_raster_callbacks(pappl_pr_driver_data_t* data);

// One page of the job, the lines PAPPL or a PDF renderer gives. Also used by
// the PDF path, which writes its own lines.
struct LaneRasterJob;
LaneRasterJob* open_lane_raster(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device);
// A page of width x height pixels of `bits` (1, 8 or 24) drawn for the sheet
// and at the resolutions `sheet` gives.
bool lane_raster_start_page(LaneRasterJob* lane, unsigned width, unsigned height, unsigned bits,
                            const raster_page_setup& sheet);
// Line y of the page: width bytes of gray (0 black), of RGB, or width bits (1 black).
void lane_raster_line(LaneRasterJob* lane, unsigned y, const unsigned char* line);
bool lane_raster_end_page(LaneRasterJob* lane);
// Sends the closing reset and frees the job; true when the whole job went out.
bool close_lane_raster(LaneRasterJob* lane);
