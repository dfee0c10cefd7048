// Sizing a picture the way the job asked, once its size is known.
#pragma once

#include <string>
#include <vector>

#include "job_request.h"
#include "settings.h"
#include "xsimage.h"

// pixlane's words that scale and place the picture as the request asks,
// centred on the page; `settings` are pixlane's for the request's other
// words (the picture at its own size). Automatic scaling keeps the picture's
// own size when it fits the frame and fits it otherwise; fill takes the
// larger of the two fitting ratios; a percentage of the page is that share
// of the fitted size.
std::vector<std::string> scaling_words(const job_request& request, const Settings& settings,
                                       const XSImage* picture);
