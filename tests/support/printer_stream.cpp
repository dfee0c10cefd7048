#include "printer_stream.h"

#include <cstdlib>

namespace {

constexpr unsigned char escape = 0x1b;
constexpr unsigned char form_feed = 0x0c;

bool in_range(unsigned char c, unsigned char low, unsigned char high)
{
    return c >= low && c <= high;
}

}  // namespace

std::string readable(std::string_view raw)
{
    std::string text;
    for (unsigned char c : raw) {
        if (c == escape)
            text += "ESC";
        else if (c == form_feed)
            text += "FF";
        else
            text += static_cast<char>(c);
    }
    return text;
}

PrinterStream parse_printer_stream(std::string_view bytes)
{
    PrinterStream stream;
    size_t at = 0;
    auto fail = [&](const char* what) {
        stream.error = std::string(what) + " at byte " + std::to_string(at);
        return stream;
    };
    while (at < bytes.size()) {
        const size_t start = at;
        const unsigned char c = bytes[at++];
        if (c == form_feed) {
            stream.commands.push_back("FF");
            continue;
        }
        if (c != escape || at >= bytes.size())
            return fail("not a command");
        if (bytes[at] == '<') {
            stream.commands.push_back(readable(bytes.substr(start, 2)));
            ++at;
            continue;
        }
        if (bytes[at++] != '[')
            return fail("unknown escape sequence");
        // Parameters, intermediates, then one final byte (ECMA-48 control sequence).
        const size_t params = at;
        // This printer also takes negative numbers: a minus sign before digits.
        while (at < bytes.size() && (in_range(bytes[at], 0x30, 0x3f) ||
                                     (bytes[at] == '-' && at + 1 < bytes.size() &&
                                      in_range(bytes[at + 1], '0', '9'))))
            ++at;
        const std::string_view parameters = bytes.substr(params, at - params);
        const size_t inter = at;
        while (at < bytes.size() && in_range(bytes[at], 0x20, 0x2f))
            ++at;
        const std::string_view intermediates = bytes.substr(inter, at - inter);
        if (at >= bytes.size() || !in_range(bytes[at], 0x40, 0x7e))
            return fail("unfinished control sequence");
        const char final_byte = bytes[at++];
        stream.commands.push_back(readable(bytes.substr(start, at - start)));
        if (final_byte == 'r' && intermediates == ".") {
            const long count = std::atol(std::string(parameters).c_str());
            if (count < 0 || bytes.size() - at < static_cast<size_t>(count))
                return fail("raster bytes missing");
            const auto* data = reinterpret_cast<const unsigned char*>(bytes.data() + at);
            stream.rows.emplace_back(data, data + count);
            at += count;
        }
    }
    return stream;
}

bool dot_is_black(const std::vector<unsigned char>& row, int column)
{
    return (row.at(column / 8) & (0x80 >> (column % 8))) != 0;
}

MemoryStream::MemoryStream() : file_(open_memstream(&buffer_, &size_)) {}

MemoryStream::~MemoryStream()
{
    if (file_ != nullptr)
        fclose(file_);
    free(buffer_);
}

std::string MemoryStream::text()
{
    fflush(file_);
    return std::string(buffer_ != nullptr ? buffer_ : "", size_);
}
