#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "in_child.h"
#include "tevrak.h"

namespace {

// One getoption call as the caller sees it: the result, tvoptind and the
// first slots of tvoptarg.
struct Call {
    int result;
    int ind;
    std::vector<std::string> args;
};

const int kSlots = 4;

std::string slot_text(const char* p)
{
    return p == nullptr ? "<null>" : p;
}

// Calls getoption over `words` (program name first) with one parser until it
// has returned -3 twice.
std::vector<Call> trace(std::vector<std::string> words, const option_entry* table)
{
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    int argc = static_cast<int>(words.size());
    ChildResult child = run_in_child([&] {
        std::string out;
        option_parser parser;
        for (int ends = 0, guard = 0; ends < 2 && guard < 1000; ++guard) {
            int r = getoption(&parser, argc, argv.data(), table);
            ends += r == -3;
            out += std::to_string(r) + '\x1f' + std::to_string(parser.tvoptind);
            for (int i = 0; i < kSlots; ++i)
                out += '\x1f' + slot_text(parser.tvoptarg[i]);
            out += '\x1e';
        }
        return out;
    });
    EXPECT_TRUE(child.returned) << "parser child ended with status " << child.status;
    std::vector<Call> calls;
    size_t start = 0, end;
    while ((end = child.bytes.find('\x1e', start)) != std::string::npos) {
        std::vector<std::string> fields;
        std::string record = child.bytes.substr(start, end - start);
        size_t a = 0, b;
        while ((b = record.find('\x1f', a)) != std::string::npos) {
            fields.push_back(record.substr(a, b - a));
            a = b + 1;
        }
        fields.push_back(record.substr(a));
        calls.push_back({std::stoi(fields[0]), std::stoi(fields[1]),
                         std::vector<std::string>(fields.begin() + 2, fields.end())});
        start = end + 1;
    }
    return calls;
}

std::vector<int> results(const std::vector<Call>& calls)
{
    std::vector<int> r;
    for (const Call& c : calls)
        r.push_back(c.result);
    return r;
}

const option_entry kTable[] = {
    {"help", "help", 0},      // 0
    {"dpi", "r", 1},          // 1
    {"verbose", nullptr, -1}, // 2: a flag, first letter alone
    {"margin", "pm", 4},      // 3
    {"cp", nullptr, 1},       // 4
    {"quiet", "s", -1},       // 5: a flag with an alias
    {"dpi", "d", 0},          // 6: same name as row 1, never reached by "dpi"
    {nullptr, nullptr, 0},
};

}  // namespace

TEST(Optsrch, ExactNamesAndFirstLetterFlags)
{
    EXPECT_EQ(optsrch(kTable, "dpi"), 1);
    EXPECT_EQ(optsrch(kTable, "r"), 1);
    EXPECT_EQ(optsrch(kTable, "dp"), -1);     // no abbreviation
    EXPECT_EQ(optsrch(kTable, "DPI"), -1);    // case counts
    EXPECT_EQ(optsrch(kTable, "dpix"), -1);   // no prefix
    EXPECT_EQ(optsrch(kTable, "v"), 2);
    EXPECT_EQ(optsrch(kTable, "vxyz"), 2);
    EXPECT_EQ(optsrch(kTable, "verbose"), 2);
    EXPECT_EQ(optsrch(kTable, "sss"), 5);     // flag matched through its alias
    EXPECT_EQ(optsrch(kTable, "q"), 5);
    EXPECT_EQ(optsrch(kTable, "d"), 6);       // only the later row has "d"
    EXPECT_EQ(optsrch(kTable, ""), -1);       // a lone dash
    // "--version" reaches the table as "-version": no flag begins with a dash,
    // so the programs see it as unknown and can answer it themselves.
    EXPECT_EQ(optsrch(kTable, "-version"), -1);
}

TEST(Getoption, EmptyCommandLineEndsAtOnce)
{
    auto calls = trace({"prog"}, kTable);
    ASSERT_EQ(results(calls), (std::vector<int>{-3, -3}));
    EXPECT_EQ(calls[0].ind, 1);
    EXPECT_EQ(calls[0].args[0], "<null>");
}

TEST(Getoption, WordsOptionsAndFlags)
{
    auto calls = trace({"prog", "file", "-zz", "-", "-verbose", "-vxyz", "next", "-r", "300",
                        "-help", "-sq"},
                       kTable);
    ASSERT_EQ(results(calls), (std::vector<int>{-2, -1, -1, 2, 2, -2, 1, 0, 5, -3, -3}));
    EXPECT_EQ(calls[0].args[0], "file");
    EXPECT_EQ(calls[1].args[0], "-zz");
    EXPECT_EQ(calls[3].args[0], "-verbose");
    EXPECT_EQ(calls[4].args[0], "-vxyz");
    EXPECT_EQ(calls[5].args[0], "next");      // a flag takes no argument word
    EXPECT_EQ(calls[6].args[0], "300");
    EXPECT_EQ(calls[6].ind, 7);               // the option word, not its argument
    EXPECT_EQ(calls[7].args[0], "-help");     // nargs 0 keeps the option word
    EXPECT_EQ(calls[8].ind, 10);
}

TEST(Getoption, ArgumentsThatLookLikeOptionsAreTaken)
{
    auto calls = trace({"prog", "-cp", "-help", "-pm", "-r", "-1", "-cp", "x"}, kTable);
    ASSERT_EQ(results(calls), (std::vector<int>{4, 3, -3, -3}));
    EXPECT_EQ(calls[0].args[0], "-help");
    EXPECT_EQ(calls[1].args, (std::vector<std::string>{"-r", "-1", "-cp", "x"}));
}

TEST(Getoption, MissingArgumentsThenEnd)
{
    auto calls = trace({"prog", "-r", "1", "-pm", "7", "8"}, kTable);
    ASSERT_EQ(results(calls), (std::vector<int>{1, -4, -3, -3}));
    EXPECT_EQ(calls[1].ind, 3);
    EXPECT_EQ(calls[1].args[0], "7");
    EXPECT_EQ(calls[1].args[1], "8");        // surplus words stay delivered
    EXPECT_EQ(calls[2].ind, 3);               // -3 changes nothing
}

TEST(Getoption, FirstRowWins)
{
    auto calls = trace({"prog", "-dpi", "5", "-d"}, kTable);
    ASSERT_EQ(results(calls), (std::vector<int>{1, 6, -3, -3}));
}

TEST(Getoption, MoreArgumentWordsThanSlots)
{
    const option_entry table[] = {{"many", nullptr, 60}, {"x", nullptr, 0}, {nullptr, nullptr, 0}};
    std::vector<std::string> words = {"prog", "-many"};
    for (int i = 0; i < 60; ++i)
        words.push_back("a" + std::to_string(i));
    words.push_back("-x");
    auto calls = trace(words, table);
    // All 60 words are consumed; only the slots that exist are filled.
    ASSERT_EQ(results(calls), (std::vector<int>{0, 1, -3, -3}));
    EXPECT_EQ(calls[0].args[3], "a3");
    EXPECT_EQ(calls[1].ind, 62);
}

TEST(Getoption, RandomWordsNeverCrash)
{
    const char* vocabulary[] = {"-", "--", "", "-r", "-dpi", "-pm", "-v", "-verbose", "-help",
                                "-s", "-cp", "x", "-1", "300x600", "-\xff", "\xff", "-d", "-q"};
    const int n = sizeof vocabulary / sizeof *vocabulary;
    unsigned seed = 12345;
    for (int round = 0; round < 60; ++round) {
        std::vector<std::string> words = {"prog"};
        seed = seed * 1103515245u + 12345u;
        int count = static_cast<int>(seed >> 16) % 12;
        for (int i = 0; i < count; ++i) {
            seed = seed * 1103515245u + 12345u;
            words.push_back(vocabulary[(seed >> 16) % n]);
        }
        auto calls = trace(words, kTable);
        ASSERT_GE(calls.size(), 2u);
        EXPECT_EQ(calls.back().result, -3);
        EXPECT_LE(calls.size(), words.size() + 1);
    }
}
