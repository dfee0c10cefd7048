#include "raster_callbacks.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "device_stream.h"
#include "job_options.h"
#include "lane_driver.h"
#include "raster_input.h"
#include "raster_page_out.h"
#include "xsown.h"

struct LaneRasterJob {
    pappl_job_t* job = nullptr;
    DeviceStream stream;
    FILE* out = nullptr;
    raster_page_setup tone;
    PageWriter* writer = nullptr;
    XslImagePtr page;
    unsigned bits = 8;
    raster_page_setup sheet;  // the page's
    bool failed = false;
};

namespace {

// The job's halftoning and corrections, as the spooler's raster filter reads
// them; the page itself comes at the printer's resolution.
bool read_raster_tone(LaneRasterJob* lane, pappl_pr_options_t* options)
{
    const job_request request = read_pappl_request(lane->job, filter_kind::picture, options);
    if (!request.error.empty())
        return false;
    set_job_tone(request, &lane->tone);
    return true;
}

bool rstartjob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device)
{
    LaneRasterJob* lane = open_lane_raster(job, options, device);
    papplJobSetData(job, lane);
    return lane != nullptr;
}

bool rstartpage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned)
{
    // The sheet as the spooler's raster filter reads it from the same header.
    const auto& h = options->header;
    if (h.HWResolution[0] == 0 || h.HWResolution[1] == 0)
        return false;
    raster_page_setup sheet;
    sheet.x_resolution = static_cast<int>(std::min(h.HWResolution[0], 100000u));
    sheet.y_resolution = static_cast<int>(std::min(h.HWResolution[1], 100000u));
    sheet_points(h, &sheet);
    return lane_raster_start_page(static_cast<LaneRasterJob*>(papplJobGetData(job)), h.cupsWidth, h.cupsHeight,
                                  h.cupsBitsPerPixel, sheet);
}

bool rwriteline(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned y, const unsigned char* line)
{
    lane_raster_line(static_cast<LaneRasterJob*>(papplJobGetData(job)), y, line);
    return !papplJobIsCanceled(job);
}

bool rendpage(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned)
{
    return lane_raster_end_page(static_cast<LaneRasterJob*>(papplJobGetData(job)));
}

bool rendjob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*)
{
    auto* lane = static_cast<LaneRasterJob*>(papplJobGetData(job));
    papplJobSetData(job, nullptr);
    return close_lane_raster(lane);
}

// A document in the printer's own language goes out as it is.
bool print_raw(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t* device)
{
    FILE* in = std::fopen(papplJobGetFilename(job), "rb");
    if (in == nullptr)
        return false;
    DeviceStream stream;
    FILE* out = open_device_stream(&stream, job, device);
    bool ok = out != nullptr;
    char buffer[65536];
    size_t n;
    while (ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        ok = std::fwrite(buffer, 1, n, out) == n;
    std::fclose(in);
    if (out != nullptr && std::fclose(out) != 0)
        ok = false;
    return ok;
}

}  // namespace

LaneRasterJob* open_lane_raster(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device)
{
    auto* lane = new LaneRasterJob;
    lane->job = job;
    lane->out = open_device_stream(&lane->stream, job, device);
    if (lane->out == nullptr || !read_raster_tone(lane, options) ||
        (lane->writer = start_page_writer(lane->tone, lane->out)) == nullptr) {
        close_lane_raster(lane);
        return nullptr;
    }
    return lane;
}

bool lane_raster_start_page(LaneRasterJob* lane, unsigned width, unsigned height, unsigned bits,
                            const raster_page_setup& sheet)
{
    if (lane == nullptr || (bits != 1 && bits != 8 && bits != 24))
        return false;
    if (const char* problem = raster_page_problem(sheet)) {
        papplLogJob(lane->job, PAPPL_LOGLEVEL_ERROR, "The page cannot be printed: %s.", problem);
        return false;
    }
    // As the spooler's raster filter keeps it: what lies on the sheet, from
    // the page's first pixel.
    long keep_width, keep_height;
    raster_page_limits(sheet, &keep_width, &keep_height);
    keep_width = std::min(keep_width, static_cast<long>(width));
    keep_height = std::min(keep_height, static_cast<long>(height));
    XSImage* page = nullptr;
    if (keep_width > 0 && keep_height > 0 && XSLSizeOK(keep_width, keep_height, 1))
        page = bits == 1 ? XSLCrNewBit(static_cast<int>(keep_width), static_cast<int>(keep_height))
                         : XSLCrNewZmap2(static_cast<int>(keep_width), static_cast<int>(keep_height), 8);
    if (page == nullptr) {
        papplLogJob(lane->job, PAPPL_LOGLEVEL_ERROR, "No memory for a page of %ld x %ld dots.", keep_width,
                    keep_height);
        return false;
    }
    if (bits != 1)
        std::memset(page->data, 255, static_cast<size_t>(XSLDataSize(page)));
    lane->bits = bits;
    lane->sheet = sheet;
    lane->page.reset(page);
    return true;
}

void lane_raster_line(LaneRasterJob* lane, unsigned y, const unsigned char* line)
{
    XSImage* page = lane->page.get();
    if (page == nullptr || y >= static_cast<unsigned>(page->height))
        return;
    unsigned char* target = page->data + static_cast<long>(y) * XSLBytesPerLine(page);
    if (lane->bits == 24) {
        for (long x = 0; x < page->width; ++x, line += 3)
            target[x] = static_cast<unsigned char>(XslFastGray(line[0], line[1], line[2]));
        return;
    }
    std::memcpy(target, line, static_cast<size_t>(XSLBytesPerLine(page)));
}

bool lane_raster_end_page(LaneRasterJob* lane)
{
    if (lane == nullptr || !lane->page)
        return false;
    const bool ok = write_page(lane->writer, lane->page.get(), lane->sheet, papplJobIsCanceled(lane->job));
    lane->page.reset();
    if (ok)
        papplJobSetImpressionsCompleted(lane->job, 1);
    else
        lane->failed = true;
    return ok;
}

bool close_lane_raster(LaneRasterJob* lane)
{
    if (lane == nullptr)
        return false;
    bool ok = !lane->failed;
    if (lane->writer != nullptr)
        ok = end_page_writer(lane->writer) && ok;
    if (lane->out != nullptr && std::fclose(lane->out) != 0)
        ok = false;
    delete lane;
    return ok;
}

void set_raster_callbacks(pappl_pr_driver_data_t* d)
{
    d->rstartjob_cb = rstartjob;
    d->rstartpage_cb = rstartpage;
    d->rwriteline_cb = rwriteline;
    d->rendpage_cb = rendpage;
    d->rendjob_cb = rendjob;
    d->printfile_cb = print_raw;
    d->format = lane_printer_format;
}
