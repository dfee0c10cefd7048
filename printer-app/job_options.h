// A PAPPL job's options in the words of the spooler filters, so that every
// path of the Printer Application asks the filters exactly what a spooler job
// with the same options asks.
#pragma once

#include <string>
#include <vector>

#include <pappl/pappl.h>

#include "job_request.h"

// The job's options as spooler options: media, orientation, print-scaling,
// resolution, print-quality's halftoning and the vendor attributes.
// The lane-* attributes of a job: its own, and the printer's defaults for
// those it does not name.
struct job_vendor {
    std::vector<cups_option> job;
    std::vector<cups_option> defaults;
};
job_vendor vendor_options(pappl_job_t* job, const pappl_pr_options_t* options);

// The job's options as spooler options, the printer's vendor defaults first.
std::vector<cups_option> spooler_options(const pappl_pr_options_t* options, const job_vendor& vendor);

// The request a spooler filter of `kind` would read for the job; its notes
// and error go to the job's log.
job_request read_pappl_request(pappl_job_t* job, filter_kind kind, const pappl_pr_options_t* options);

// The halftoning method print-quality asks for: draft the Bayer ordered
// dither, high the 5x3 error diffusion, normal the printer's default (-1).
int quality_halftone(ipp_quality_t quality);
