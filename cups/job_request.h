// What a print job asks for, gathered from the filter's copies argument, the
// PPD's defaults and the job's options, and the command-line words of
// pixlane or textlane that ask the same.
#pragma once

#include <string>
#include <vector>

#include "cups_options.h"
#include "paper_names.h"

enum class filter_kind { picture, text };

constexpr double mm_per_point = 25.4 / 72;
constexpr double default_margin_mm = 5.0;  // both filters' default

// How a picture is sized on the page once it has been read.
enum class scaling_mode {
    automatic,        // its own size, or fitted when that is larger than the frame
    fit,              // as large as the frame takes it whole
    fill,             // filling the frame, the rest cut off
    none,             // its own size
    page_percent,     // this share of the fitted size
    natural_percent,  // this share of its own size
};

struct job_request {
    int copies = 1;
    bool collate = false;                  // copies of a document of several pages in page order (1, 2, 1, 2);
                                           // false: each page repeated (1, 1, 2, 2)
    bool paper_given = false;
    paper_choice paper;                    // when paper_given
    int resolution = 0;                    // dots per inch; 0: the filter's default
    bool landscape = false;
    double margins[4] = {-1, -1, -1, -1};  // top, bottom, left, right in points; -1: default
    scaling_mode scaling = scaling_mode::automatic;
    double scaling_percent = 0;
    double gamma = 0;                      // factor on the printer's gamma; 0: unchanged
    int brightness = 0;                    // steps -100 to 100
    int saturation = 0;
    int halftone = -1;                     // method 0 to 5; -1: default
    double cpi = 0;                        // characters per inch; 0: default
    double lpi = 0;                        // lines per inch; 0: default
    int input_code = -1;                   // textlane's -fc; -1: found from the bytes
    std::string convert_from;              // an encoding textlane reads only once iconv made it UTF-8

    std::vector<std::string> notes;        // "INFO: ..." lines for values set aside
    std::string error;                     // "ERROR: ..." for a value no job may print with
};

// Whether the request names any margin; a margin side (top, bottom, left,
// right) in millimetres, the filters' default where it names none.
bool margins_given(const job_request& request);
double margin_mm(const job_request& request, int side);

// The copies argument, then every option the filter knows, PPD defaults first
// and the job's options after them (the later wins; options that ask the same
// thing in different words are read in a fixed order, the most precise last). A value the filter does
// not know is set aside with a note and its default stays; a number outside
// its bounds, or margins that leave no room on the paper, set the error.
job_request read_job_request(filter_kind kind, const char* copies,
                             const std::vector<cups_option>& ppd_defaults,
                             const std::vector<cups_option>& options);
