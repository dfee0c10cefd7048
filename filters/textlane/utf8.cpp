#include "utf8.h"

#include <iconv.h>

#include <unordered_map>

namespace {

// Decodes one EUC character to a code point; 0 when the C library has none.
uint32_t decode(iconv_t cd, const unsigned char* euc, size_t length)
{
    char in[2] = {static_cast<char>(euc[0]), static_cast<char>(euc[1])};
    unsigned char out[8];
    char* ip = in;
    size_t ileft = length;
    char* op = reinterpret_cast<char*>(out);
    size_t oleft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &ip, &ileft, &op, &oleft) == static_cast<size_t>(-1) || ileft != 0 ||
        sizeof out - oleft != 4)
        return 0;
    return uint32_t(out[0]) | uint32_t(out[1]) << 8 | uint32_t(out[2]) << 16 | uint32_t(out[3]) << 24;
}

std::unordered_map<uint32_t, uint16_t> build_table()
{
    std::unordered_map<uint32_t, uint16_t> table;
    iconv_t cd = iconv_open("UTF-32LE", "EUC-JP");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return table;
    for (int lead = 0xA1; lead <= 0xFE; ++lead)
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            const unsigned char euc[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            if (uint32_t cp = decode(cd, euc, 2))
                table.emplace(cp, static_cast<uint16_t>(lead << 8 | trail));
        }
    for (int kana = 0xA1; kana <= 0xDF; ++kana) {
        const unsigned char euc[2] = {0x8E, static_cast<unsigned char>(kana)};
        if (uint32_t cp = decode(cd, euc, 2))
            table.emplace(cp, static_cast<uint16_t>(0x8E00 | kana));
    }
    iconv_close(cd);
    return table;
}

}  // namespace

uint16_t euc_of_unicode(uint32_t code_point)
{
    static const std::unordered_map<uint32_t, uint16_t> table = build_table();
    const auto found = table.find(code_point);
    return found == table.end() ? 0 : found->second;
}

