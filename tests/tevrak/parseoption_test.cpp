#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tevrak.h"

namespace {

// An argument vector the test owns, null-terminated like a real one.
struct Argv {
    std::vector<std::string> words;
    std::vector<char*> ptrs;
    explicit Argv(std::vector<std::string> w) : words(std::move(w))
    {
        for (std::string& s : words)
            ptrs.push_back(s.data());
        ptrs.push_back(nullptr);
    }
    int argc() const { return static_cast<int>(words.size()); }
    char** argv() { return ptrs.data(); }
    std::vector<std::string> first(int n) const
    {
        return std::vector<std::string>(ptrs.begin(), ptrs.begin() + n);
    }
};

int handler_argc;
char** handler_argv;
int handler_result;

int remember(int argc, char** argv)
{
    handler_argc = argc;
    handler_argv = argv;
    return handler_result;
}

}  // namespace

TEST(Parseoption, CompactsPlainWordsAndStoresValues)
{
    Argv a({"prog", "a", "-o", "out.txt", "b", "-n", "42x", "--verbose", "c", "-files", "-unknown"});
    parse_entry table[] = {
        {"-v", "--verbose", 0, 0, {}},
        {"-o", "-o", 1, 1, {}},
        {"-files", "-files", 2, 0, {}},
        {"-n", "-num", 3, 1, {}},
        {nullptr, nullptr, 0, 0, {}},
    };
    int argc = a.argc();
    option_parser parser;
    EXPECT_EQ(parseoption(&parser, &argc, a.argv(), table), 4);
    EXPECT_EQ(argc, 5);
    EXPECT_EQ(a.first(5), (std::vector<std::string>{"prog", "a", "b", "c", "-unknown"}));
    EXPECT_STREQ(table[0].value.text, "--verbose");
    EXPECT_STREQ(table[1].value.text, "out.txt");
    EXPECT_EQ(table[2].value.list, a.argv() + 1);
    EXPECT_EQ(table[3].value.integer, 42);
}

TEST(Parseoption, HandlerDecidesHowManyWordsItUsed)
{
    Argv a({"prog", "-h", "x", "y", "z"});
    parse_entry table[] = {{"-h", "-h", 4, 0, {}}, {nullptr, nullptr, 0, 0, {}}};
    table[0].value.handler = remember;
    handler_result = 2;
    int argc = a.argc();
    option_parser parser;
    EXPECT_EQ(parseoption(&parser, &argc, a.argv(), table), 1);
    EXPECT_EQ(handler_argc, 4);
    EXPECT_EQ(handler_argv, a.argv() + 1);
    EXPECT_EQ(a.first(2), (std::vector<std::string>{"prog", "z"}));
}

TEST(Parseoption, HandlerCannotMoveOutsideTheVector)
{
    parse_entry table[] = {{"-h", "-h", 4, 0, {}}, {nullptr, nullptr, 0, 0, {}}};
    table[0].value.handler = remember;
    for (int used : {-5, -1, 1000}) {
        Argv a({"prog", "w", "-h", "x"});
        handler_result = used;
        int argc = a.argc();
        option_parser parser;
        int kept = parseoption(&parser, &argc, a.argv(), table);
        // A negative count reads as none; a huge one as every word left.
        EXPECT_EQ(kept, used < 0 ? 2 : 1) << used;
    }
}

TEST(Parseoption, OptionLackingItsWordStops)
{
    Argv a({"prog", "a", "-o", "b", "-o"});
    parse_entry table[] = {{"-o", "-o", 1, 1, {}}, {nullptr, nullptr, 0, 0, {}}};
    int argc = a.argc();
    option_parser parser;
    EXPECT_EQ(parseoption(&parser, &argc, a.argv(), table), -1);
    EXPECT_EQ(parser.tvoptind, 4);
    EXPECT_EQ(argc, 5);  // not updated
    EXPECT_STREQ(table[0].value.text, "b");
}

TEST(Parseoption, RowsWithoutWordsOrAliasAreSafe)
{
    Argv a({"prog", "-n", "-t"});
    // Kinds that read the next word on rows that take none, and a missing alias.
    parse_entry table[] = {{"-n", nullptr, 3, 0, {}}, {"-t", "-t", 1, 0, {}}, {nullptr, nullptr, 0, 0, {}}};
    table[0].value.integer = 7;
    table[1].value.text = nullptr;
    int argc = a.argc();
    option_parser parser;
    EXPECT_EQ(parseoption(&parser, &argc, a.argv(), table), 0);
    EXPECT_EQ(table[0].value.integer, 0);  // atoi of "-t"
    EXPECT_EQ(table[1].value.text, nullptr);
}

TEST(Convert, CatoiAndCatof)
{
    int i = -99;
    EXPECT_EQ(catoi("12abc", &i), 0);
    EXPECT_EQ(i, 12);
    EXPECT_EQ(catoi(" -7", &i), 0);
    EXPECT_EQ(i, -7);
    EXPECT_EQ(catoi("abc", &i), -1);
    EXPECT_EQ(catoi("", &i), -1);
    EXPECT_EQ(catoi(nullptr, &i), -1);
    EXPECT_EQ(i, -7);

    float f = -1.0f;
    EXPECT_EQ(catof("0.1xyz", &f), 0);
    EXPECT_EQ(f, 0.1f);  // single precision, not 0.1 as a double
    EXPECT_EQ(catof("x1", &f), -1);
    EXPECT_EQ(f, 0.1f);
}
