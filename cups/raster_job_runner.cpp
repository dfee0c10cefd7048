#include "raster_job_runner.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <vector>

#include "page_stream.h"
#include "raster_input.h"
#include "sent_part.h"

namespace {

// A page kept in the spool file: its set-up bytes, then its transmission
// after the copies command.
struct spooled_page {
    long setup = 0, body = 0, end = 0;
};

}  // namespace

struct raster_job_runner {
    job_request request;
    job_context* context = nullptr;
    bool page_copies = false;  // each page's own copies, not the job's
    FILE* out = nullptr;
    // Pages whose copies the printer cannot make from one transmission, and
    // every page of a collated document, are written here first.
    FILE* spool = nullptr;
    std::vector<spooled_page> pages;  // the collated document's
    PageStream* page = nullptr;
    raster_page_setup setup;
    bool spooled = false;   // the current page goes to the spool
    int sent = 0;           // pages told to the report
    bool started = false;   // bytes went to the printer
    bool failed = false;
};

namespace {

bool collated(const raster_job_runner* r)
{
    return !r->page_copies && r->request.collate && r->request.copies > 1;
}

bool cancelled(const raster_job_runner* r)
{
    return job_is_cancelled(r->context);
}

// Bytes [from, to) of the spool to the printer.
bool copy_spool(raster_job_runner* r, long from, long to)
{
    if (std::fflush(r->spool) != 0 || std::fseek(r->spool, from, SEEK_SET) != 0)
        return false;
    char buffer[65536];
    for (long left = to - from; left > 0;) {
        const size_t n = std::fread(buffer, 1, static_cast<size_t>(std::min<long>(left, sizeof buffer)), r->spool);
        if (n == 0 || std::fwrite(buffer, 1, n, r->out) != n)
            return false;
        left -= static_cast<long>(n);
    }
    return std::fseek(r->spool, 0, SEEK_END) == 0;
}

// A spooled page to the printer: its set-up (unless left out) and as many
// transmissions as its copies need.
bool send_spooled(raster_job_runner* r, const spooled_page& p, int copies, bool with_setup)
{
    r->started = true;
    if (with_setup && !copy_spool(r, p.setup, p.body))
        return false;
    int remaining = copies;
    do {
        const int n = std::min(remaining, max_copies_per_transmission);
        remaining -= n;
        std::fprintf(r->out, "\x1b[%dv", n);
        if (!copy_spool(r, p.body, p.end) || std::ferror(r->out))
            return false;
        report_page(&r->context->report, ++r->sent, n);
        if (remaining > 0 && cancelled(r)) {
            errno = ECANCELED;
            return false;
        }
    } while (remaining > 0);
    return true;
}

int fail(raster_job_runner* r)
{
    r->failed = true;
    return 0;
}

}  // namespace

raster_job_runner* start_raster_job(const job_request& request, FILE* out, job_context* context, bool page_copies)
{
    auto* r = new (std::nothrow) raster_job_runner;
    if (r == nullptr) {
        errno = ENOMEM;
        return nullptr;
    }
    r->request = request;
    r->context = context;
    r->page_copies = page_copies;
    r->out = out;
    return r;
}

int raster_job_page(raster_job_runner* r, const raster_page_setup& sheet, long width, long height, bool bits)
{
    if (r->page != nullptr || r->failed)
        return fail(r);
    r->setup = sheet;
    set_job_tone(r->request, &r->setup);
    if (!r->page_copies)
        r->setup.copies = r->request.copies;
    // The first page of a collated document waits for the second: a document
    // of one page is one transmission with all its copies.
    if (collated(r) && r->pages.size() == 1 && !send_spooled(r, r->pages[0], 1, true))
        return fail(r);
    r->spooled = collated(r) || r->setup.copies > max_copies_per_transmission;
    if (r->spooled && r->spool == nullptr && (r->spool = std::tmpfile()) == nullptr)
        return fail(r);
    FILE* to = r->spooled ? r->spool : r->out;
    r->started = r->started || !r->spooled;
    const long start = r->spooled ? std::ftell(r->spool) : 0;
    r->page = start_page_stream(r->setup, width, height, bits, to, to, r->spooled ? 0 : r->setup.copies, r->context);
    if (r->page == nullptr)
        return fail(r);
    if (r->spooled) {
        r->pages.push_back({start, std::ftell(r->spool), 0});
    }
    return 1;
}

int raster_job_row(raster_job_runner* r, const unsigned char* row)
{
    if (r->page == nullptr)
        return fail(r);
    return page_stream_row(r->page, row) ? 1 : fail(r);
}

int raster_job_end_page(raster_job_runner* r)
{
    if (r->page == nullptr)
        return fail(r);
    const int ok = end_page_stream(r->page);
    free_page_stream(r->page);
    r->page = nullptr;
    if (!ok)
        return fail(r);
    if (!r->spooled) {
        report_page(&r->context->report, ++r->sent, r->setup.copies);
        return 1;
    }
    spooled_page& p = r->pages.back();
    p.end = std::ftell(r->spool);
    if (collated(r)) {
        // Pages after the first go out as soon as they are whole.
        if (r->pages.size() > 1 && !send_spooled(r, p, 1, true))
            return fail(r);
        return 1;
    }
    const bool ok_sent = send_spooled(r, p, r->setup.copies, true);
    r->pages.clear();
    if (std::fflush(r->spool) != 0 || std::fseek(r->spool, 0, SEEK_SET) != 0)
        return fail(r);
    return ok_sent ? 1 : fail(r);
}

int end_raster_job_runner(raster_job_runner* r)
{
    bool ok = !r->failed && r->page == nullptr;
    if (ok && collated(r) && !r->pages.empty()) {
        if (r->pages.size() == 1) {
            ok = send_spooled(r, r->pages[0], r->request.copies, true);
        } else {
            for (int copy = 1; ok && copy < r->request.copies; ++copy)
                for (const spooled_page& p : r->pages) {
                    if (!ok || cancelled(r)) {
                        errno = ECANCELED;
                        ok = false;
                        break;
                    }
                    ok = send_spooled(r, p, 1, true);
                }
        }
    }
    const int err = errno;
    if (r->page != nullptr)
        free_page_stream(r->page);
    // Once anything was sent the printer is reset, whatever happened after.
    if (r->started)
        ok = end_raster_job(r->out) && ok;
    if (r->spool != nullptr)
        std::fclose(r->spool);
    delete r;
    errno = err;
    return ok ? 1 : 0;
}
