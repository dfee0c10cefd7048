#include "paper_names.h"

#include <strings.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

constexpr double mm_per_inch = 25.4;
constexpr double mm_per_point = 25.4 / 72;

// The standard names of the table's papers where they differ from the
// table's own, and other names in use for them.
const struct {
    const char* row;
    const char* name;
} standard_names[] = {
    {"LT", "Letter"}, {"LG", "Legal"},       {"LD", "Tabloid"}, {"EXE", "Executive"},
    {"PCARD", "Postcard"}, {"F4", "Folio"},
};
const struct {
    const char* name;
    const char* row;
} other_names[] = {{"Ledger", "LD"}, {"Hagaki", "PCARD"}};

const paper_entry* row_named(const std::string& name)
{
    for (const paper_entry* p = paper; p->name != nullptr; ++p)
        if (strcasecmp(p->name, name.c_str()) == 0)
            return p;
    return nullptr;
}

const char* standard_name(const std::string& row)
{
    for (const auto& s : standard_names)
        if (row == s.row)
            return s.name;
    return nullptr;
}

// The row whose size is w x h millimetres, within half a millimetre.
const paper_entry* row_of_size(double w, double h)
{
    for (const paper_entry* p = paper; p->name != nullptr; ++p)
        if (std::fabs(p->width * mm_per_inch - w) < 0.5 && std::fabs(p->height * mm_per_inch - h) < 0.5)
            return p;
    return nullptr;
}

// "WxH" followed by a unit; false unless the whole text is read.
bool read_size(const std::string& text, double default_unit, double* w, double* h)
{
    const char* p = text.c_str();
    char* end = nullptr;
    *w = std::strtod(p, &end);
    if (end == p || *end != 'x')
        return false;
    p = end + 1;
    *h = std::strtod(p, &end);
    if (end == p)
        return false;
    const std::string unit = end;
    double scale = default_unit;
    if (unit == "mm")
        scale = 1;
    else if (unit == "cm")
        scale = 10;
    else if (unit == "in")
        scale = mm_per_inch;
    else if (unit == "pt")
        scale = mm_per_point;
    else if (!unit.empty())
        return false;
    *w *= scale;
    *h *= scale;
    return std::isfinite(*w) && std::isfinite(*h);
}

paper_verdict custom(double w, double h, paper_choice* choice)
{
    if (!(w >= min_custom_mm && w <= max_custom_mm && h >= min_custom_mm && h <= max_custom_mm))
        return paper_verdict::out_of_range;
    *choice = paper_choice{nullptr, w, h};
    return paper_verdict::found;
}

}  // namespace

std::string ppd_keyword(const paper_entry& row)
{
    const std::string name = row.name;
    // A row ending in R is its paper fed the other way round ("A4R").
    const std::string base = name.substr(0, name.size() - 1);
    if (name.size() > 1 && name.back() == 'R' && row_named(base) != nullptr) {
        const char* standard = standard_name(base);
        return (standard != nullptr ? standard : base) + "Rotated";
    }
    const char* standard = standard_name(name);
    return standard != nullptr ? standard : name;
}

paper_verdict read_paper_name(std::string_view text, paper_choice* choice)
{
    const std::string name(text);
    if (const paper_entry* row = row_named(name)) {
        *choice = paper_choice{row, 0, 0};
        return paper_verdict::found;
    }
    for (const paper_entry* p = paper; p->name != nullptr; ++p)
        if (strcasecmp(ppd_keyword(*p).c_str(), name.c_str()) == 0) {
            *choice = paper_choice{p, 0, 0};
            return paper_verdict::found;
        }
    for (const auto& other : other_names)
        if (strcasecmp(other.name, name.c_str()) == 0) {
            *choice = paper_choice{row_named(other.row), 0, 0};
            return paper_verdict::found;
        }
    double w, h;
    if (strncasecmp(name.c_str(), "Custom.", 7) == 0)
        return read_size(name.substr(7), mm_per_point, &w, &h) ? custom(w, h, choice) : paper_verdict::unknown;
    // Self-describing names end in "_WxHunit" (class_name_size).
    const size_t last = name.rfind('_');
    if (last == std::string::npos || last == 0 || !read_size(name.substr(last + 1), 0, &w, &h) || w <= 0)
        return paper_verdict::unknown;
    if (const paper_entry* row = row_of_size(w, h)) {
        *choice = paper_choice{row, 0, 0};
        return paper_verdict::found;
    }
    return custom(w, h, choice);
}

void paper_size_mm(const paper_choice& choice, double* width, double* height)
{
    if (choice.row != nullptr) {
        *width = choice.row->width * mm_per_inch;
        *height = choice.row->height * mm_per_inch;
    } else {
        *width = choice.width_mm;
        *height = choice.height_mm;
    }
}
