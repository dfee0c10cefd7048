#include "raster_callbacks.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "device_stream.h"
#include "job_options.h"
#include "lane_driver.h"
#include "raster_input.h"
#include "raster_job_runner.h"
#include "document_job.h"
#include <cerrno>
#include "xsown.h"

struct LaneRasterJob {
    pappl_job_t* job = nullptr;
    DeviceStream stream;
    FILE* out = nullptr;
    job_context context;  // its report counts pages as below
    raster_job_runner* run = nullptr;
    unsigned bits = 8;
    std::vector<unsigned char> gray;  // an RGB line made gray
    // Impressions PAPPL counts itself (one for each page of its own loops),
    // and those the job has counted.
    int counted_by_pappl = 0;
    int counted = 0;
    bool failed = false;
};

namespace {

// PAPPL counts one impression for each page it hands over; the job's copies
// beyond that, and pages the runner sends again for collated copies, are
// counted here.
void count_page(void* context, int, int copies)
{
    auto* lane = static_cast<LaneRasterJob*>(context);
    lane->counted += copies;
    const int own = lane->counted - lane->counted_by_pappl;
    if (own > 0) {
        papplJobSetImpressionsCompleted(lane->job, own);
        lane->counted_by_pappl += own;
    }
}

// PAPPL passes on a client's page header only for pages of 8 bits or more; a
// 1-bit page's lines come with PAPPL's own header for the job's media. Such a
// header is the one PAPPL would make now.
bool pappl_own_header(pappl_job_t* job, const pappl_pr_options_t* options)
{
    pappl_pr_options_t* own = papplJobCreatePrintOptions(job, static_cast<unsigned>(papplJobGetImpressions(job)), false);
    const bool same = own != nullptr && std::memcmp(&own->header, &options->header, sizeof own->header) == 0;
    papplJobDeletePrintOptions(own);
    return same;
}

bool rstartjob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t* device)
{
    LaneRasterJob* lane = open_lane_raster(job, options, device);
    papplJobSetData(job, lane);
    return lane != nullptr;
}

bool rstartpage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned)
{
    auto* lane = static_cast<LaneRasterJob*>(papplJobGetData(job));
    // The sheet as the spooler's raster filter reads it from the same header.
    const auto& h = options->header;
    if (lane == nullptr || h.HWResolution[0] == 0 || h.HWResolution[1] == 0)
        return false;
    ++lane->counted_by_pappl;
    raster_page_setup sheet;
    sheet.x_resolution = static_cast<int>(std::min(h.HWResolution[0], 100000u));
    sheet.y_resolution = static_cast<int>(std::min(h.HWResolution[1], 100000u));
    sheet_points(h, &sheet);
    const char* format = papplJobGetFormat(job);
    const bool pwg = format != nullptr && (!std::strcmp(format, "image/pwg-raster") || !std::strcmp(format, "image/urf"));
    unsigned bits = h.cupsBitsPerPixel;
    if (pwg && bits == 8 && pappl_own_header(job, options)) {
        // The client's 1-bit page covers the sheet from its corner, as PWG
        // pages do; PAPPL's header only says which sheet.
        bits = 1;
        sheet.left_points = sheet.top_points = 0;
    }
    return lane_raster_start_page(lane, h.cupsWidth, h.cupsHeight, bits, sheet);
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
    job_request request = read_pappl_request(job, filter_kind::picture, options);
    lane->context = pappl_context(job);
    lane->context.report.context = lane;
    lane->context.report.page_sent = count_page;
    if (lane->out == nullptr || !request.error.empty() ||
        (lane->run = start_raster_job(request, lane->out, &lane->context, false)) == nullptr) {
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
    lane->bits = bits;
    if (bits == 24)
        lane->gray.resize(width);
    if (!raster_job_page(lane->run, sheet, width, height, bits == 1)) {
        papplLogJob(lane->job, PAPPL_LOGLEVEL_ERROR, "Cannot print a page of %u x %u dots: %s", width, height,
                    std::strerror(errno));
        lane->failed = true;
        return false;
    }
    return true;
}

void lane_raster_line(LaneRasterJob* lane, unsigned, const unsigned char* line)
{
    if (lane == nullptr || lane->failed)
        return;
    if (lane->bits == 24) {
        for (size_t x = 0; x < lane->gray.size(); ++x, line += 3)
            lane->gray[x] = static_cast<unsigned char>(XslFastGray(line[0], line[1], line[2]));
        line = lane->gray.data();
    }
    if (!raster_job_row(lane->run, line))
        lane->failed = true;
}

bool lane_raster_end_page(LaneRasterJob* lane)
{
    if (lane == nullptr || lane->failed)
        return false;
    if (!raster_job_end_page(lane->run)) {
        lane->failed = true;
        return false;
    }
    return true;
}

bool close_lane_raster(LaneRasterJob* lane)
{
    if (lane == nullptr)
        return false;
    bool ok = !lane->failed;
    if (lane->run != nullptr)
        ok = end_raster_job_runner(lane->run) && ok;
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
