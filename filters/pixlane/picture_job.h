// One image job from filled-in settings to the closing reset, in two halves so
// that a caller may look at the picture before it is printed. pixlane's main
// and the spooler's picture filter both run it. Every failure is reported
// through `report`, and the exit status is returned.
#pragma once

#include "job_context.h"
#include "job_report.h"
#include "settings.h"
#include "xsimage.h"

// Reads and corrects the picture. Null after reporting why (nowhere to write,
// no picture), with the exit status in *status; nothing has been written then.
// The context (may be null) is handed to the reader (see read_data).
XSImage* read_job_picture(Settings* settings, const job_report& report, int* status,
                          job_context* context = nullptr);

// Refuses an impossible page, then writes the set-up, the raster pages and the
// closing reset. Returns 0 when the whole job went out. A stage that fails
// after the set-up began still sends the closing reset.
int print_job_picture(Settings* settings, XSImage* picture, const job_report& report,
                      const job_context* context = nullptr);
