// How the printer is reached: PAPPL's device schemes, with a file:// device
// that writes one file per job into a folder, and without PAPPL's DNS-SD
// browse when no D-Bus system bus exists (it aborts the process then).
#pragma once

#include <string>

#include <pappl/pappl.h>

// Registers the schemes; call before papplMainloop, in every process.
void add_device_schemes();

// Gives the job's file on a folder device its name, "<job id>-<job name>.prn";
// does nothing on other devices.
void name_device_file(pappl_job_t* job, pappl_device_t* device);

// Why `uri` cannot be used as a printer's device, in plain words, or "" when
// it can; makes the file of a file:// URI that names a missing file in an
// existing folder.
std::string check_device_uri(const std::string& uri);
