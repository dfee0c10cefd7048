#include "jis_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

namespace {

// A converter of one decoding (a converter must not be shared between
// threads): EUC-JP holds both character sets, so each character is brought
// to its EUC form and converted from there.
struct euc_converter {
    iconv_t cd = iconv_open("UTF-8", "EUC-JP");
    euc_converter() = default;
    euc_converter(const euc_converter&) = delete;
    ~euc_converter()
    {
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);
    }
};

// The UTF-8 form of one EUC-JP character, or an empty string.
std::string convert(const euc_converter& converter, const char* euc, size_t length)
{
    iconv_t cd = converter.cd;
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    char out[8];
    char* in = const_cast<char*>(euc);
    char* to = out;
    size_t in_left = length, out_left = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &in_left, &to, &out_left) == static_cast<size_t>(-1) || in_left != 0)
        return {};
    return std::string(out, to - out);
}

void put_control(std::string& out, unsigned char c)
{
    if (c == '\n') {
        out += "\\n";
    } else if (c == '\t') {
        out += "\\t";
    } else if (c == '\r') {
        out += "\\r";
    } else {
        char hex[8];
        snprintf(hex, sizeof hex, "\\x%02X", c);
        out += hex;
    }
}

bool is_control(unsigned char c)
{
    return c < 0x20 || c == 0x7f;
}

void mark_bad(DecodedText& d, size_t at, size_t count)
{
    if (d.bad == 0)
        d.first_bad = at;
    d.bad += count;
}

}  // namespace

DecodedText decode_text(std::string_view bytes, bool kanji)
{
    const euc_converter converter;
    DecodedText d;
    bool katakana = false;
    for (size_t i = 0; i < bytes.size();) {
        const unsigned char c = bytes[i];
        if (is_control(c)) {
            put_control(d.utf8, c);
            if (c != '\n' && c != '\t' && c != '\r')
                mark_bad(d, i, 1);
            ++i;
            continue;
        }
        if (kanji) {
            // A pair of bytes 0x21 to 0x7E; anything else is no character.
            const bool pair = i + 1 < bytes.size() && c < 0x80 && !is_control(bytes[i + 1]) &&
                              static_cast<unsigned char>(bytes[i + 1]) < 0x80;
            const char euc[2] = {static_cast<char>(c | 0x80),
                                 static_cast<char>(pair ? bytes[i + 1] | 0x80 : 0)};
            const std::string u = pair ? convert(converter, euc, 2) : std::string();
            const size_t used = pair ? 2 : 1;
            if (u.empty()) {
                d.utf8 += "\xEF\xBF\xBD";   // U+FFFD
                mark_bad(d, i, used);
            }
            d.utf8 += u;
            i += used;
            continue;
        }
        const bool kana = c >= 0xa1 && c <= 0xdf;
        if (kana != katakana && (kana || c < 0x80)) {
            d.utf8 += kana ? "[katakana]" : "[Roman]";
            katakana = kana;
        }
        if (c < 0x80) {
            d.utf8 += static_cast<char>(c);
        } else if (kana) {
            const char euc[2] = {static_cast<char>(0x8e), static_cast<char>(c)};
            d.utf8 += convert(converter, euc, 2);
        } else {
            put_control(d.utf8, c);
            mark_bad(d, i, 1);
        }
        ++i;
    }
    return d;
}
