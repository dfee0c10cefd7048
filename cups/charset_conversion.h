// Texts in encodings textlane does not read itself: the C library's iconv
// turns them into UTF-8, which it does.
#pragma once

#include <cstdio>
#include <string>

// True when iconv can read the encoding of that name.
bool iconv_knows(const std::string& charset);

// The text of `in`, from its position to its end, as UTF-8 in a new
// temporary stream at its start. A byte sequence the encoding does not
// allow becomes U+FFFD (printed as the geta mark). Null, with the reason in
// *error, when the stream cannot be read or written.
FILE* text_as_utf8(FILE* in, const std::string& charset, std::string* error);
