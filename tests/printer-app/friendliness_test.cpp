// What a person meets: the printer's own icon and whole device ID, every
// option listed, both trays, file devices that make their files, plain
// words for a device that cannot be used, and previews after a restart.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "app_server.h"

namespace {

std::string printer_attributes(const AppServer& app)
{
    return run_program(ipptool_program(), {"-tv", app.uri("lane"), "/usr/share/cups/ipptool/get-printer-attributes.test"})
        .out;
}

size_t count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

}  // namespace

TEST(PrinterAppFriendliness, TheWebInterfaceAndTheSubCommandsShowEverything)
{
    AppServer app;
    ASSERT_FALSE(app.start_with_file_printer("lane").empty()) << read_file(app.dir.file("output"));
    if (!ipptool_program().empty()) {
        const std::string attributes = printer_attributes(app);
        EXPECT_NE(attributes.find("printer-device-id (textWithoutLanguage) = MFG:Lane;MDL:Lane Printer;CMD:LANE,"),
                  std::string::npos) << attributes;
        EXPECT_NE(attributes.find(",TXT;CLS:PRINTER;DES:Lane page printer;\n"), std::string::npos);
        for (const char* name : {"lane-halftoning-supported", "lane-brightness-default", "lane-gamma-supported"})
            EXPECT_NE(attributes.find(name), std::string::npos) << name;
    }
    const std::string options = app.run({"options", "-d", "lane"}).out;
    for (const char* line : {"-o lane-halftoning=error-diffusion, ", "-o lane-brightness=0 to 200",
                             "-o lane-gamma=1 to 10000", "-o print-scaling=auto, auto-fit, fill, fit, none"})
        EXPECT_NE(options.find(line), std::string::npos) << line << " in\n" << options;
    EXPECT_EQ(count(app.http_get("/lane/media"), "Media:</th>"), 2u);
    const std::string icon = app.http_get("/lane/icon-md.png");
    EXPECT_EQ(icon.substr(icon.find("\r\n\r\n") + 4), read_file(SAMPLES_DIR "/../printer-app/icons/icon-md.png"));
}

TEST(PrinterAppFriendliness, FileDevicesMakeTheirFilesOnePerJobInAFolder)
{
    AppServer app;
    ASSERT_TRUE(app.start()) << read_file(app.dir.file("output"));
    const std::string made = app.dir.file("made.prn");
    ASSERT_TRUE(app.add_printer("single", "file://" + made));
    struct stat info;
    EXPECT_EQ(stat(made.c_str(), &info), 0);
    const ProgramResult bad = app.run({"add", "-d", "bad", "-v", "lpd://host/queue", "-m", "lane"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("Devices of the scheme 'lpd' cannot be used here"), std::string::npos) << bad.err;
    EXPECT_NE(app.run({"add", "-d", "bad", "-v", "file:///no/such/folder/x", "-m", "lane"}).err.find(
                  "Cannot write to '/no/such/folder/x': No such file or directory."),
              std::string::npos);

    const std::string folder = app.dir.file("jobs");
    mkdir(folder.c_str(), 0755);
    ASSERT_TRUE(app.add_printer("lane", "file://" + folder));
    const std::string text = app.dir.file("same.txt");
    write_file(text, "one page\n");
    for (int job = 1; job <= 3; ++job)
        ASSERT_GT(app.submit("lane", text), 0);
    ASSERT_TRUE(app.wait_idle("lane"));
    const std::vector<std::string> expected = {"1-same.txt.prn", "2-same.txt.prn", "3-same.txt.prn"};
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path().filename());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, expected);

    // The pictures of printed pages outlive a restart.
    app.stop();
    ASSERT_TRUE(app.start()) << read_file(app.dir.file("output"));
    const std::string page = app.http_get("/lane-pages");
    EXPECT_NE(page.find("<img src=\"/lane-pages/2-3.png\""), std::string::npos) << page << app.jobs("lane");
    EXPECT_NE(app.http_get("/lane-pages/2-3.png").find("\x89PNG\r\n"), std::string::npos);
}
