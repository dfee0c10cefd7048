// The command-line program's one job: kept apart from the option code so
// that a program running jobs of both filters in one process links.
#include "text_settings.h"

TextSettings option;
const char* program = "textlane";
