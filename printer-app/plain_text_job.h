// Plain text: the text filter's job in this process, the printer's own fonts.
#pragma once

#include <pappl/pappl.h>

// A PAPPL MIME filter: what texttolane prints for the same options.
bool print_plain_text(pappl_job_t* job, pappl_device_t* device, void* data);
