#include "failure.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "xsimage.h"
#include "xsio.h"
#include "xsnativenames.h"

const char* xsl_reason(int code)
{
    return XSLErrorText(code);
}

namespace {

// Format names of the format table as people know them.
const struct {
    const char* name;
    const char* known_as;
} format_names[] = {
    {"JFIF", "JPEG"},          {"SUN", "Sun raster"}, {"IRIS", "SGI image"},
    {"XWD", "X window dump"},  {"WEBP", "WebP"},
};

}  // namespace

std::string unread_picture_reason()
{
    const char* name = XSLLastReaderName();
    // The native family's members go by their own names; the loose last
    // resort only says the file is nothing known.
    if (name != nullptr && std::strcmp(name, "IMG") == 0) {
        bool last_resort = false;
        name = XSNativeMemberName(imagefunc, &last_resort);
        if (last_resort)
            name = nullptr;
    }
    if (name == nullptr)
        return "not a picture file this printer knows";
    for (const auto& f : format_names)
        if (std::strcmp(f.name, name) == 0)
            name = f.known_as;
    const int code = XSLLastReaderCode();
    std::string why;
    if (code == 0)
        why = "damaged or unsupported picture";  // a reader that leaves no code
    else if (code == XSE_NO_MEMORY)
        why = "picture too large (limit " + std::to_string(XS_MAX_PIXELS) + " pixels) or out of memory";
    else
        why = xsl_reason(code);
    return std::string(name) + ": " + why;
}

void begin_stage()
{
    errno = 0;
    xslerrno = 0;
}

int report_stage_failure(const job_report& report, const char* fallback)
{
    const int err = errno;
    if (err != 0) {
        report_failure(report, err, fallback);
        return err;
    }
    const char* reason = xsl_reason(xslerrno);
    report_failure(report, 0, reason != nullptr ? reason : fallback);
    return 1;
}

void fail_job(const char* program_name, const char* fallback)
{
    std::exit(report_stage_failure(program_report(program_name), fallback));
}
