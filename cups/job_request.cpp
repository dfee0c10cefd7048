#include "job_request.h"

#include "charset_conversion.h"
#include "filter_words.h"
#include "halftone_methods.h"
#include "text_encoding.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

enum { PICTURE = 1, TEXT = 2 };

enum class verdict { ok, ignored, refused };

struct outcome {
    verdict kind = verdict::ok;
    std::string why;
};

outcome ignored(std::string why) { return {verdict::ignored, std::move(why)}; }
outcome refused(std::string why) { return {verdict::refused, std::move(why)}; }

bool same(std::string_view a, const char* b)
{
    return a.size() == std::strlen(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

// The whole text as a number; false when it is none.
bool read_number(const std::string& text, double* value)
{
    const char* p = text.c_str();
    char* end = nullptr;
    *value = std::strtod(p, &end);
    return end != p && std::isfinite(*value) && *end == '\0';
}

// 1 for true, 0 for false, -1 when the text is neither.
int read_bool(const std::string& text)
{
    for (const char* yes : {"true", "yes", "on", "1"})
        if (same(text, yes))
            return 1;
    for (const char* no : {"false", "no", "off", "0"})
        if (same(text, no))
            return 0;
    return -1;
}

std::string range_text(double low, double high, const char* unit)
{
    return "it must lie between " + number_word(low) + " and " + number_word(high) + unit;
}

// A number within [low, high]; a text that is no number is set aside, one
// out of bounds is refused.
outcome bounded(const std::string& value, double low, double high, const char* unit, double* out)
{
    double v;
    if (!read_number(value, &v))
        return ignored("not a number");
    if (v < low || v > high)
        return refused(range_text(low, high, unit));
    *out = v;
    return {};
}

outcome set_paper(job_request& r, const std::string& value)
{
    paper_choice choice;
    switch (read_paper_name(value, &choice)) {
    case paper_verdict::found:
        r.paper_given = true;
        r.paper = choice;
        return {};
    case paper_verdict::out_of_range:
        return refused("the sides of a custom paper must lie between " + number_word(min_custom_mm) + " and " +
                       number_word(max_custom_mm) + " mm");
    case paper_verdict::unknown:
        break;
    }
    return ignored("not a paper size this printer knows");
}

// A media list names the size among other things ("A4,Tray1"); the first
// item that is a size decides.
outcome set_media(job_request& r, const std::string& value)
{
    size_t start = 0;
    while (start <= value.size()) {
        size_t comma = value.find(',', start);
        if (comma == std::string::npos)
            comma = value.size();
        const outcome o = set_paper(r, value.substr(start, comma - start));
        if (o.kind != verdict::ignored)
            return o;
        start = comma + 1;
    }
    return ignored("no paper size this printer knows");
}

outcome set_landscape(job_request& r, const std::string& value)
{
    const int b = read_bool(value);
    if (b < 0)
        return ignored("not true or false");
    r.landscape = b == 1;
    return {};
}

outcome set_collate(job_request& r, const std::string& value)
{
    const int b = read_bool(value);
    if (b < 0)
        return ignored("not true or false");
    r.collate = b == 1;
    return {};
}

// IPP's name for the same choice.
outcome set_document_handling(job_request& r, const std::string& value)
{
    if (same(value, "separate-documents-collated-copies"))
        r.collate = true;
    else if (same(value, "separate-documents-uncollated-copies"))
        r.collate = false;
    else
        return ignored("copies are separate-documents-collated-copies or separate-documents-uncollated-copies");
    return {};
}

outcome set_orientation(job_request& r, const std::string& value)
{
    double v;
    if (!read_number(value, &v) || (v != 3 && v != 4 && v != 5 && v != 6))
        return ignored("orientations are 3 (portrait) to 6 (reverse portrait)");
    // The printer turns pictures and pages one way only.
    if (v == 5)
        r.notes.push_back("INFO: Reverse landscape prints as landscape.");
    if (v == 6)
        r.notes.push_back("INFO: Reverse portrait prints as portrait.");
    r.landscape = v == 4 || v == 5;
    return {};
}

template <int side>
outcome set_margin(job_request& r, const std::string& value)
{
    return bounded(value, 0, max_custom_mm / mm_per_point, " points", &r.margins[side]);
}

outcome set_resolution(job_request& r, const std::string& value)
{
    // "300dpi", "300", or "300x600dpi" of which the first number counts.
    std::string text = value;
    if (text.size() > 3 && same(std::string_view(text).substr(text.size() - 3), "dpi"))
        text.resize(text.size() - 3);
    const size_t x = text.find('x');
    double v, second;
    if (x != std::string::npos && !read_number(text.substr(x + 1), &second))
        return ignored("resolutions are written like 300dpi");
    outcome o = bounded(text.substr(0, x), 60, 2400, " dpi", &v);
    if (o.kind == verdict::ignored || (o.kind == verdict::ok && v != std::trunc(v)))
        return ignored("resolutions are written like 300dpi");
    if (o.kind == verdict::ok)
        r.resolution = static_cast<int>(v);
    return o;
}

// The scaling options are read strongest last (see the rules' order).
outcome scale(job_request& r, scaling_mode mode, double percent = 0)
{
    r.scaling = mode;
    r.scaling_percent = percent;
    return {};
}

outcome set_fit_to_page(job_request& r, const std::string& value)
{
    const int b = read_bool(value);
    if (b < 0)
        return ignored("not true or false");
    return b == 1 ? scale(r, scaling_mode::fit) : outcome{};
}

outcome set_print_scaling(job_request& r, const std::string& value)
{
    const struct {
        const char* name;
        scaling_mode mode;
    } modes[] = {{"auto", scaling_mode::automatic}, {"auto-fit", scaling_mode::automatic},
                 {"fit", scaling_mode::fit},        {"fill", scaling_mode::fill},
                 {"none", scaling_mode::none}};
    for (const auto& m : modes)
        if (same(value, m.name))
            return scale(r, m.mode);
    return ignored("print scaling is auto, auto-fit, fit, fill or none");
}

template <scaling_mode mode>
outcome set_percent(job_request& r, const std::string& value)
{
    double v;
    outcome o = bounded(value, 1, 800, " percent", &v);
    if (o.kind != verdict::ok)
        return o;
    return scale(r, mode, v);
}

outcome set_gamma(job_request& r, const std::string& value)
{
    double v;
    outcome o = bounded(value, 1, 10000, " (1000 keeps the printer's gamma)", &v);
    if (o.kind == verdict::ok)
        r.gamma = v / 1000;
    return o;
}

// A percentage around 100, kept as a step of -100 to 100.
outcome percent_step(const std::string& value, int* step)
{
    double v;
    outcome o = bounded(value, 0, 200, " percent (100 is unchanged)", &v);
    if (o.kind == verdict::ok && v != std::trunc(v))
        return ignored("not a whole number");
    if (o.kind == verdict::ok)
        *step = static_cast<int>(v) - 100;
    return o;
}

outcome set_brightness(job_request& r, const std::string& value) { return percent_step(value, &r.brightness); }
outcome set_saturation(job_request& r, const std::string& value) { return percent_step(value, &r.saturation); }


outcome set_halftone(job_request& r, const std::string& value)
{
    for (const halftone_method& m : halftone_methods)
        if (same(value, m.ppd_keyword) || value == std::to_string(m.number)) {
            r.halftone = m.number;
            return {};
        }
    return ignored("not a halftoning method of this printer");
}

outcome set_cpi(job_request& r, const std::string& value) { return bounded(value, 0.5, 100, " characters per inch", &r.cpi); }
outcome set_lpi(job_request& r, const std::string& value) { return bounded(value, 0.5, 100, " lines per inch", &r.lpi); }

outcome set_charset(job_request& r, const std::string& value)
{
    const int code = input_code_of_charset(value);
    r.convert_from.clear();
    if (code >= 0) {
        r.input_code = code;
        return {};
    }
    // Any other encoding the C library knows is read as UTF-8 once converted.
    if (!iconv_knows(value))
        return ignored("not a text encoding this system knows; the encoding is found from the text");
    r.input_code = 3;
    r.convert_from = value;
    return {};
}

struct option_rule {
    const char* name;
    int kinds;
    outcome (*apply)(job_request&, const std::string&);
};

// Options are read in this order, whatever order the spooler lists them in,
// so that the later of two that ask the same wins: the IPP media over the
// PPD's PageSize, and of the scaling options the most precise.
// Options of other kinds of job, and the many attributes a spooler passes
// along, are left alone.
const option_rule rules[] = {
    {"PageSize", PICTURE | TEXT, set_paper},
    {"PageRegion", PICTURE | TEXT, set_paper},
    {"media", PICTURE | TEXT, set_media},
    {"multiple-document-handling", PICTURE | TEXT, set_document_handling},
    {"collate", PICTURE | TEXT, set_collate},
    {"landscape", PICTURE | TEXT, set_landscape},
    {"orientation-requested", PICTURE | TEXT, set_orientation},
    {"page-top", PICTURE | TEXT, set_margin<0>},
    {"page-bottom", PICTURE | TEXT, set_margin<1>},
    {"page-left", PICTURE | TEXT, set_margin<2>},
    {"page-right", PICTURE | TEXT, set_margin<3>},
    {"Resolution", PICTURE, set_resolution},
    {"printer-resolution", PICTURE, set_resolution},
    {"fit-to-page", PICTURE, set_fit_to_page},
    {"PictureScaling", PICTURE, set_print_scaling},
    {"print-scaling", PICTURE, set_print_scaling},
    {"scaling", PICTURE, set_percent<scaling_mode::page_percent>},
    {"natural-scaling", PICTURE, set_percent<scaling_mode::natural_percent>},
    {"gamma", PICTURE, set_gamma},
    {"brightness", PICTURE, set_brightness},
    {"saturation", PICTURE, set_saturation},
    {"Halftoning", PICTURE, set_halftone},
    {"cpi", TEXT, set_cpi},
    {"lpi", TEXT, set_lpi},
    {"charset", TEXT, set_charset},
    {"document-charset", TEXT, set_charset},
};

void apply(job_request& r, const option_rule& rule, const cups_option& option)
{
    // A PPD's "Default" choice leaves the filter's own default.
    if (same(option.value, "Default"))
        return;
    const outcome o = rule.apply(r, option.value);
    const std::string what = option.name + "=" + option.value;
    if (o.kind == verdict::ignored)
        r.notes.push_back("INFO: Ignoring " + what + ": " + o.why + ".");
    else if (o.kind == verdict::refused && r.error.empty())
        r.error = "ERROR: Cannot print with " + what + ": " + o.why + ".";
}

void apply_all(job_request& r, int kind, const std::vector<cups_option>& options)
{
    for (const option_rule& rule : rules)
        if ((rule.kinds & kind) != 0)
            for (const cups_option& option : options)
                if (same(option.name, rule.name))
                    apply(r, rule, option);
}

void read_copies(job_request& r, const char* copies)
{
    if (copies == nullptr || *copies == '\0')
        return;
    double v;
    if (!read_number(copies, &v) || v != std::trunc(v) || v < 1 || v > 9999)
        r.error = std::string("ERROR: Cannot print ") + copies + " copies: " + range_text(1, 9999, "") + ".";
    else
        r.copies = static_cast<int>(v);
}

// Margins that leave no room on the paper, as the user sees the page.
void check_margins(job_request& r)
{
    double w, h;
    if (r.paper_given)
        paper_size_mm(r.paper, &w, &h);
    else
        paper_size_mm(paper_choice{paper_lookup("A4")}, &w, &h);
    if (r.landscape)
        std::swap(w, h);
    auto mm = [&](int side) { return margin_mm(r, side); };
    if ((mm(0) + mm(1) >= h || mm(2) + mm(3) >= w) && r.error.empty())
        r.error = "ERROR: Cannot print with these page margins: they leave no room on the " + number_word(w) +
                  " x " + number_word(h) + " mm page.";
}

}  // namespace

bool margins_given(const job_request& r)
{
    for (double m : r.margins)
        if (m >= 0)
            return true;
    return false;
}

double margin_mm(const job_request& r, int side)
{
    return r.margins[side] < 0 ? default_margin_mm : r.margins[side] * mm_per_point;
}

job_request read_job_request(filter_kind kind, const char* copies,
                             const std::vector<cups_option>& ppd_defaults,
                             const std::vector<cups_option>& options)
{
    job_request r;
    const int k = kind == filter_kind::picture ? PICTURE : TEXT;
    read_copies(r, copies);
    apply_all(r, k, ppd_defaults);
    apply_all(r, k, options);
    check_margins(r);
    return r;
}
