// Printer streams looked at through the viewer: jobs run through pixlane,
// and every page drawn, so tests state where dots land on the sheet.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "page_picture.h"

struct ViewedPage {
    Page page;
    PagePicture picture;
};

struct ViewedJob {
    std::string stream;
    std::vector<ViewedPage> pages;
    std::vector<Problem> problems;
    std::string problem_text;   // every message, one per line
};

// Walks `stream` and draws every page.
ViewedJob view(std::string stream);

// Whether two streams put the same pages on paper: the same sheets and
// copies, and every dot the same. *why says where they differ.
bool same_dots(const std::string& one, const std::string& other, std::string* why);

// Whether every page's raster stays on its sheet: each line begins on it,
// no byte of it begins past the sheet's right edge, no more lines than rows.
bool raster_on_sheets(const ViewedJob& job);

// Runs pixlane with `options` on `picture` (the bytes of a picture file) and views the result.
ViewedJob print_and_view(const std::string& picture, const std::vector<std::string>& options);

// A PBM (P4) picture whose pixel (x, y) is black where black(x, y).
std::string pbm(int width, int height, const std::function<bool(int, int)>& black);

// The smallest box holding every black dot; empty when none is black.
struct Box {
    long left = 0, top = 0, right = -1, bottom = -1;   // inclusive
    long width() const { return right - left + 1; }
    long height() const { return bottom - top + 1; }
};
Box black_box(const PagePicture& picture);

// 1/720-inch units of a length in millimetres, truncated as the filters do.
long units_of_mm(double mm);
