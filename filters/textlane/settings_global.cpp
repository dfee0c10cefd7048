// The command-line program's name: kept apart from the option code so that a
// program running jobs of both filters in one process links.
// Process-wide: set once by main before any job runs, read by messages.
#include "text_settings.h"

const char* program = "textlane";
