// The libtiff client over a stdio stream, the message handlers and the
// settings both TIFF directions share.
#include "xsiotiff_stream.h"

#include <cstdarg>
#include <cstring>

namespace xstiff {

thread_local CompressSetting Compress = {COMPRESSION_LZW, 0};
thread_local int WriteCMYK = 0;
thread_local int bLittleEndian = 0;
thread_local int iRequestPage = 1;
thread_local bool library_failed = false;

namespace {

const comp_entry comp_tbl[] = {
    {"NONE", 1},        {"LZW", 5},           {"PACKBITS", 32773}, {"THUNDER", 32809},
    {"NEXT", 32766},    {"JPEG", 7},          {"RLE", 2},          {"RLEW", 32771},
    {"FAX3", 3},        {"FAX4", 4},          {"JBIG", 34661},     {"ZIP", 32946},
    {"ADOBE", 8},       {"PIXARFILM", 32908}, {"PIXARLOG", 32909}, {"SGI", 34676},
    {"SGI24", 34677},
};


tmsize_t client_read(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* client = static_cast<StreamClient*>(handle);
    if (size <= 0)
        return 0;
    return static_cast<tmsize_t>(std::fread(buffer, 1, static_cast<size_t>(size), client->stream));
}

tmsize_t client_write(thandle_t handle, void* buffer, tmsize_t size)
{
    auto* client = static_cast<StreamClient*>(handle);
    if (size <= 0)
        return 0;
    return static_cast<tmsize_t>(std::fwrite(buffer, 1, static_cast<size_t>(size), client->stream));
}

toff_t client_seek(thandle_t handle, toff_t offset, int whence)
{
    auto* client = static_cast<StreamClient*>(handle);
    const toff_t failed = static_cast<toff_t>(-1);
    int rc;
    if (whence == SEEK_SET) {
        if (offset > static_cast<toff_t>(INT64_MAX - client->base))
            return failed;
        rc = fseeko(client->stream, client->base + static_cast<off_t>(offset), SEEK_SET);
    } else {
        rc = fseeko(client->stream, static_cast<off_t>(offset), whence);
    }
    if (rc != 0)
        return failed;
    off_t pos = ftello(client->stream);
    if (pos < client->base)
        return failed;
    return static_cast<toff_t>(pos - client->base);
}

int client_close(thandle_t)
{
    return 0;  // the stream belongs to the caller
}

toff_t client_size(thandle_t handle)
{
    auto* client = static_cast<StreamClient*>(handle);
    off_t here = ftello(client->stream);
    if (here < 0 || fseeko(client->stream, 0, SEEK_END) != 0)
        return 0;
    off_t end = ftello(client->stream);
    fseeko(client->stream, here, SEEK_SET);
    return end > client->base ? static_cast<toff_t>(end - client->base) : 0;
}

int client_map(thandle_t, void**, toff_t*)
{
    return 0;
}

void client_unmap(thandle_t, void*, toff_t) {}

void unixWarningHandler(const char* module, const char* format, va_list arguments)
{
    (void)module;
    std::fputs("TIFF Warning: ", stderr);
    std::vfprintf(stderr, format, arguments);
    std::fputs(".\n", stderr);
}

void unixErrorHandler(const char* module, const char* format, va_list arguments)
{
    (void)module;
    std::fputs("TIFF Error: ", stderr);
    std::vfprintf(stderr, format, arguments);
    std::fputs(".\n", stderr);
    library_failed = true;
}


}  // namespace

const comp_entry* find_compression(const char* name)
{
    if (name == nullptr)
        return nullptr;
    for (const comp_entry& row : comp_tbl) {
        if (std::strcmp(row.name, name) == 0)
            return &row;
    }
    return nullptr;
}

bool known_compression(uint16_t code)
{
    for (const comp_entry& row : comp_tbl) {
        if (row.code == code)
            return true;
    }
    return false;
}

TIFF* open_client(StreamClient* client, FILE* stream, const char* name, const char* mode)
{
    off_t here = ftello(stream);
    if (here < 0)
        return nullptr;
    client->stream = stream;
    client->base = here;
    return TIFFClientOpen(name != nullptr ? name : "None", mode, client, client_read, client_write,
                          client_seek, client_close, client_size, client_map, client_unmap);
}

void install_handlers()
{
    // The handlers are libtiff's process-wide state: set once, never while
    // another thread may be reading them.
    static const bool installed = [] {
        TIFFSetErrorHandler(unixErrorHandler);
        TIFFSetWarningHandler(unixWarningHandler);
        return true;
    }();
    (void)installed;
    library_failed = false;
}
}  // namespace xstiff
