#include "device_stream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "device_schemes.h"
#include "page_thumbnails.h"

namespace {

size_t device_bytes(pappl_device_t* device)
{
    pappl_devmetrics_t metrics;
    std::memset(&metrics, 0, sizeof metrics);
    papplDeviceGetMetrics(device, &metrics);
    return metrics.write_bytes;
}

// Writes and flushes; PAPPL keeps short writes in its own buffer and reports
// a failed flush only in its counters, so the count of bytes the device
// really took is what tells.
bool send(DeviceStream* s, const char* data, size_t size)
{
    if (size != 0 && papplDeviceWrite(s->device, data, size) < 0)
        return false;
    papplDeviceFlush(s->device);
    return device_bytes(s->device) - s->device_base == s->written + size;
}

bool stop_waiting(DeviceStream* s)
{
    pappl_printer_t* printer = papplJobGetPrinter(s->job);
    return papplJobIsCanceled(s->job) || papplPrinterIsDeleted(printer) ||
           !papplSystemIsRunning(papplPrinterGetSystem(printer));
}

// The whole job so far, from its first byte, on a fresh connection.
bool resend(DeviceStream* s)
{
    const size_t total = s->written;
    s->written = 0;
    if (std::fseek(s->replay, 0, SEEK_SET) != 0)
        return false;
    char buffer[65536];
    while (s->written < total) {
        const size_t n = std::fread(buffer, 1, std::min(sizeof buffer, total - s->written), s->replay);
        if (n == 0 || !send(s, buffer, n))
            return false;
        s->written += n;
    }
    return std::fseek(s->replay, 0, SEEK_END) == 0;
}

// The printer went away mid-job: say so, then keep trying to reach it again;
// false when the job was cancelled or the server stops meanwhile.
bool reconnect(DeviceStream* s)
{
    pappl_printer_t* printer = papplJobGetPrinter(s->job);
    const char* uri = papplPrinterGetDeviceURI(printer);
    papplLogJob(s->job, PAPPL_LOGLEVEL_ERROR, "Lost the connection to '%s'; the job is sent again when the printer answers.", uri);
    papplJobSetMessage(s->job, "The printer does not answer: the job is sent again from its start when it does.");
    papplJobSetReasons(s->job, PAPPL_JREASON_PRINTER_STOPPED, PAPPL_JREASON_NONE);
    papplPrinterSetReasons(printer, PAPPL_PREASON_OFFLINE, PAPPL_PREASON_NONE);
    bool back = false;
    while (!back && !stop_waiting(s)) {
        sleep(reconnect_seconds);
        if (s->reopened != nullptr)
            papplDeviceClose(s->reopened);
        s->reopened = papplDeviceOpen(uri, papplJobGetName(s->job), papplLogDevice, papplPrinterGetSystem(printer));
        if (s->reopened == nullptr)
            continue;
        s->device = s->reopened;
        name_device_file(s->job, s->device);
        s->device_base = device_bytes(s->device);
        back = resend(s);
    }
    if (back) {
        papplLogJob(s->job, PAPPL_LOGLEVEL_INFO, "The printer answers again; the job was sent again from its start.");
        papplJobSetMessage(s->job, "Printing.");
        papplJobSetReasons(s->job, PAPPL_JREASON_NONE, PAPPL_JREASON_PRINTER_STOPPED);
        papplPrinterSetReasons(printer, PAPPL_PREASON_NONE, PAPPL_PREASON_OFFLINE);
    } else {
        s->gave_up = true;
    }
    return back;
}

ssize_t stream_write(void* cookie, const char* data, size_t size)
{
    auto* s = static_cast<DeviceStream*>(cookie);
    if (s->gave_up) {
        errno = ECANCELED;
        return -1;
    }
    if (std::fwrite(data, 1, size, s->replay) != size) {
        papplLogJob(s->job, PAPPL_LOGLEVEL_ERROR, "Cannot keep the job's bytes: %s", std::strerror(errno));
        return -1;
    }
    // A chunk that fails goes again after the job so far has been resent.
    while (!send(s, data, size)) {
        if (!reconnect(s)) {
            errno = ECANCELED;
            return -1;
        }
    }
    s->written += size;
    return static_cast<ssize_t>(size);
}

int stream_close(void* cookie)
{
    auto* s = static_cast<DeviceStream*>(cookie);
    if (s->reopened != nullptr)
        papplDeviceClose(s->reopened);
    s->reopened = nullptr;
    if (s->replay != nullptr) {
        if (!s->gave_up && !papplJobIsCanceled(s->job))
            keep_first_page(s->job, s->replay);
        std::fclose(s->replay);
    }
    s->replay = nullptr;
    return s->gave_up ? -1 : 0;
}

}  // namespace

FILE* open_device_stream(DeviceStream* stream, pappl_job_t* job, pappl_device_t* device)
{
    stream->job = job;
    stream->device = device;
    stream->device_base = device_bytes(device);
    name_device_file(job, device);
    stream->replay = std::tmpfile();
    if (stream->replay == nullptr)
        return nullptr;
    cookie_io_functions_t functions{};
    functions.write = stream_write;
    functions.close = stream_close;
    FILE* out = fopencookie(stream, "w", functions);
    if (out == nullptr) {
        std::fclose(stream->replay);
        stream->replay = nullptr;
        return nullptr;
    }
    setvbuf(out, nullptr, _IOFBF, 65536);
    return out;
}
