// The manual pages: each renders without a warning, and each documents every
// option its program's usage text lists, and every choice of the PPD file.
#include <dirent.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run_program.h"

namespace {

const std::string kManDir = MAN_DIR;

// The page as a reader sees it: mandoc's plain text, overstrikes removed.
std::string rendered(const std::string& page)
{
    const ProgramResult r = run_program("/usr/bin/mandoc", {"-T", "ascii", kManDir + "/" + page});
    EXPECT_EQ(r.status, 0) << page << ": " << r.err;
    std::string text;
    for (char c : r.out) {
        if (c == '\b' && !text.empty())
            text.pop_back();
        else
            text += c;
    }
    return text;
}

// True when `word` stands in `text` as a word of its own ("-x" is not "-xs").
bool has_word(const std::string& text, const std::string& word)
{
    const auto part = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'; };
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const bool starts = at == 0 || !part(text[at - 1]);
        const size_t end = at + word.size();
        if (starts && (end == text.size() || !part(text[end])))
            return true;
    }
    return false;
}

// The option words of a usage text: the first word of each line that begins with blanks and a dash.
std::set<std::string> usage_options(const std::string& usage)
{
    std::set<std::string> options;
    std::istringstream lines(usage);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t at = line.find_first_not_of(' ');
        if (at == 0 || at == std::string::npos || line[at] != '-')
            continue;
        options.insert(line.substr(at, line.find_first_of(" \t", at) - at));
    }
    return options;
}

}  // namespace

TEST(ManualPages, EachRendersWithoutWarnings)
{
    std::vector<std::string> pages;
    if (DIR* dir = opendir(kManDir.c_str())) {
        while (const dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name.size() > 2 && name[name.size() - 2] == '.' && std::isdigit(static_cast<unsigned char>(name.back())))
                pages.push_back(name);
        }
        closedir(dir);
    }
    EXPECT_GE(pages.size(), 6u);
    for (const std::string& page : pages) {
        const std::string path = kManDir + "/" + page;
        const ProgramResult lint = run_program("/usr/bin/mandoc", {"-T", "lint", "-W", "warning", path});
        EXPECT_EQ(lint.out + lint.err, "") << page;
        EXPECT_EQ(lint.status, 0) << page;
        // What man -l runs, with every warning on.
        const ProgramResult troff = run_program("/usr/bin/groff", {"-ww", "-man", "-z", path});
        EXPECT_EQ(troff.out + troff.err, "") << page;
        EXPECT_EQ(troff.status, 0) << page;
    }
}

TEST(ManualPages, DocumentEveryOptionOfTheUsageText)
{
    const struct {
        const char* page;
        const char* program;
        const char* help;
        bool on_stdout;
    } kPrograms[] = {
        {"pixlane.1", PIXLANE_BIN, "-help", false},
        {"textlane.1", TEXTLANE_BIN, "-help", false},
        {"laneview.1", LANEVIEW_BIN, "--help", true},
    };
    for (const auto& p : kPrograms) {
        const ProgramResult usage = run_program(p.program, {p.help});
        ASSERT_EQ(usage.status, 0) << p.program;
        std::set<std::string> options = usage_options(p.on_stdout ? usage.out : usage.err);
        EXPECT_GE(options.size(), 5u) << p.program;
        options.insert("--version");
        const std::string text = rendered(p.page);
        for (const std::string& option : options)
            EXPECT_TRUE(has_word(text, option)) << p.page << " does not document " << option;
    }
}

TEST(ManualPages, DocumentEveryChoiceOfThePpdFile)
{
    std::ifstream ppd(LANE_PPD);
    ASSERT_TRUE(ppd) << LANE_PPD;
    const std::string text = rendered("lane.ppd.5");
    std::string line;
    int keywords = 0;
    while (std::getline(ppd, line)) {
        if (line.rfind("*OpenUI *", 0) != 0)
            continue;
        const std::string keyword = line.substr(9, line.find_first_of("/:") - 9);
        ++keywords;
        EXPECT_TRUE(has_word(text, keyword)) << "lane.ppd.5 does not document " << keyword;
    }
    EXPECT_GE(keywords, 3);
}
