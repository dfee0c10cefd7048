// Documents PAPPL does not decode itself, printed in this process by the
// project's own filters: pictures through the image filter's job, texts
// through the text filter's job, PDF rendered to gray pages.
#pragma once

#include <pappl/pappl.h>

// The MIME types of the pictures the image library reads and PAPPL does not.
extern const char* const picture_types[];

// Registers the filters and the content recogniser with the system.
void add_document_filters(pappl_system_t* system);

// The type of a document sent as application/octet-stream, from its first
// bytes: a picture type above, text/plain, or null when it is neither.
const char* recognise_document(const unsigned char* header, size_t size, void* data);
