// The command-line program's name: kept apart from the settings' code so
// that a program running jobs of both filters in one process links.
// Process-wide: set once by main before any job runs, read by messages.
#include "settings.h"

const char* program = "pixlane";
