// PAPPL 1.3's way of starting jobs, mended where many clients at once make it
// race: linked into the program itself, so that the library's own calls (and
// the thread it starts for a job) reach these instead.
//
// PAPPL starts the first pending job of an idle printer on a new thread, which
// marks the job processing only once it runs; two submissions (or one and a
// job's end) in between start the same job twice, or a second job beside it,
// and the first to end closes the device the other still writes to. So one job
// at a time prints on a printer, and a job no longer pending is left alone.
#include <dlfcn.h>

#include <cstring>
#include <map>
#include <mutex>

#include <pappl/pappl.h>

extern "C" void _papplClientFlushDocumentData(pappl_client_t* client);

namespace {

bool streamed(pappl_job_t* job)
{
    const char* format = papplJobGetFormat(job);
    return format != nullptr && (!std::strcmp(format, "image/pwg-raster") || !std::strcmp(format, "image/urf"));
}

// The lock a printer holds while it prints a job; printers live as long as
// the server, and so do their locks.
std::mutex& printing_lock(pappl_printer_t* printer)
{
    static auto* locks = new std::map<pappl_printer_t*, std::mutex>;
    static std::mutex guard;
    std::lock_guard<std::mutex> hold(guard);
    return (*locks)[printer];
}

}  // namespace

// The thread PAPPL starts for a spooled job.
extern "C" void* _papplJobProcess(pappl_job_t* job)
{
    using process_fn = void* (*)(pappl_job_t*);
    static const auto process = reinterpret_cast<process_fn>(dlsym(RTLD_NEXT, "_papplJobProcess"));
    // A streamed document is printed by its client's thread, never here.
    if (streamed(job) && papplJobGetFilename(job) == nullptr)
        return nullptr;
    std::lock_guard<std::mutex> alone(printing_lock(papplJobGetPrinter(job)));
    if (papplJobGetState(job) != IPP_JSTATE_PENDING) {
        papplLogJob(job, PAPPL_LOGLEVEL_DEBUG, "Started twice: printed by the other start.");
        return nullptr;
    }
    return process(job);
}

// PAPPL refuses a streamed document while the printer prints another job (or
// holds new jobs), and ends the refused job holding the printer's lock while
// it waits for the system's; a state save or Get-Printer-Attributes holds the
// system's and waits for the printer's: the server hung for good under load.
// The refusal is made here first, ending the job without the system's lock;
// a document not refused holds the printer until it is printed, so that its
// client waits for no other job's pages.
extern "C" void _papplJobCopyDocumentData(pappl_client_t* client, pappl_job_t* job)
{
    using copy_fn = void (*)(pappl_client_t*, pappl_job_t*);
    static const auto copy = reinterpret_cast<copy_fn>(dlsym(RTLD_NEXT, "_papplJobCopyDocumentData"));
    if (!streamed(job)) {
        copy(client, job);
        return;
    }
    pappl_printer_t* printer = papplJobGetPrinter(job);
    std::unique_lock<std::mutex> alone(printing_lock(printer), std::try_to_lock);
    const bool holding = papplPrinterIsHoldingNewJobs(printer);
    if (holding || !alone.owns_lock()) {
        if (holding)
            papplClientRespondIPP(client, IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS, "Currently holding new jobs.");
        else
            papplClientRespondIPP(client, IPP_STATUS_ERROR_BUSY, "Currently printing another job.");
        _papplClientFlushDocumentData(client);
        papplJobCancel(job);
        return;
    }
    copy(client, job);
}
