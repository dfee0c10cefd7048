// The line conversions on their own, and the two-byte codes checked against
// the C library's converter over the whole JIS X 0208 table.
#include "kanji.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

namespace {

std::string convert_line(int code, const std::string& in)
{
    std::vector<unsigned char> out(kconv_room(in.size()) + 1);
    int n = convert(code, out.data(), reinterpret_cast<const unsigned char*>(in.data()),
                    static_cast<int>(in.size()));
    return std::string(reinterpret_cast<char*>(out.data()), n);
}

std::string hex_line(const std::string& line)
{
    std::vector<unsigned char> out(line.size() + 1);
    int n = binary_convert(out.data(), reinterpret_cast<const unsigned char*>(line.data()),
                           static_cast<int>(line.size()));
    return std::string(reinterpret_cast<char*>(out.data()), n);
}

// The C library's conversion of `in`, or empty when it refuses it.
std::string iconv_text(const char* to, const char* from, const std::string& in)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("no converter to ") + to);
    std::string src = in;
    std::string out(in.size() * 4 + 16, '\0');
    char* ip = src.data();
    size_t ileft = src.size();
    char* op = out.data();
    size_t oleft = out.size();
    size_t r = iconv(cd, &ip, &ileft, &op, &oleft);
    if (r != static_cast<size_t>(-1))
        r = iconv(cd, nullptr, nullptr, &op, &oleft);
    iconv_close(cd);
    if (r != 0 || ileft != 0)  // refused, or changed by a substitution
        return {};
    out.resize(out.size() - oleft);
    return out;
}

}  // namespace

TEST(Convert, PartsGiveTheSameBytesAsTheWholeLine)
{
    const std::string line = "a\xb0\xa1\x8e\xb1\x8f\xa1\xa1z\xa4\xa2\n";
    std::string whole = convert_line(0, line);
    for (size_t cut = 0; cut <= line.size(); ++cut) {
        for (size_t cut2 = cut; cut2 <= line.size(); ++cut2) {
            kconv_state state = kconv_start(0);
            std::vector<unsigned char> out(kconv_room(line.size()));
            auto in = reinterpret_cast<const unsigned char*>(line.data());
            size_t n = convert_part(&state, out.data(), in, cut, false);
            n += convert_part(&state, out.data() + n, in + cut, cut2 - cut, false);
            n += convert_part(&state, out.data() + n, in + cut2, line.size() - cut2, true);
            EXPECT_EQ(std::string(reinterpret_cast<char*>(out.data()), n), whole) << cut << "," << cut2;
        }
    }
}

TEST(BinaryConvert, HexLines)
{
    EXPECT_EQ(hex_line(".h1b5b3031\n"), "\x1b\x5b\x30\x31");
    EXPECT_EQ(hex_line(".HaBcD\n"), "\xab\xcd");
    EXPECT_EQ(hex_line(".h1b5\n"), "");
    EXPECT_EQ(hex_line(".h 1b\n"), "");
    EXPECT_EQ(hex_line(".h1g\n"), "");
    EXPECT_EQ(hex_line(".h\n"), "");
}

TEST(Convert, AgreesWithTheCLibraryOverTheWholeTwoByteTable)
{
    // Every two-byte JIS code the C library knows, as EUC and as Shift-JIS,
    // must come out as that code between Kanji in and Roman out.
    int checked = 0;
    for (int row = 0x21; row <= 0x7E; ++row) {
        for (int column = 0x21; column <= 0x7E; ++column) {
            std::string jis = {'\033', '$', 'B', static_cast<char>(row), static_cast<char>(column),
                               '\033', '(', 'B', '\n'};
            std::string utf8 = iconv_text("UTF-8", "ISO-2022-JP", jis);
            if (utf8.empty())
                continue;
            std::string want = "\033$B" + jis.substr(3, 2) + "\033(J\n";
            std::string euc = iconv_text("EUC-JP", "UTF-8", utf8);
            std::string sjis = iconv_text("SHIFT_JIS", "UTF-8", utf8);
            ASSERT_FALSE(euc.empty()) << row << "," << column;
            EXPECT_EQ(convert_line(0, euc), want) << std::hex << row << "," << column;
            if (!sjis.empty()) {
                EXPECT_EQ(convert_line(1, sjis), want) << std::hex << row << "," << column;
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 6800);
}

TEST(Convert, CharacterCutOffByTheNewlineIsDroppedAndTheNewlineKept)
{
    const struct {
        int code;
        std::string in, out;
    } cases[] = {
        {0, "abc\xa4\n", "abc\n"},
        {0, "abc\x8e\n", "abc\n"},
        {0, "abc\x8f\n", "abc\n"},
        {0, "abc\x8f\xa1\n", "abc\n"},
        {0, "\xa4\xa2\xa4\n", "\x1b$B$\"\x1b(J\n"},
        {1, "abc\x82\n", "abc\n"},
        {1, "\x82\xa0\x88\n", "\x1b$B$\"\x1b(J\n"},
        {0, "\xa4\xa2\n", "\x1b$B$\"\x1b(J\n"},  // whole characters are unchanged
    };
    for (const auto& c : cases)
        EXPECT_EQ(convert_line(c.code, c.in), c.out) << c.in;
}

TEST(Convert, Utf8PrintsLikeTheSameTextInEuc)
{
    const struct {
        std::string utf8, euc;
    } cases[] = {
        {"\xe3\x81\x82z\n", "\xa4\xa2z\n"},                    // hiragana
        {"\xef\xbb\xbf" "a\n", "a\n"},                          // byte-order mark dropped
        {"\xef\xbd\xb1\n", "\x8e\xb1\n"},                       // half-width katakana
        {"\xf0\x9f\x98\x80\n", "\xa2\xae\n"},                  // no such character: geta
        {"a\xff\n", "a\xa2\xae\n"},                             // a byte UTF-8 never holds
        {"\xe3\x81\n", "\xa2\xae\n"},                           // cut off by the newline
        {"\xe0\x80\xaf\n", "\xa2\xae\n"},                       // overlong form
        {"\xed\xa0\x80\n", "\xa2\xae\n"},                       // surrogate
    };
    for (const auto& c : cases)
        EXPECT_EQ(convert_line(3, c.utf8), convert_line(0, c.euc)) << c.utf8;
}

TEST(Convert, Utf8AgreesWithEucOverTheWholeTwoByteTable)
{
    int checked = 0;
    for (int lead = 0xA1; lead <= 0xFE; ++lead)
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            const std::string euc = {char(lead), char(trail), '\n'};
            const std::string utf8 = iconv_text("UTF-8", "EUC-JP", euc);
            if (utf8.empty())
                continue;
            ASSERT_EQ(convert_line(3, utf8), convert_line(0, euc)) << lead << " " << trail;
            ++checked;
        }
    EXPECT_GT(checked, 6000);
}
