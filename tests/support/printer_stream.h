// Reads a printer command stream back into its commands and raster lines,
// so tests can state what a job sent instead of comparing opaque bytes.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

struct PrinterStream {
    // Every command in order, written "ESC[14p", "ESC<", "FF"; a raster
    // command keeps its text here and its bytes go to rows.
    std::vector<std::string> commands;
    std::vector<std::vector<unsigned char>> rows;   // the bytes of each raster command
    std::string error;                               // empty when every byte was understood
};

PrinterStream parse_printer_stream(std::string_view bytes);

// Dot `column` of a raster line: true when it prints black.
bool dot_is_black(const std::vector<unsigned char>& row, int column);

// The text of a command in the form parse_printer_stream gives it: readable()
// of the viewer's stream reader, declared there.
std::string readable(std::string_view raw);

// A stdio stream that writes into memory.
class MemoryStream {
public:
    MemoryStream();
    ~MemoryStream();
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;
    FILE* file() const { return file_; }
    std::string text();   // everything written so far

private:
    char* buffer_ = nullptr;
    size_t size_ = 0;
    FILE* file_ = nullptr;
};
