#include "picture_scaling.h"

#include <algorithm>
#include <cstdlib>

#include "filter_words.h"
#include "job.h"

namespace {

// What one scaling choice does to the settings, and the words that ask pixlane
// for the same (for the log line).
struct scaling_choice {
    Settings* settings;
    std::vector<std::string> words;

    // -fi rule
    void fit(int rule)
    {
        words.insert(words.end(), {"-fi", std::to_string(rule)});
        settings->fit = rule + 1;
    }
    // -xs and -ys percent: the ratio as the word says it, so that the job
    // prints as the logged command line would.
    void ratio(double percent)
    {
        const std::string word = number_word(percent);
        words.insert(words.end(), {"-xs", word, "-ys", word});
        settings->fit = 0;
        settings->x_scale = settings->y_scale = std::atof(word.c_str()) / 100.0;
    }
    // -la placement
    void place(int placement)
    {
        words.insert(words.end(), {"-la", std::to_string(placement)});
        settings->layout = placement + 1;
    }
};

}  // namespace

std::vector<std::string> scale_picture(const job_request& request, Settings* settings,
                                       const XSImage* picture)
{
    const PageLayout plan = page_layout(settings, picture);
    const float frame_width = static_cast<float>(plan.frame_inches.right - plan.frame_inches.left);
    const float frame_height = static_cast<float>(plan.frame_inches.bottom - plan.frame_inches.top);
    // Inches per pixel that fill the frame across and down.
    const double across = double(frame_width) / plan.width;
    const double down = double(frame_height) / plan.height;
    const double dpi = settings->resolution_x;
    scaling_choice choice{settings, {}};
    switch (request.scaling) {
    case scaling_mode::automatic: {
        const bool fits = plan.width * plan.x_scale / dpi <= frame_width &&
                          plan.height * plan.y_scale / dpi <= frame_height;
        if (!fits)
            choice.fit(0);
        break;
    }
    case scaling_mode::fit:
        choice.fit(0);
        break;
    case scaling_mode::fill:
        // The larger ratio fills the frame; pixlane's -fi 2 takes the ratio across, -fi 1 the one down.
        choice.fit(across > down ? 2 : 1);
        break;
    case scaling_mode::none:
        break;
    case scaling_mode::page_percent: {
        const int resolution = picture->resolution != 0 ? picture->resolution : 100;
        choice.ratio(request.scaling_percent * std::min(across, down) * resolution);
        break;
    }
    case scaling_mode::natural_percent:
        choice.ratio(request.scaling_percent);
        break;
    }
    choice.place(2);  // centred
    // A picture larger than the page (filled, or at its own size) prints
    // what lands on the sheet; nothing beyond it is sent.
    settings->clip_to_sheet = 1;
    return choice.words;
}
