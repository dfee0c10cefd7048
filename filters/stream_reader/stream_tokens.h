// Splits a printer stream into its commands, as written, before any meaning
// is given to them: control sequences (ESC [ ... final byte, with the bytes
// of a raster line attached), two- and three-byte escapes, the single-byte
// controls FF and SI, and runs of text between them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class TokenKind { control, escape, form_feed, shift_in, text, bad };

constexpr int max_params = 8;

struct Token {
    TokenKind kind = TokenKind::bad;
    size_t offset = 0;          // first byte in the stream
    size_t length = 0;          // bytes of the command itself (raster data not included)
    char marker = 0;            // private marker of a control sequence ('?'), else 0
    std::string_view intermediates;   // " ", ".", "&", or the "(" of ESC ( J
    char final_byte = 0;        // final byte, or the byte after ESC
    int count = 0;              // parameters given (more than max_params are counted, not kept)
    long params[max_params] = {};
    bool params_ok = true;      // every parameter a number of sane size, none left empty
    size_t data_offset = 0;     // raster bytes, when the command is a raster line
    size_t data_length = 0;
    const char* error = nullptr;   // what is wrong: bad tokens, and a raster line cut off
};

struct TokenReader {
    std::string_view bytes;
    size_t at = 0;
};

// The next token; false at the end of the stream. Never reads past the end.
bool read_token(TokenReader& reader, Token& token);

// A raster line: ESC [ bytes ; bytes ; resolution . r
bool is_raster(const Token& token);

// Parameter i, or `missing` when it was not given.
long param(const Token& token, int i, long missing);

// Escape, form feed and shift-in spelled out ("ESC[14p", "FF", "SI"), other bytes kept.
std::string readable(std::string_view raw);
