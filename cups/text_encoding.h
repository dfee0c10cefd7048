// Finding the encoding of a Japanese text from its bytes, for jobs that do
// not name it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// Bytes of a text, fed in any number of parts, weighed as each encoding the
// text filter reads.
struct encoding_scan {
    void feed(const unsigned char* bytes, size_t n);
    // textlane's input code: 2 for 7-bit text with ISO-2022-JP escapes, 0 for
    // plain ASCII, 3 for UTF-8 (valid, or marked by a byte-order mark), else 0
    // (EUC-JP) or 1 (Shift-JIS), whichever reads cleanly and more like
    // Japanese; -1 when none of them does (binary data, another encoding).
    int input_code() const;

    struct reading {
        long errors = 0;
        long characters = 0;  // multibyte characters read
        long common = 0;      // of which kana and the common kanji
        int state = 0;
    };
    void feed_utf8(unsigned char b);
    void feed_euc(unsigned char b);
    void feed_sjis(unsigned char b);

    reading utf8;
    reading euc;
    reading sjis;
    unsigned char lead_euc = 0;
    unsigned char lead_sjis = 0;
    long offset = 0;
    int bom_bytes = 0;  // of the UTF-8 byte-order mark, at the start
    bool high = false;
    bool nul = false;
    bool jis_escape = false;
    unsigned char last[2] = {0, 0};
};

// Scans `in` from its position to its end and returns to that position; -1
// also when the stream cannot be read or moved back.
int detect_input_code(FILE* in);

// The input code textlane reads for a charset name (EUC-JP, Shift_JIS,
// ISO-2022-JP, UTF-8, US-ASCII and their other names), or -1.
int input_code_of_charset(const std::string& name);
