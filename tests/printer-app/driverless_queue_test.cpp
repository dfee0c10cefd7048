// A desktop printing with no driver: a private cupsd with an IPP Everywhere
// queue (-m everywhere) for the Printer Application, on its address and on
// the DNS-SD URI a desktop finds, and lp of a PDF and a JPEG; the app's file
// device must get a well-formed stream of the right number of pages.
#include <gtest/gtest.h>

#include <string>

#include <unistd.h>

#include "app_server.h"
#include "picture_maker.h"
#include "private_avahi.h"
#include "private_cupsd.h"

namespace {

// laneview's verdict on a stream: its exit status and report.
ProgramResult view(const std::string& stream)
{
    return run_program(LANEVIEW_BIN, {}, stream);
}

// An everywhere queue on `uri` for the app's printer "lane" (whose device
// is the file `device`), then lp of a PDF and a JPEG through it.
void print_through_everywhere_queue(const AppServer& app, const std::string& device, const std::string& uri)
{
    PrivateCupsd cupsd(true);
    if (!cupsd.start())
        GTEST_SKIP() << "cupsd cannot start here";
    ProgramResult r = run_cups("lpadmin", {"-h", cupsd.host, "-p", "lane-ipp", "-E", "-v", uri, "-m", "everywhere"});
    ASSERT_EQ(r.status, 0) << r.err << r.out;

    const std::string pdf = app.dir.file("two-pages.pdf");
    write_file(pdf, small_pdf(2, 595, 842));
    const std::string jpeg = app.dir.file("photo.jpg");
    write_file(jpeg, picture_bytes("JPEG", 120, 80));
    const struct {
        const std::string& file;
        const char* pages;
    } jobs[] = {{pdf, "2 pages"}, {jpeg, "1 page"}};
    for (const auto& job : jobs) {
        SCOPED_TRACE(job.file);
        write_file(device, "");
        r = run_cups("lp", {"-h", cupsd.host, "-d", "lane-ipp", job.file});
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_TRUE(cupsd.wait_for_queue("lane-ipp")) << cupsd.log();
        ASSERT_TRUE(app.wait_idle("lane"));
        const std::string stream = read_file(device);
        const ProgramResult verdict = view(stream);
        EXPECT_EQ(verdict.status, 0) << verdict.out << verdict.err;
        EXPECT_NE(verdict.out.find(job.pages), std::string::npos) << verdict.out;
    }
}

}  // namespace

TEST(PrinterAppDriverless, LpThroughAnEverywhereQueueReachesTheDevice)
{
    AppServer app;
    const std::string device = app.start_with_file_printer("lane");
    ASSERT_FALSE(device.empty()) << read_file(app.dir.file("output"));
    print_through_everywhere_queue(app, device, app.uri("lane"));
}

// The queue made on the URI the spooler's driverless program lists, as a
// desktop's printer dialog makes it: the spooler finds the app through a
// private avahi-daemon.
TEST(PrinterAppDriverless, AQueueOnTheDnssdUriPrints)
{
    PrivateAvahi avahi;
    if (!avahi.start())
        GTEST_SKIP() << "no private avahi-daemon: " << avahi.why_not;
    AppServer app;
    const std::string device = app.start_with_file_printer("lane");
    ASSERT_FALSE(device.empty()) << read_file(app.dir.file("output"));
    const std::string uri = "ipp://lane._ipp._tcp.local/";
    std::string listed;
    for (int attempt = 0; attempt < 10 && listed.find(uri) == std::string::npos; ++attempt)
        if ((listed = run_program("/usr/bin/timeout", {"20", "driverless"}).out).find(uri) == std::string::npos)
            usleep(300000);
    ASSERT_NE(listed.find(uri), std::string::npos) << listed;
    print_through_everywhere_queue(app, device, uri);
}
