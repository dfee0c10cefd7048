// A picture document printed as a job's request asks: every page of a TIFF
// (one page for any other picture), each sized once its picture has been
// read. imagetolane and the Printer Application both print pictures through
// it, so a picture gives the same bytes from either.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "job_context.h"
#include "job_request.h"
#include "settings.h"

// pixlane's settings for what the request asks, before the picture is sized:
// each value as its command-line word says it (picture_words), so that the
// logged command line prints the same dots.
void picture_settings(const job_request& request, Settings* settings);

struct picture_document {
    const job_request* request = nullptr;
    FILE* in = nullptr;           // seekable, at the picture's first byte
    FILE* out = nullptr;          // the printer
    const char* title = "";       // the input's name in messages
    job_context* context = nullptr;
    // Told each page's pixlane command line before the page prints.
    std::function<void(const std::vector<std::string>& words)> show_words;
    // Told what the user should know of a picture that prints anyway.
    std::function<void(const char* text)> warn;
};

// 0 when every page went out; stops at the first page that fails and at a cancel.
int print_picture_document(const picture_document& document);
