#include "picture_document.h"

#include <cstdlib>

#include "filter_words.h"
#include "page_settings.h"
#include "picture_runner.h"
#include "picture_scaling.h"

void picture_settings(const job_request& r, Settings* s)
{
    set_default(s);
    request_page_settings(r, s);
    if (r.resolution != 0)
        s->resolution_x = s->resolution_y = r.resolution;
    // The gamma factor multiplies the printer's own.
    if (const double gamma = word_value(r.gamma); gamma != 0) {
        s->gamma_red *= gamma;
        s->gamma_green *= gamma;
        s->gamma_blue *= gamma;
    }
    s->bright = r.brightness;
    s->saturation = r.saturation;
    if (r.halftone >= 0)
        s->dither = r.halftone;
    complete_origin(s);
}

int print_picture_document(const picture_document& d)
{
    picture_run run;
    picture_settings(*d.request, &run.settings);
    run.settings.input = d.in;
    run.settings.input_name = d.title;
    run.settings.output = d.out;
    run.settings.output_name = d.out == stdout ? "STDOUT" : "printer";
    run.every_page = true;
    run.collate = d.request->collate;
    run.warn = d.warn;
    run.size_picture = [&d](Settings* settings, const XSImage* picture) {
        std::vector<std::string> words = picture_words(*d.request);
        // One transmission may stand for fewer copies than the job's (collated pages).
        if (settings->copies != d.request->copies)
            words[1] = std::to_string(settings->copies);
        const std::vector<std::string> scaling = scale_picture(*d.request, settings, picture);
        words.insert(words.end(), scaling.begin(), scaling.end());
        if (d.show_words)
            d.show_words(words);
    };
    return run_picture_job(run, d.context);
}
