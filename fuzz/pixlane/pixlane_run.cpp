#include "pixlane_run.h"

#include <cstring>

#include "job.h"
#include "resample.h"
#include "tevrak.h"
#include "xsimage.h"

namespace {

// Bounds of the harness, not of pixlane: larger jobs are correct but would
// only slow the search down.
constexpr long most_pixels = 1L << 20;
constexpr double most_dots_sent = 1 << 23;

}  // namespace

void settings_from_input(FuzzBytes& in, size_t most_words, Settings* settings)
{
    set_default(settings);
    FuzzArgs args("pixlane", in, most_words + 1);
    args.disarm({"-in", "-input", "-out", "-output", "-help"});
    option_scan("pixlane", args.argc(), args.argv.data(), settings);
    // Words the settings point into (a paper name) must outlive the job.
    static std::vector<std::string> kept;
    kept = std::move(args.words);
}

void run_picture_job(Settings* settings, FILE* picture_stream)
{
    FILE* out = fuzz_null_stream();
    if (out == nullptr)
        return;
    settings->input = picture_stream;
    settings->output = out;
    XSImage* picture = read_data(settings);
    PageLayout layout;
    if (picture != nullptr && long(picture->width) * picture->height <= most_pixels &&
        page_problem(settings, picture) == nullptr && initialize(settings, picture, &layout)) {
        const double dots = double(resample_count(picture->width, layout.x_scale)) *
                            resample_count(picture->height, layout.y_scale);
        const double transmissions = settings->copies / 99 + 1.0;
        RasterJobPtr job(make_raster_job());
        if (job && dots * transmissions <= most_dots_sent)
            send_data(job.get(), settings, &layout, picture);
    }
    terminate(settings);
    if (picture != nullptr)
        XSLFree(picture);
    std::fclose(out);
}
