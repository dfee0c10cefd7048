#include "kanji.h"

#include <cstring>

#include "utf8.h"

namespace {

constexpr unsigned char ESC = 0x1B;
constexpr unsigned char KANJI_IN[] = {ESC, '$', 'B'};
constexpr unsigned char ROMAN_OUT[] = {ESC, '(', 'J'};
constexpr unsigned char KATAKANA_IN[] = {ESC, '(', 'I'};

enum { ROMAN = 0, KANJI = 1, KATAKANA = 2 };

struct writer {
    unsigned char* p;
    void put(unsigned char b) { *p++ = b; }
    void put(const unsigned char (&seq)[3]) { std::memcpy(p, seq, 3); p += 3; }
};

void enter_kanji(kconv_state* s, writer& w)
{
    if (s->mode != KANJI) {
        w.put(KANJI_IN);
        s->mode = KANJI;
    }
}

// JIS X 0208 rows and columns, and the printer's 8-bit katakana.
bool jis_byte(int b) { return b >= 0x21 && b <= 0x7E; }
bool katakana_byte(int b) { return b >= 0xA1 && b <= 0xDF; }

// The geta mark, for what the encoding cannot make a character of: the
// printer never gets a control byte from text read in the wrong encoding.
void put_geta(kconv_state* s, writer& w)
{
    enter_kanji(s, w);
    w.put(static_cast<unsigned char>(GETA_EUC >> 8 & 0x7F));
    w.put(static_cast<unsigned char>(GETA_EUC & 0x7F));
    if (s->marks != nullptr)
        ++*s->marks;
}

// A byte of Roman text: one of the 8-bit control codes (0x80 to 0x9F, which
// no character of the encoding starts with here) becomes the geta mark. A
// stray escape is dropped later, with what follows it on the line.
void roman_byte(kconv_state* s, writer& w, unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F) {
        put_geta(s, w);
        return;
    }
    if (s->mode != ROMAN) {
        w.put(ROMAN_OUT);
        s->mode = ROMAN;
    }
    w.put(b);
}

// A two-byte character of 7-bit row and column.
void kanji_pair(kconv_state* s, writer& w, int row, int column)
{
    if (!jis_byte(row) || !jis_byte(column)) {
        put_geta(s, w);
        return;
    }
    enter_kanji(s, w);
    w.put(static_cast<unsigned char>(row));
    w.put(static_cast<unsigned char>(column));
}

// A character cut off by the newline is dropped and the newline kept, so that
// the line still ends in Roman mode and the next line is not swallowed.
void drop_cut_character(kconv_state* s, unsigned char b)
{
    if (b == '\n') {
        s->lead = 0;
        s->skip = 0;
    }
}

void euc_byte(kconv_state* s, writer& w, unsigned char b)
{
    drop_cut_character(s, b);
    if (s->skip > 0) {
        --s->skip;
    } else if (s->lead == 0x8E) {
        s->lead = 0;
        if (!katakana_byte(b)) {
            put_geta(s, w);
            return;
        }
        if (s->mode < KATAKANA) {
            w.put(KATAKANA_IN);
            s->mode = KATAKANA;
        }
        w.put(b);  // the katakana keeps its high bit
    } else if (s->lead != 0) {
        const int lead = s->lead;
        s->lead = 0;
        if (b < 0xA1 || b > 0xFE) {
            put_geta(s, w);
            return;
        }
        kanji_pair(s, w, lead & 0x7F, b & 0x7F);
    } else if ((b >= 0xA1 && b <= 0xFE) || b == 0x8E) {
        s->lead = b;
    } else if (b == 0x8F) {
        s->skip = 2;  // supplementary characters have no place in the printer's set
    } else {
        roman_byte(s, w, b);
    }
}

bool sjis_lead(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF);
}

void sjis_byte(kconv_state* s, writer& w, unsigned char t)
{
    drop_cut_character(s, t);
    if (s->lead != 0) {
        int b = s->lead;
        int row = (b < 0xA0 ? b - 113 : b - 177) * 2 + 1;
        int column;
        if (t > 127)
            --t;
        if (t >= 158) {
            column = t - 125;
            ++row;
        } else {
            column = t - 31;
        }
        s->lead = 0;
        kanji_pair(s, w, row, column);
    } else if (sjis_lead(t)) {
        s->lead = t;
    } else if (katakana_byte(t)) {
        if (s->mode == KANJI) {
            w.put(ROMAN_OUT);
            s->mode = ROMAN;
        }
        w.put(t);
    } else {
        roman_byte(s, w, t);
    }
}

// Hands a Unicode character on in EUC form; the geta mark stands in for
// characters the printer does not have, and a byte-order mark is dropped.
void unicode_char(kconv_state* s, writer& w, uint32_t cp)
{
    if (cp < 0x80) {
        euc_byte(s, w, static_cast<unsigned char>(cp));
        return;
    }
    if (cp == 0xFEFF)
        return;
    uint16_t euc = euc_of_unicode(cp);
    if (euc == 0) {
        euc = GETA_EUC;
        if (s->marks != nullptr)
            ++*s->marks;
    }
    euc_byte(s, w, static_cast<unsigned char>(euc >> 8));
    euc_byte(s, w, static_cast<unsigned char>(euc));
}

// A sequence broken off (by a byte that cannot continue it, or by the end of
// the line) prints as one geta mark.
void broken_sequence(kconv_state* s, writer& w)
{
    if (s->need > 0) {
        s->need = 0;
        unicode_char(s, w, 0xFFFD);
    }
}

void utf8_byte(kconv_state* s, writer& w, unsigned char b)
{
    if (s->need > 0) {
        if ((b & 0xC0) == 0x80) {
            s->code_point = s->code_point << 6 | (b & 0x3F);
            if (--s->need == 0) {
                const uint32_t cp = s->code_point;
                const bool valid = cp >= s->minimum && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
                unicode_char(s, w, valid ? cp : 0xFFFD);
            }
            return;
        }
        broken_sequence(s, w);
    }
    if (b < 0x80) {
        unicode_char(s, w, b);
    } else if (b >= 0xC2 && b <= 0xDF) {
        s->code_point = b & 0x1F;
        s->need = 1;
        s->minimum = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        s->code_point = b & 0x0F;
        s->need = 2;
        s->minimum = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        s->code_point = b & 0x07;
        s->need = 3;
        s->minimum = 0x10000;
    } else {
        unicode_char(s, w, 0xFFFD);  // a byte no UTF-8 text holds
    }
}

int hex_digit(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

kconv_state kconv_start(int code, size_t* marks)
{
    return kconv_state{code, ROMAN, 0, 0, 0, 0, 0, marks};
}

size_t convert_part(kconv_state* state, unsigned char* out, const unsigned char* in,
                    size_t length, bool last)
{
    writer w{out};
    switch (state->code) {
    case KANJI_EUC:
        for (size_t i = 0; i < length; ++i)
            euc_byte(state, w, in[i]);
        break;
    case KANJI_SJIS:
        for (size_t i = 0; i < length; ++i)
            sjis_byte(state, w, in[i]);
        break;
    case KANJI_UTF8:
        for (size_t i = 0; i < length; ++i)
            utf8_byte(state, w, in[i]);
        if (last)
            broken_sequence(state, w);
        break;
    case KANJI_JIS:
        std::memcpy(out, in, length);
        w.p += length;
        break;
    default:
        break;
    }
    if (last) {
        // A character cut off by the end of the line is dropped.
        state->lead = 0;
        state->skip = 0;
    }
    return static_cast<size_t>(w.p - out);
}

int convert(int code, unsigned char* out, const unsigned char* in, int length)
{
    kconv_state state = kconv_start(code);
    return static_cast<int>(convert_part(&state, out, in, length > 0 ? length : 0, true));
}

size_t hex_part(hex_state* state, unsigned char* out, const unsigned char* in, size_t length)
{
    size_t n = 0;
    for (size_t i = 0; i < length && !state->failed; ++i) {
        int digit = hex_digit(in[i]);
        if (digit < 0) {
            state->failed = true;
        } else if (state->high < 0) {
            state->high = digit;
        } else {
            out[n++] = static_cast<unsigned char>(state->high << 4 | digit);
            state->high = -1;
        }
    }
    return n;
}

int binary_convert(unsigned char* out, const unsigned char* line, int length)
{
    // The newline is left out; the digits start after ".h".
    if (length - 1 <= 2)
        return 0;
    hex_state state = hex_start();
    size_t n = hex_part(&state, out, line + 2, static_cast<size_t>(length - 3));
    return hex_ok(state) ? static_cast<int>(n) : 0;
}
