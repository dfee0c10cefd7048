// Turns input lines in EUC, Shift-JIS or JIS into the printer's 7-bit JIS,
// and decodes the hexadecimal pass-through lines.
#pragma once

#include <cstddef>
#include <cstdint>

enum { KANJI_EUC = 0, KANJI_SJIS = 1, KANJI_JIS = 2, KANJI_UTF8 = 3 };

// True for the input codes the filter can read.
constexpr bool kanji_code_known(int code) { return code >= KANJI_EUC && code <= KANJI_UTF8; }

// Conversion state of one line, carried from part to part when a line is
// converted in pieces. Start every line with kconv_start.
struct kconv_state {
    int code;            // input encoding
    int mode;            // 0 Roman, 1 Kanji, 2 half-width katakana
    unsigned char lead;  // first byte of a character whose next byte is still to come, or 0
    int skip;            // bytes of a dropped three-byte EUC character still to pass over
    uint32_t code_point; // UTF-8: the character being assembled
    int need;            // UTF-8: continuation bytes still to come
    uint32_t minimum;    // UTF-8: smallest code point its length may carry
    size_t* marks;       // counts the geta marks written for what the printer lacks; may be null
};

// Worst-case output for n input bytes: a mode change (3 bytes) plus two bytes
// for a character completed by one byte, and room for a broken UTF-8
// sequence's mark before the byte that broke it.
constexpr size_t kconv_room(size_t n) { return 5 * n + 5; }

kconv_state kconv_start(int code, size_t* marks = nullptr);

// Converts the next `length` bytes of a line into `out` (room for kconv_room(length)
// bytes) and returns the number of bytes written. `last` tells that the line ends
// with these bytes: a character cut off by the end of the line is then dropped;
// otherwise its first byte waits for the next part.
size_t convert_part(kconv_state* state, unsigned char* out, const unsigned char* in,
                    size_t length, bool last);

// One whole line, newline included. Any code but 0 to 3 converts to nothing.
int convert(int code, unsigned char* out, const unsigned char* in, int length);

// Hexadecimal decoding of a pass-through line, carried across parts.
struct hex_state {
    int high;     // pending high digit, or -1
    bool failed;  // a character that is no hex digit was met: the line yields nothing
};

constexpr hex_state hex_start() { return hex_state{-1, false}; }

// Decodes digits from `in` into `out` (room for length / 2 + 1 bytes); returns
// the number of bytes completed.
size_t hex_part(hex_state* state, unsigned char* out, const unsigned char* in, size_t length);

// True when the line decoded cleanly: no stray character, no odd digit left.
inline bool hex_ok(const hex_state& state) { return !state.failed && state.high < 0; }

// A whole ".h" line of `length` bytes, its newline included: the digits after
// ".h" become bytes in `out`; any other character makes the result 0.
int binary_convert(unsigned char* out, const unsigned char* line, int length);
