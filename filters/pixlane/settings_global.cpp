// The command-line program's one job: kept apart from the settings' code so
// that a program running jobs of both filters in one process links.
#include "settings.h"

Settings option;
const char* program = "pixlane";
