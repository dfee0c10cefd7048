// The web interface as a person uses it, in Debian's chromium driven by
// playwright-core (tests/printer-app/browser, installed by npm): skipped
// when either is missing.
#include <gtest/gtest.h>

#include <unistd.h>

#include "app_server.h"

namespace {

const std::string browser_dir = SAMPLES_DIR "/../tests/printer-app/browser";

// Screenshots go to the test's own folder (docs/ holds copies of them, taken by hand).
ProgramResult web_test(const AppServer& app, const std::string& step)
{
    return run_program("/usr/bin/node", {browser_dir + "/web_test.mjs", "http://127.0.0.1:" + std::to_string(app.port),
                                         "lane", app.dir.path(), step});
}

}  // namespace

TEST(PrinterAppBrowser, StatusPreviewsLabelsAndDefaultsWorkInChromium)
{
    if (access("/usr/bin/chromium", X_OK) != 0 || access("/usr/bin/node", X_OK) != 0)
        GTEST_SKIP() << "chromium or node is not installed";
    if (access((browser_dir + "/node_modules/playwright-core").c_str(), R_OK) != 0 &&
        run_program("/usr/bin/npm", {"ci", "--prefix", browser_dir, "--no-audit", "--no-fund"}).status != 0)
        GTEST_SKIP() << "playwright-core cannot be installed from the npm registry";
    AppServer app;
    const std::string device = app.start_with_file_printer("lane");
    ASSERT_FALSE(device.empty()) << read_file(app.dir.file("output"));
    const std::string text = app.dir.file("page.txt");
    write_file(text, "A page for the preview.\n");
    ASSERT_GT(app.submit("lane", text), 0);
    ASSERT_TRUE(app.wait_idle("lane"));
    const std::string before = read_file(device);

    ProgramResult r = web_test(app, "first");
    ASSERT_EQ(r.status, 0) << r.err << r.out;
    // The next job is halftoned as the form chose.
    const std::string picture = app.dir.file("photo.pgm");
    write_file(picture, read_file(SAMPLES_DIR "/sample.pgm"));
    ASSERT_GT(app.submit("lane", picture), 0);
    ASSERT_TRUE(app.wait_idle("lane"));
    EXPECT_NE(printed_as(app.log()).find("-di 5 -la 2"), std::string::npos) << printed_as(app.log());

    app.stop();
    ASSERT_TRUE(app.start()) << read_file(app.dir.file("output"));
    r = web_test(app, "again");
    EXPECT_EQ(r.status, 0) << r.err << r.out;
}
