#include "job_options.h"

#include <cstring>

#include "halftone_methods.h"
#include "lane_driver.h"

namespace {

const char* scaling_keyword(pappl_scaling_t scaling)
{
    switch (scaling) {
    case PAPPL_SCALING_AUTO_FIT: return "auto-fit";
    case PAPPL_SCALING_FILL: return "fill";
    case PAPPL_SCALING_FIT: return "fit";
    case PAPPL_SCALING_NONE: return "none";
    default: return "auto";
    }
}

std::string media_name(const pappl_media_col_t& media)
{
    // Sizes without a standard name travel as a custom size in millimetres.
    paper_choice choice;
    if (media.size_name[0] != '\0' && read_paper_name(media.size_name, &choice) == paper_verdict::found)
        return media.size_name;
    char text[64];
    std::snprintf(text, sizeof text, "Custom.%.2fx%.2fmm", media.size_width / 100.0, media.size_length / 100.0);
    return text;
}

}  // namespace

int quality_halftone(ipp_quality_t quality)
{
    switch (quality) {
    case IPP_QUALITY_DRAFT: return 2;
    case IPP_QUALITY_HIGH: return 1;
    default: return -1;
    }
}

namespace {

// The lane-* attributes as spooler options, added to `list`.
void add_vendor(std::vector<cups_option>& list, const std::vector<cups_option>& vendor)
{
    for (const cups_option& v : vendor) {
        if (v.name == halftoning_attr) {
            for (int m = 0; m < halftone_method_count; ++m)
                if (v.value == halftone_methods[m].ipp_keyword)
                    list.push_back({"Halftoning", halftone_methods[m].ppd_keyword});
        } else if (v.name == brightness_attr) {
            list.push_back({"brightness", v.value});
        } else if (v.name == gamma_attr) {
            list.push_back({"gamma", v.value});
        }
    }
}

}  // namespace

std::vector<cups_option> spooler_options(const pappl_pr_options_t* o, const job_vendor& vendor)
{
    std::vector<cups_option> list;
    // The printer's defaults first: print-quality and the job's own attributes win over them.
    add_vendor(list, vendor.defaults);
    if (o->media.size_width > 0 && o->media.size_length > 0)
        list.push_back({"media", media_name(o->media)});
    if (o->orientation_requested >= IPP_ORIENT_PORTRAIT && o->orientation_requested <= IPP_ORIENT_REVERSE_PORTRAIT)
        list.push_back({"orientation-requested", std::to_string(static_cast<int>(o->orientation_requested))});
    list.push_back({"print-scaling", scaling_keyword(o->print_scaling)});
    if (o->printer_resolution[0] > 0)
        list.push_back({"Resolution", std::to_string(o->printer_resolution[0]) + "dpi"});
    if (const int method = quality_halftone(o->print_quality); method >= 0)
        list.push_back({"Halftoning", halftone_methods[method].ppd_keyword});
    // The job's vendor attributes come last: a method named outright wins over print-quality.
    add_vendor(list, vendor.job);
    return list;
}

job_vendor vendor_options(pappl_job_t* job, const pappl_pr_options_t* o)
{
    job_vendor vendor;
    for (int i = 0; i < o->num_vendor; ++i)
        vendor.job.push_back({o->vendor[i].name, o->vendor[i].value});
    // PAPPL 1.3 looks for a vendor attribute's default among the job's
    // attributes, where it never is: the printer's default (as the web page
    // sets it) stands where the job names none.
    ipp_t* defaults = papplPrinterGetDriverAttributes(papplJobGetPrinter(job));
    for (const char* name : {halftoning_attr, brightness_attr, gamma_attr}) {
        bool named = false;
        for (const cups_option& v : vendor.job)
            named = named || v.name == name;
        char value[256];
        const std::string default_name = std::string(name) + "-default";
        if (ipp_attribute_t* attr = named ? nullptr : ippFindAttribute(defaults, default_name.c_str(), IPP_TAG_ZERO))
            if (ippAttributeString(attr, value, sizeof value) > 0)
                vendor.defaults.push_back({name, value});
    }
    ippDelete(defaults);
    return vendor;
}

job_request read_pappl_request(pappl_job_t* job, filter_kind kind, const pappl_pr_options_t* options)
{
    const std::string copies = std::to_string(options->copies > 0 ? options->copies : 1);
    std::vector<cups_option> list = spooler_options(options, vendor_options(job, options));
    // Collation is a job attribute PAPPL keeps but does not gather into the
    // options; collated copies are the printer's default, as PAPPL says.
    const char* handling = "separate-documents-collated-copies";
    if (ipp_attribute_t* attr = papplJobGetAttribute(job, "multiple-document-handling"))
        if (const char* value = ippGetString(attr, 0, nullptr))
            handling = value;
    list.push_back({"multiple-document-handling", handling});
    job_request request = read_job_request(kind, copies.c_str(), {}, list);
    for (const std::string& note : request.notes)
        papplLogJob(job, PAPPL_LOGLEVEL_INFO, "%s", note.c_str());
    if (!request.error.empty())
        papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", request.error.c_str());
    return request;
}
