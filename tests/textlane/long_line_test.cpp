// Lines longer than the input buffer go through in parts and print exactly as
// they would in one piece.
#include "job_runner.h"
#include "page.h"

#include <gtest/gtest.h>

namespace {

std::string text_job(const std::string& input, int code, int filter_mode = 0)
{
    TextSettings s = defaults();
    s.kanji_code = code;
    s.filter_mode = filter_mode;
    std::string out = run_job(s, input);
    std::string head = setup_stream();
    EXPECT_EQ(out.compare(0, head.size(), head), 0);
    EXPECT_EQ(out.substr(out.size() - end_of_job.size()), end_of_job);
    return out.substr(head.size(), out.size() - head.size() - end_of_job.size());
}

// A line of `length` bytes, newline included: "x" padding, then ASCII letters
// alternating with the two-byte character `pair` (the most mode changes a line
// can hold), and what the printer should receive for it.
struct Case {
    std::string line;
    std::string printed;
};

Case alternating(size_t length, const std::string& pair)
{
    size_t units = (length - 1) / 3;
    size_t pad = length - 1 - 3 * units;
    Case c{std::string(pad, 'x'), std::string(pad, 'x')};
    for (size_t i = 0; i < units; ++i) {
        c.line += "A" + pair;
        c.printed += (i == 0 ? "A" : "\017A") + std::string("\033n\x30\x21");
    }
    c.line += "\n";
    c.printed += units > 0 ? "\017\n" : "\n";
    return c;
}

}  // namespace

TEST(LongLines, AlternatingKanjiAndAsciiAroundTheBufferSize)
{
    // 10242 puts a character's two bytes on either side of the part boundary.
    for (size_t length : {10239, 10240, 10241, 10242, 10243, 100000}) {
        SCOPED_TRACE(length);
        Case euc = alternating(length, "\xb0\xa1");
        ASSERT_EQ(euc.line.size(), length);
        EXPECT_EQ(text_job(euc.line, 0), euc.printed);
        Case sjis = alternating(length, "\x88\x9f");
        EXPECT_EQ(text_job(sjis.line, 1), sjis.printed);
    }
}

TEST(LongLines, PlainLinesAroundTheBufferSizeAndTheLineAfterThem)
{
    for (size_t length : {10239, 10240, 10241, 100000}) {
        SCOPED_TRACE(length);
        std::string line(length - 1, 'q');
        line += "\n";
        EXPECT_EQ(text_job(line + "\xa4\xa2\n", 0), line + "\033n\x24\x22\017\n");
        // Without its newline, too.
        EXPECT_EQ(text_job(line.substr(0, length - 1), 0), line.substr(0, length - 1));
    }
}

TEST(LongLines, EscapeSequencesAcrossThePartBoundary)
{
    const std::string sequences[] = {"\033$B", "\033$@", "\033&@\033$B", "\033$(Q", "\033(J",
                                     "\033&@\033$@", "\033&@\033(B", "\033$", "\033"};
    for (const std::string& seq : sequences) {
        std::string tail = seq + "\x30\x21\033(Bz\n";
        std::string short_out = text_job("x" + tail, 2).substr(1);
        for (size_t before = LINE_SIZE - 6; before <= LINE_SIZE; ++before) {
            SCOPED_TRACE(before);
            std::string pad(before, 'x');
            EXPECT_EQ(text_job(pad + tail, 2), pad + short_out);
        }
    }
}

TEST(LongLines, PassThroughLinesLongerThanTheBuffer)
{
    std::string hex;
    std::string bytes;
    for (int i = 0; i < 15000; ++i) {
        static const char digits[] = "0123456789abcdef";
        unsigned char b = static_cast<unsigned char>(i * 7);
        hex += digits[b >> 4];
        hex += digits[b & 15];
        bytes += static_cast<char>(b);
    }
    EXPECT_EQ(text_job(".h" + hex + "\nz\n", 0, 1), bytes + "z\n");
    // One bad digit far into the line, or an odd one at its end, voids it all.
    EXPECT_EQ(text_job(".h" + hex + "g0\nz\n", 0, 1), "z\n");
    EXPECT_EQ(text_job(".h" + hex + "0\nz\n", 0, 1), "z\n");

    std::string raw(30000, '\033');
    EXPECT_EQ(text_job("\\" + raw + "\nz\n", 0, 1), raw + "\nz\n");
}
