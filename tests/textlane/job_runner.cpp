#include "job_runner.h"

#include "page.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

std::string run_job(TextSettings settings, const std::string& input)
{
    FILE* in = std::tmpfile();
    if (in == nullptr || std::fwrite(input.data(), 1, input.size(), in) != input.size())
        throw std::runtime_error("cannot stage the input");
    std::rewind(in);
    char* bytes = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&bytes, &size);
    settings.input = in;
    settings.output = out;
    initialize(&settings);
    send_data(&settings);
    int status = terminate(&settings);
    std::fclose(in);
    std::fclose(out);
    std::string result(bytes, size);
    std::free(bytes);
    if (status != 0)
        throw std::runtime_error("the output stream reported an error");
    return result;
}

TextSettings defaults()
{
    TextSettings s;
    set_default(&s);
    return s;
}

std::string setup_stream(const PageSetup& s)
{
    auto number = [](const char* format, int a, int b = 0) {
        char text[64];
        std::snprintf(text, sizeof text, format, a, b);
        return std::string(text);
    };
    std::string out = "\033<" + number("\033[%dq", s.unit) + "\033[2 I\033[11h\033[?1l\033[?2h";
    out += s.paper;
    if (s.vertical)
        out += "\033[4 S\033[?29h";
    out += "\033[0;0;0x\033[150k";
    out += number("\033[%de\033[%da", s.top, s.left) + "\033[0t\033[2t\033[1;5;0x";
    out += number("\033[%de\033[%da", s.height, s.width) + "\033[1t\033[3t";
    out += "\033[?1h\033[?2l\033[?3l\033[?4l\033[?5h\033[?6h\033[?7l\033[?8l\033[?14h\033[?23l";
    out += number("\033[%dv", s.copies) + "\033[11l\033[0;0;0x\033[2 I";
    out += number("\033[%d;%d G", s.pitch, s.half_width);
    for (int n = 1; n <= 31; ++n)
        out += number("\033[%d`\033H", 8 * n);
    for (int n = 1; n <= 31; ++n)
        out += number("\033[%dd\033J", 8 * n);
    out += "\033[1;0;0&s\033[0;0;0&s\033[1;0&w\017";
    return out;
}
