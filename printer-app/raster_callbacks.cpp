#include "raster_callbacks.h"

#include <cstring>
#include <string>
#include <vector>

#include "device_stream.h"
#include "filter_lock.h"
#include "filter_words.h"
#include "job_options.h"
#include "lane_driver.h"
#include "raster_page_out.h"
#include "settings.h"
#include "spooler_filter.h"
#include "tevrak.h"
#include "xsown.h"

struct LaneRasterJob {
    pappl_job_t* job = nullptr;
    DeviceStream stream;
    FILE* out = nullptr;
    Settings settings{};
    PageWriter* writer = nullptr;
    XslImagePtr page;
    unsigned bits = 8;
    long margin_x = 0, margin_y = 0;  // dots of the sheet outside the frame
    long sheet_width = 0, sheet_height = 0;
    bool failed = false;
};

namespace {

// Dots in a length given in hundredths of millimetres.
long dots(long hundredths, unsigned dpi)
{
    return static_cast<long>(static_cast<double>(hundredths) * dpi / 2540.0 + 0.5);
}

// The image filter's settings for the job's options: its halftoning method,
// corrections and paper; the page itself comes at the printer's resolution.
bool read_raster_settings(LaneRasterJob* lane, pappl_pr_options_t* options)
{
    const job_request request = read_pappl_request(lane->job, filter_kind::picture, options);
    if (!request.error.empty())
        return false;
    std::lock_guard<std::mutex> hold(filter_lock());
    const std::vector<std::string> words = picture_words(request);
    command_line line("rastertolane", words);
    getoption_restart();
    set_default(&lane->settings);
    option_scan("rastertolane", line.argc(), line.argv.data(), &lane->settings);
    lane->settings.output = lane->out;
    lane->settings.output_name = "printer";
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
    auto* lane = static_cast<LaneRasterJob*>(papplJobGetData(job));
    const auto& h = options->header;
    return lane_raster_start_page(lane, h.cupsWidth, h.cupsHeight, h.cupsBitsPerPixel, h.HWResolution[0]);
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
    if (lane->out == nullptr || !read_raster_settings(lane, options) ||
        (lane->writer = start_page_writer(&lane->settings, lane->out)) == nullptr) {
        close_lane_raster(lane);
        return nullptr;
    }
    return lane;
}

bool lane_raster_start_page(LaneRasterJob* lane, unsigned width, unsigned height, unsigned bits, unsigned dpi)
{
    if (lane == nullptr || (bits != 1 && bits != 8 && bits != 24) || dpi == 0)
        return false;
    // Only the frame inside the printer's margins is kept: the rest of the
    // sheet is never printed.
    lane->bits = bits;
    lane->sheet_width = width;
    lane->sheet_height = height;
    lane->margin_x = dots(lane_margin, dpi);
    lane->margin_y = dots(lane_margin, dpi);
    const long frame_width = static_cast<long>(width) - 2 * lane->margin_x;
    const long frame_height = static_cast<long>(height) - 2 * lane->margin_y;
    if (frame_width <= 0 || frame_height <= 0) {
        papplLogJob(lane->job, PAPPL_LOGLEVEL_ERROR, "The page is smaller than the printer's margins.");
        return false;
    }
    XSImage* page = bits == 1 ? XSLCrNewBit(static_cast<int>(frame_width), static_cast<int>(frame_height))
                              : XSLCrNewZmap2(static_cast<int>(frame_width), static_cast<int>(frame_height), 8);
    if (page == nullptr) {
        papplLogJob(lane->job, PAPPL_LOGLEVEL_ERROR, "No memory for a page of %ld x %ld dots.", frame_width, frame_height);
        return false;
    }
    if (bits == 8)
        std::memset(page->data, 255, static_cast<size_t>(XSLDataSize(page)));
    page->resolution = static_cast<uint16_t>(dpi);
    lane->page.reset(page);
    return true;
}

void lane_raster_line(LaneRasterJob* lane, unsigned y, const unsigned char* line)
{
    XSImage* page = lane->page.get();
    if (page == nullptr || y < static_cast<unsigned long>(lane->margin_y))
        return;
    const long row = static_cast<long>(y) - lane->margin_y;
    if (row >= page->height)
        return;
    const long stride = XSLBytesPerLine(page);
    unsigned char* target = page->data + row * stride;
    if (lane->bits == 8) {
        std::memcpy(target, line + lane->margin_x, static_cast<size_t>(page->width));
        return;
    }
    if (lane->bits == 24) {
        const unsigned char* rgb = line + 3 * lane->margin_x;
        for (long x = 0; x < page->width; ++x, rgb += 3)
            target[x] = static_cast<unsigned char>(XslFastGray(rgb[0], rgb[1], rgb[2]));
        return;
    }
    // Bits shifted left by the margin.
    for (long x = 0; x < page->width; ++x) {
        const long from = x + lane->margin_x;
        if (line[from >> 3] & (0x80 >> (from & 7)))
            target[x >> 3] |= static_cast<unsigned char>(0x80 >> (x & 7));
    }
}

bool lane_raster_end_page(LaneRasterJob* lane)
{
    if (lane == nullptr || !lane->page)
        return false;
    const bool ok = write_page(lane->writer, lane->page.get(), lane->sheet_width, lane->sheet_height,
                               lane->margin_x, lane->margin_y, papplJobIsCanceled(lane->job));
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
