// --version on every program: the name and the project's version on standard
// output, status 0, nothing else; the filters' own options are not taken for it.
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lane_version.h"
#include "run_program.h"

namespace {

struct VersionRow {
    const char* program;
    const char* path;
    std::vector<std::string> args;
    bool answers;   // prints the version and nothing else
};

const VersionRow kRows[] = {
    {"pixlane", PIXLANE_BIN, {"--version"}, true},
    {"textlane", TEXTLANE_BIN, {"--version"}, true},
    {"laneview", LANEVIEW_BIN, {"--version"}, true},
    {"imagetolane", IMAGETOLANE_BIN, {"--version"}, true},
    {"texttolane", TEXTTOLANE_BIN, {"--version"}, true},
    // After options, as any option word.
    {"pixlane", PIXLANE_BIN, {"-va", "1,2,3", "-r", "300", "--version"}, true},
    {"textlane", TEXTLANE_BIN, {"-cp", "2", "--version", "-help"}, true},
    {"laneview", LANEVIEW_BIN, {"--scale", "2", "--version"}, true},
    // An option's argument word is the argument, and one dash is not --version.
    {"pixlane", PIXLANE_BIN, {"-in", "--version"}, false},
    {"pixlane", PIXLANE_BIN, {"-version"}, false},
    {"textlane", TEXTLANE_BIN, {"-version"}, false},
    {"laneview", LANEVIEW_BIN, {"-version"}, false},
    // A spooler's six words are a job, whatever its title.
    {"imagetolane", IMAGETOLANE_BIN, {"1", "user", "--version", "1", ""}, false},
};

}  // namespace

TEST(Version, EveryProgramAnswersAndNothingElseDoes)
{
    for (const VersionRow& row : kRows) {
        std::string words;
        for (const std::string& a : row.args)
            words += " " + a;
        SCOPED_TRACE(row.program + words);
        const ProgramResult r = run_program(row.path, row.args);
        const std::string answer = std::string(row.program) + " " + lane_version + "\n";
        if (row.answers) {
            EXPECT_EQ(r.out, answer);
            EXPECT_EQ(r.err, "");
            EXPECT_EQ(r.status, 0);
        } else {
            EXPECT_EQ(r.out.find(lane_version), std::string::npos);
        }
    }
}

TEST(Version, ThePpdFileHasTheSameNumber)
{
    std::ifstream ppd(LANE_PPD);
    ASSERT_TRUE(ppd) << LANE_PPD;
    std::string line, found;
    while (std::getline(ppd, line))
        if (line.rfind("*FileVersion:", 0) == 0)
            found = line;
    EXPECT_EQ(found, std::string("*FileVersion: \"") + lane_version + "\"");
}
