// The libtiff side the TIFF reader and writer share: a client handle over the
// caller's stdio stream (closing it never closes the caller's descriptor, so
// the stream stays usable after a failed read), the warning and error
// handlers, the compression names, and the settings of both directions.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <cstdio>
#include <memory>

namespace xstiff {

struct CompressSetting {
    uint16_t scheme;
    uint16_t option;
};

// The settings are per thread: a job sets what its own reads and writes use.
extern thread_local CompressSetting Compress;  // what the writer compresses with
extern thread_local int WriteCMYK;             // cleared by every read, set by a read of CMYK; the writer's ink choice
extern thread_local int bLittleEndian;         // byte order of written files
extern thread_local int iRequestPage;          // page the reader reads, from 1

// Set by the error handler on the thread whose call failed; any library error
// ends the read or write.
extern thread_local bool library_failed;

struct comp_entry {
    const char* name;
    uint16_t code;
};
// The row of a compression name, or null.
const comp_entry* find_compression(const char* name);
bool known_compression(uint16_t code);

// Offsets seen by libtiff count from where the image starts in the stream.
struct StreamClient {
    FILE* stream;
    off_t base;
};
TIFF* open_client(StreamClient* client, FILE* stream, const char* name, const char* mode);

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Installs the program's warning and error handlers and clears library_failed.
void install_handlers();

}  // namespace xstiff
