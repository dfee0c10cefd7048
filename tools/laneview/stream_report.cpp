#include "stream_report.h"

void report_problems(FILE* err, const char* program, const Printer& p, size_t most)
{
    const size_t shown = p.problems.size() < most ? p.problems.size() : most;
    for (size_t i = 0; i < shown; ++i)
        fprintf(err, "%s: byte %zu: %s\n", program, p.problems[i].offset,
                p.problems[i].message.c_str());
    if (p.problem_count > shown)
        fprintf(err, "%s: ... and %zu more problems\n", program, p.problem_count - shown);
}

std::string summary(const Printer& p)
{
    std::string text = p.text_stream ? "text stream: " : "picture stream: ";
    text += std::to_string(p.pages_ended) + (p.pages_ended == 1 ? " page" : " pages");
    if (p.raster_lines > 0)
        text += ", " + std::to_string(p.raster_lines) + " raster lines";
    if (p.problem_count == 0)
        return text + ": well-formed";
    return text + ": " + std::to_string(p.problem_count) +
           (p.problem_count == 1 ? " problem" : " problems");
}
