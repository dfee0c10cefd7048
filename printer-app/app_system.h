// The Printer Application's system: its options, state folder, listeners,
// driver, document filters and web pages.
#pragma once

#include <pappl/pappl.h>

constexpr const char app_name[] = "lane-printer-app";

// The folder of the state file, the spool and the control socket when the
// environment variable LANE_PRINTER_APP_STATE names one (tests and private
// servers); PAPPL's usual places otherwise. Call before papplMainloop: the
// client sub-commands find the server's socket through it.
void choose_state_folder();

// The one driver, as papplMainloop lists it.
extern pappl_pr_driver_t lane_drivers[1];

pappl_system_t* make_system(int num_options, cups_option_t* options, void* data);
