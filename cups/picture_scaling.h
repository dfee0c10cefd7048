// Sizing a picture the way the job asked, once its size is known.
#pragma once

#include <string>
#include <vector>

#include "filter_words.h"
#include "job_request.h"
#include "settings.h"
#include "xsimage.h"

// Scales and places the picture as the request asks, centred on the page:
// sets pixlane's settings (read from the request's other words, the picture
// at its own size) as its words for that would, and returns those words.
// Automatic scaling keeps the picture's own size when it fits the frame and
// fits it otherwise; fill takes the larger of the two fitting ratios; a
// percentage of the page is that share of the fitted size. The settings also
// keep the job to the sheet: of a picture larger than the page, the dots that
// land on the sheet are sent (the same dots pixlane with those words sends
// there), and none beyond it.
std::vector<std::string> scale_picture(const job_request& request, Settings* settings,
                                       const XSImage* picture);
