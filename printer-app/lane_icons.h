// The printer's icons, small (48 pixels), medium (128) and large (512): PNG
// files of a page the printer printed, built into the program.
#pragma once

#include <cstddef>

extern const unsigned char lane_icon_sm[], lane_icon_md[], lane_icon_lg[];
extern const size_t lane_icon_sm_size, lane_icon_md_size, lane_icon_lg_size;
