// The text of a text stream in readable form: in Kanji mode pairs of 7-bit
// bytes (JIS X 0208), in Roman mode ASCII with half-width katakana as 8-bit
// bytes (JIS X 0201), decoded to UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct DecodedText {
    std::string utf8;       // control bytes written as \n, \t, \xNN; a switch to
                            // or from half-width katakana shown as [katakana], [Roman]
    size_t bad = 0;         // bytes that are no character of the mode's set
    size_t first_bad = 0;   // offset of the first of them within the text
};

DecodedText decode_text(std::string_view bytes, bool kanji);
