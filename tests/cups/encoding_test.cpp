// The encoding of a text found from its bytes.
#include <gtest/gtest.h>

#include <iconv.h>

#include <cstdio>
#include <string>

#include "text_encoding.h"

namespace {

// The UTF-8 text in another encoding, through the C library.
std::string encoded(const std::string& utf8, const char* encoding)
{
    iconv_t cd = iconv_open(encoding, "UTF-8");
    std::string out(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t in_left = utf8.size();
    char* op = out.data();
    size_t out_left = out.size();
    EXPECT_NE(iconv(cd, &in, &in_left, &op, &out_left), static_cast<size_t>(-1)) << encoding;
    iconv(cd, nullptr, nullptr, &op, &out_left);  // back to ASCII at the end
    iconv_close(cd);
    out.resize(out.size() - out_left);
    return out;
}

int code_of(const std::string& bytes)
{
    FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fseek(f, 1, SEEK_SET);  // the scan starts where the stream stands and returns there
    const int code = detect_input_code(f);
    EXPECT_EQ(std::ftell(f), 1);
    std::fclose(f);
    return code;
}

const std::string japanese = "xお知らせ：東京都千代田区の会議は十時から始まります。\n漢字とかなの文章です。\n";
const std::string kanji_only = "x漢字文章\n";  // no kana: the statistics decide

}  // namespace

TEST(TextEncoding, FoundFromTheBytes)
{
    const struct {
        std::string bytes;
        int code;
    } cases[] = {
        {encoded(japanese, "EUC-JP"), 0},
        {encoded(japanese, "SHIFT_JIS"), 1},
        {encoded(japanese, "ISO-2022-JP"), 2},
        {japanese, 3},
        {encoded(kanji_only, "EUC-JP"), 0},
        {encoded(kanji_only, "SHIFT_JIS"), 1},
        {"x\xEF\xBB\xBFplain after a byte-order mark\n", 3},
        {"xplain ASCII\ttext\f\n", 0},
        {"x", 0},
        {encoded(japanese, "EUC-JP") + "\x8E", 0},                 // cut at the end: still EUC
        {"x\x80\xFF\x80\xFF\x80\xFF binary\n", -1},                // no encoding reads it
        {std::string("xwide\0t\0e\0x\0t\0", 15), -1},               // NUL bytes: not text
        {encoded(japanese, "UTF-16LE"), -1},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(code_of(cases[i].bytes), cases[i].code) << i;
}
