#include "picture_scaling.h"

#include <algorithm>

#include "job.h"

std::vector<std::string> scaling_words(const job_request& request, const Settings& settings,
                                       const XSImage* picture)
{
    const picture_plan plan = plan_picture(&settings, picture);
    // Inches per pixel that fill the frame across and down.
    const double across = double(plan.frame_width) / plan.width;
    const double down = double(plan.frame_height) / plan.height;
    const double dpi = settings.resolution_x;
    std::vector<std::string> words;
    switch (request.scaling) {
    case scaling_mode::automatic: {
        const bool fits = plan.width * double(plan.x_scale) / dpi <= plan.frame_width &&
                          plan.height * double(plan.y_scale) / dpi <= plan.frame_height;
        if (!fits)
            words = {"-fi", "0"};
        break;
    }
    case scaling_mode::fit:
        words = {"-fi", "0"};
        break;
    case scaling_mode::fill:
        // The larger ratio fills the frame; pixlane's -fi 2 takes the ratio across, -fi 1 the one down.
        words = {"-fi", across > down ? "2" : "1"};
        break;
    case scaling_mode::none:
        break;
    case scaling_mode::page_percent: {
        const int resolution = picture->resolution != 0 ? picture->resolution : 100;
        const std::string ratio = number_word(request.scaling_percent * std::min(across, down) * resolution);
        words = {"-xs", ratio, "-ys", ratio};
        break;
    }
    case scaling_mode::natural_percent: {
        const std::string ratio = number_word(request.scaling_percent);
        words = {"-xs", ratio, "-ys", ratio};
        break;
    }
    }
    words.insert(words.end(), {"-la", "2"});
    return words;
}
