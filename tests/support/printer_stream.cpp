#include "printer_stream.h"

#include <cstdlib>

#include "stream_tokens.h"

PrinterStream parse_printer_stream(std::string_view bytes)
{
    PrinterStream stream;
    TokenReader reader{bytes};
    Token token;
    while (read_token(reader, token)) {
        const char* wrong = token.kind == TokenKind::bad    ? token.error
                            : token.kind == TokenKind::text ? "not a command"
                            : token.kind == TokenKind::shift_in ? "not a command"
                            : is_raster(token) ? token.error
                                               : nullptr;
        if (wrong != nullptr) {
            stream.error = std::string(wrong) + " at byte " + std::to_string(token.offset);
            return stream;
        }
        stream.commands.push_back(readable(bytes.substr(token.offset, token.length)));
        if (is_raster(token)) {
            const auto* data = reinterpret_cast<const unsigned char*>(bytes.data() + token.data_offset);
            stream.rows.emplace_back(data, data + token.data_length);
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
