#include "text_encoding.h"

#include <strings.h>

#include <cstring>

namespace {

constexpr unsigned char ESC = 0x1B;

// A text whose errors are at most this share of its characters is still
// taken for its encoding (a cut or a stray byte).
constexpr long tolerated_share = 50;

}  // namespace

void encoding_scan::feed(const unsigned char* bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i, ++offset) {
        const unsigned char b = bytes[i];
        static const unsigned char bom[3] = {0xEF, 0xBB, 0xBF};
        if (offset < 3 && bom_bytes == offset && b == bom[offset])
            ++bom_bytes;
        if (b == 0)
            nul = true;
        if (b >= 0x80)
            high = true;
        // ESC $ B, ESC $ @ (Kanji in), ESC ( J, ESC ( B, ESC ( I (back out).
        if (last[0] == ESC && ((last[1] == '$' && (b == 'B' || b == '@')) ||
                                (last[1] == '(' && (b == 'J' || b == 'B' || b == 'I'))))
            jis_escape = true;
        last[0] = last[1];
        last[1] = b;
        feed_utf8(b);
        feed_euc(b);
        feed_sjis(b);
    }
}

void encoding_scan::feed_utf8(unsigned char b)
{
    reading& r = utf8;
    if (r.state > 0) {
        if ((b & 0xC0) == 0x80) {
            if (--r.state == 0)
                ++r.characters;
            return;
        }
        ++r.errors;  // a sequence cut short
        r.state = 0;
    }
    if (b < 0x80)
        return;
    if (b >= 0xC2 && b <= 0xDF)
        r.state = 1;
    else if (b >= 0xE0 && b <= 0xEF)
        r.state = 2;
    else if (b >= 0xF0 && b <= 0xF4)
        r.state = 3;
    else
        ++r.errors;
    // Japanese in UTF-8 is three bytes a character.
    if (b >= 0xE3 && b <= 0xE9)
        ++r.common;
}

void encoding_scan::feed_euc(unsigned char b)
{
    reading& r = euc;
    switch (r.state) {
    case 1:  // second byte of a JIS X 0208 character
    case 3:  // third byte of a supplementary character
        r.state = 0;
        if (b >= 0xA1 && b <= 0xFE) {
            ++r.characters;
            // Kana (rows 4 and 5) and the first level of kanji (rows 16 to 47).
            if (lead_euc == 0xA4 || lead_euc == 0xA5 || (lead_euc >= 0xB0 && lead_euc <= 0xCF))
                ++r.common;
        } else {
            ++r.errors;
        }
        return;
    case 2:  // half-width katakana after SS2
        r.state = 0;
        if (b >= 0xA1 && b <= 0xDF)
            ++r.characters;
        else
            ++r.errors;
        return;
    case 4:  // second byte of a supplementary character
        r.state = b >= 0xA1 && b <= 0xFE ? 3 : 0;
        if (r.state == 0)
            ++r.errors;
        lead_euc = 0;
        return;
    default:
        break;
    }
    if (b >= 0xA1 && b <= 0xFE) {
        lead_euc = b;
        r.state = 1;
    } else if (b == 0x8E) {
        r.state = 2;
    } else if (b == 0x8F) {
        r.state = 4;
    } else if (b >= 0x80) {
        ++r.errors;
    }
}

void encoding_scan::feed_sjis(unsigned char b)
{
    reading& r = sjis;
    if (r.state == 1) {
        r.state = 0;
        if ((b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC)) {
            ++r.characters;
            // Kana (leads 0x82, 0x83) and the first level of kanji (0x88 to 0x98).
            if (lead_sjis == 0x82 || lead_sjis == 0x83 || (lead_sjis >= 0x88 && lead_sjis <= 0x98))
                ++r.common;
        } else {
            ++r.errors;
        }
        return;
    }
    if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF)) {
        lead_sjis = b;
        r.state = 1;
    } else if (b >= 0xA1 && b <= 0xDF) {
        ++r.characters;  // half-width katakana: rare in real text, so not common
    } else if (b >= 0x80) {
        ++r.errors;
    }
}

int encoding_scan::input_code() const
{
    if (nul)
        return -1;  // not text
    if (!high)
        return jis_escape ? 2 : 0;
    if (bom_bytes == 3)
        return 3;
    // (A character still open at the end was cut off with the text; it says
    // nothing about the encoding.)
    if (utf8.errors == 0)
        return 3;
    const long euc_errors = euc.errors;
    const long sjis_errors = sjis.errors;
    if (euc_errors == 0 && sjis_errors == 0) {
        if (euc.common == sjis.common)
            return -1;
        return euc.common > sjis.common ? 0 : 1;
    }
    if (euc_errors == 0 || sjis_errors == 0)
        return euc_errors == 0 ? 0 : 1;
    // Both have errors: the one with fewer, when they are few.
    const bool euc_better = euc_errors <= sjis_errors;
    const reading& best = euc_better ? euc : sjis;
    if (best.errors * tolerated_share > best.characters)
        return -1;
    return euc_better ? 0 : 1;
}

int detect_input_code(FILE* in)
{
    const long start = std::ftell(in);
    if (start < 0)
        return -1;
    encoding_scan scan;
    unsigned char block[8192];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, in)) != 0)
        scan.feed(block, n);
    if (std::ferror(in) || std::fseek(in, start, SEEK_SET) != 0)
        return -1;
    return scan.input_code();
}

int input_code_of_charset(const std::string& name)
{
    const struct {
        const char* name;
        int code;
    } names[] = {
        {"euc-jp", 0},      {"eucjp", 0},       {"x-euc-jp", 0},    {"euc", 0},
        {"us-ascii", 0},    {"ascii", 0},       {"shift_jis", 1},   {"shift-jis", 1},
        {"sjis", 1},        {"x-sjis", 1},      {"ms_kanji", 1},    {"windows-31j", 1},
        {"cp932", 1},       {"iso-2022-jp", 2}, {"jis", 2},         {"csiso2022jp", 2},
        {"utf-8", 3},       {"utf8", 3},
    };
    for (const auto& n : names)
        if (name.size() == std::strlen(n.name) && strncasecmp(name.data(), n.name, name.size()) == 0)
            return n.code;
    return -1;
}
