// The spooler's own filter runner, with the PPD, turns pictures and texts into
// the streams of the direct pixlane and textlane jobs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "private_spooler.h"
#include "spooler_fixture.h"

namespace {

using Words = std::vector<std::string>;

// The PPD's defaults as pixlane's words.
const Words ppd_picture = {"-cp", "1", "-ps", "A4", "-r", "240", "-di", "0"};

Words with(Words words, const Words& more)
{
    words.insert(words.end(), more.begin(), more.end());
    return words;
}

}  // namespace

TEST(CupsFilter, PicturesPrintAsPixlanePrintsThem)
{
    PrivateSpooler spooler;
    const struct {
        const char* format;
        std::vector<std::string> options;
        Words words;
    } cases[] = {
        {"JPEG", {}, with(ppd_picture, {"-la", "2"})},
        {"TIFF", {"-o", "Resolution=300dpi", "-o", "landscape"},
         {"-cp", "1", "-ps", "A4", "-po", "1", "-r", "300", "-di", "0", "-la", "2"}},
        {"PPM", {"-o", "media=A5", "-o", "Halftoning=Bayer", "-n", "2"},
         {"-cp", "2", "-ps", "A5", "-r", "240", "-di", "2", "-la", "2"}},
        {"GIF", {"-o", "fit-to-page"}, with(ppd_picture, {"-fi", "0", "-la", "2"})},
        // Types the spooler learns from lane.types.
        {"PCX", {}, with(ppd_picture, {"-la", "2"})},
        {"XWD", {}, with(ppd_picture, {"-la", "2"})},
        {"WEBP", {}, with(ppd_picture, {"-la", "2"})},
        {"IMG", {}, with(ppd_picture, {"-la", "2"})},
    };
    for (const auto& c : cases) {
        const std::string file = spooler.file(std::string("picture.") + c.format);
        write_file(file, picture_bytes(c.format, 40, 30));
        std::vector<std::string> args = {"-c", spooler.files_conf, "-p", spooler.ppd, "-m", "printer/lane", "-e"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(file);
        const ProgramResult r = run_cups("cupsfilter", args);
        ASSERT_EQ(r.status, 0) << c.format << "\n" << r.err;
        EXPECT_NE(r.err.find("PAGE: 1 "), std::string::npos) << r.err;
        EXPECT_EQ(r.out, direct_stream(PIXLANE_BIN, c.words, file)) << c.format;
    }
}

TEST(CupsFilter, TextsPrintAsTextlanePrintsThem)
{
    PrivateSpooler spooler;
    const struct {
        const char* encoding;
        const char* code;
    } cases[] = {{"EUC-JP", "0"}, {"SHIFT_JIS", "1"}, {"UTF-8", "3"}};
    for (const auto& c : cases) {
        const std::string file = spooler.file("text.txt");
        write_file(file, sample_text(c.encoding));
        const ProgramResult r = run_cups("cupsfilter", {"-c", spooler.files_conf, "-p", spooler.ppd, "-m",
                                                        "printer/lane", "-e", "-o", "cpi=12", file});
        ASSERT_EQ(r.status, 0) << c.encoding << "\n" << r.err;
        EXPECT_EQ(r.out, direct_stream(TEXTLANE_BIN, {"-cp", "1", "-ps", "A4", "-fs", "12", "12", "-fc", c.code}, file))
            << c.encoding;
    }
}

TEST(CupsFilter, ThePpdPassesTheSpoolersChecks)
{
    PrivateSpooler spooler;
    // cupstestppd looks for the filters under a root folder.
    const std::string root = spooler.file("root");
    std::filesystem::create_directories(root + "/usr/lib/cups");
    std::filesystem::create_directory_symlink(spooler.server_bin + "/filter", root + "/usr/lib/cups/filter");
    const ProgramResult r = run_cups("cupstestppd", {"-R", root, spooler.ppd});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out.rfind(spooler.ppd + ": PASS", 0), 0u) << r.out;
}
