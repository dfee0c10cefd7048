#include "document_jobs.h"

#include <cstring>
#include <string>

#include "document_job.h"
#include "job_options.h"
#include "lane_driver.h"
#include "pdf_pages.h"
#include "picture_document.h"
#include "spooler_filter.h"
#include "raster_callbacks.h"
#include "plain_text_job.h"
#include "text_encoding.h"
#include "xsregistry.h"

// JPEG and PNG too: PAPPL's own filters would give them another landscape
// rule and page count than every other picture.
const char* const picture_types[] = {
    "image/jpeg", "image/png", "image/tiff", "image/gif", "image/bmp", "image/x-portable-anymap", "image/x-sun-raster",
    "image/x-sgi-rgb", "image/x-pcx", "image/x-xwindowdump", "image/webp", "image/x-lane-image", nullptr};

namespace {

// What imagetolane does for the same options, in this process.
bool print_picture(pappl_job_t* job, pappl_device_t* device)
{
    DocumentJob d;
    if (!d.open(job, filter_kind::picture) || !d.connect(device))
        return false;
    picture_document document = d.document<picture_document>("pixlane");
    document.title = papplJobGetName(job);
    document.warn = [job](const char* text) { papplLogJob(job, PAPPL_LOGLEVEL_WARN, "%s", text); };
    return d.finish(print_picture_document(document));
}

bool picture_filter(pappl_job_t* job, pappl_device_t* device, void*)
{
    return print_picture(job, device);
}

bool pdf_filter(pappl_job_t* job, pappl_device_t* device, void*)
{
    return print_pdf_pages(job, device);
}

// The picture type of a row of the library's magic table.
const char* type_of_reader(const char* name)
{
    static const struct {
        const char* reader;
        const char* type;
    } types[] = {{"JPEG", "image/jpeg"}, {"PNG", "image/png"}, {"TIFF", "image/tiff"}, {"SUN", "image/x-sun-raster"}, {"GIF", "image/gif"},
                 {"IRIS", "image/x-sgi-rgb"}, {"PBM", "image/x-portable-anymap"}, {"PGM", "image/x-portable-anymap"},
                 {"PPM", "image/x-portable-anymap"}, {"BMP", "image/bmp"}, {"PCX", "image/x-pcx"},
                 {"XWD", "image/x-xwindowdump"}, {"IMG", "image/x-lane-image"}, {"WEBP", "image/webp"}};
    for (const auto& t : types)
        if (!std::strcmp(t.reader, name))
            return t.type;
    return nullptr;
}

}  // namespace

const char* recognise_document(const unsigned char* header, size_t size, void*)
{
    for (const XSMagicRow* row = magic_table; row->magic != nullptr; ++row) {
        const size_t end = static_cast<size_t>(row->offset) + static_cast<size_t>(row->length);
        if (end <= size && std::memcmp(header + row->offset, row->magic, static_cast<size_t>(row->length)) == 0)
            return type_of_reader(row->name);
    }
    encoding_scan scan;
    scan.feed(header, size);
    if (!scan.nul && scan.input_code() >= 0)
        return "text/plain";
    if (size >= 8) {
        const auto word = [&](size_t at) {
            return static_cast<uint32_t>(header[at]) << 24 | static_cast<uint32_t>(header[at + 1]) << 16 |
                   static_cast<uint32_t>(header[at + 2]) << 8 | header[at + 3];
        };
        for (const XSImageType* type = XSImageTypes; type->recognise != nullptr; ++type)
            if (type->recognise(word(0), word(4)))
                return "image/x-lane-image";
    }
    return nullptr;
}

void add_document_filters(pappl_system_t* system)
{
    const char* format = lane_printer_format;
    for (const char* const* type = picture_types; *type != nullptr; ++type)
        papplSystemAddMIMEFilter(system, *type, format, picture_filter, nullptr);
    papplSystemAddMIMEFilter(system, "text/plain", format, print_plain_text, nullptr);
    if (pdf_renderer_installed())
        papplSystemAddMIMEFilter(system, "application/pdf", format, pdf_filter, nullptr);
    papplSystemSetMIMECallback(system, recognise_document, nullptr);
}
