// One text job from filled-in settings to the end of job, run by textlane's
// main and by the spooler's text filter. The streams are left open.
#pragma once

#include "job_report.h"
#include "text_settings.h"

// Refuses an input code the filter cannot read before anything is written;
// otherwise writes the set-up, the text and the end of job. Failures and the
// count of geta marks go to `report`, and so does every page ended by a form
// feed (the last one by the end of job). Returns the exit status: 0 when the
// whole job went out.
int print_text(TextSettings* settings, const job_report& report);
