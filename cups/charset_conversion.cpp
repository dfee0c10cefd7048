#include "charset_conversion.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace {

struct converter {
    iconv_t cd;
    explicit converter(const std::string& charset) : cd(iconv_open("UTF-8", charset.c_str())) {}
    ~converter()
    {
        if (ok())
            iconv_close(cd);
    }
    bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

constexpr char replacement[] = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

bool iconv_knows(const std::string& charset)
{
    return !charset.empty() && converter(charset).ok();
}

FILE* text_as_utf8(FILE* in, const std::string& charset, std::string* error)
{
    converter c(charset);
    FILE* out = std::tmpfile();
    if (!c.ok() || out == nullptr) {
        *error = std::string("Cannot convert the text from ") + charset + ": " + std::strerror(errno);
        if (out != nullptr)
            std::fclose(out);
        return nullptr;
    }
    char input[8192], output[4 * sizeof input];
    size_t held = 0;
    bool end = false;
    while (!end || held > 0) {
        if (!end && held < sizeof input) {
            const size_t n = std::fread(input + held, 1, sizeof input - held, in);
            held += n;
            end = n == 0;
            if (end && std::ferror(in))
                break;
        }
        char* from = input;
        size_t left = held;
        char* to = output;
        size_t room = sizeof output;
        while (left > 0) {
            if (iconv(c.cd, &from, &left, &to, &room) != static_cast<size_t>(-1))
                continue;
            // An incomplete sequence waits for more bytes, unless none will come.
            if (errno == EINVAL && !end)
                break;
            if (errno == E2BIG)
                break;
            // A byte the encoding does not allow, or a sequence cut off at the end.
            std::memcpy(to, replacement, 3);
            to += 3;
            room -= 3;
            ++from;
            --left;
            if (room < 8)
                break;
        }
        std::fwrite(output, 1, static_cast<size_t>(to - output), out);
        std::memmove(input, from, left);
        held = left;
        if (end && held > 0 && from == input && to == output)
            break;   // nothing more can be made of what is left
    }
    iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
    if (std::ferror(in) || std::fflush(out) != 0 || std::ferror(out)) {
        *error = std::string("Cannot convert the text from ") + charset + ": " + std::strerror(errno);
        std::fclose(out);
        return nullptr;
    }
    std::rewind(out);
    return out;
}
