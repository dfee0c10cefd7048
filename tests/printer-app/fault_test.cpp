// Faults at the printer: a connection dropped mid-job, a job cancelled while
// it prints, and two printers printing at once.
#include <gtest/gtest.h>

#include <thread>

#include "app_server.h"
#include "fake_printer.h"
#include "picture_maker.h"
#include "spooler_fixture.h"

namespace {

// A picture whose stream is a few hundred kilobytes: printed at 600 dpi,
// fitted to an A4 page.
struct LargePicture {
    std::string file;
    std::vector<std::string> options = {"printer-resolution=600dpi", "print-scaling=fit"};
    std::string stream;  // what imagetolane writes for it

    explicit LargePicture(const AppServer& app) : file(app.dir.file("large.gif"))
    {
        write_file(file, picture_bytes("GIF", 300, 400));
        const FilterRun run = run_filter(IMAGETOLANE_BIN, "1", "Resolution=600dpi media=A4 print-scaling=fit", file);
        EXPECT_EQ(run.result.status, 0) << run.result.err;
        stream = run.result.out;
    }
};

// What Get-Printer-Attributes says of the printer's state.
std::string printer_state(const AppServer& app, const std::string& name)
{
    const std::string ipptool = ipptool_program();
    if (ipptool.empty())
        return {};
    return run_program(ipptool, {"-tv", app.uri(name), "/usr/share/cups/ipptool/get-printer-attributes.test"}).out;
}

}  // namespace

TEST(PrinterAppFaults, AConnectionDroppedMidJobIsResentWholeWhenThePrinterIsBack)
{
    AppServer app;
    ASSERT_TRUE(app.start()) << read_file(app.dir.file("output"));
    FakePrinter printer;
    printer.drop_after = 20000;
    printer.away_ms = 3000;
    printer.start();
    ASSERT_TRUE(app.add_printer("lane", printer.uri()));
    const LargePicture picture(app);
    ASSERT_GT(picture.stream.size(), 4 * printer.drop_after);

    ASSERT_GT(app.submit("lane", picture.file, picture.options), 0);
    ASSERT_TRUE(printer.wait_closed(1));
    // While the printer is away the job is not complete and the printer says why.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(app.jobs("lane").find("completed"), std::string::npos) << app.jobs("lane");
    if (!ipptool_program().empty()) {
        EXPECT_NE(printer_state(app, "lane").find("offline"), std::string::npos);
    }
    ASSERT_TRUE(app.wait_idle("lane"));
    EXPECT_NE(app.jobs("lane").find("completed"), std::string::npos) << app.jobs("lane");

    const std::vector<std::string> connections = printer.connections();
    ASSERT_EQ(connections.size(), 2u);
    EXPECT_GE(connections[0].size(), printer.drop_after);
    EXPECT_TRUE(connections[1] == picture.stream) << connections[1].size() << " bytes, not " << picture.stream.size();
}

TEST(PrinterAppFaults, ACancelledJobEndsItsPageAndResetsThePrinter)
{
    AppServer app;
    ASSERT_TRUE(app.start()) << read_file(app.dir.file("output"));
    FakePrinter printer;
    printer.read_delay_ms = 5;
    printer.start();
    ASSERT_TRUE(app.add_printer("lane", printer.uri()));
    const LargePicture picture(app);

    const int job = app.submit("lane", picture.file, picture.options);
    ASSERT_GT(job, 0);
    ASSERT_TRUE(printer.wait_bytes(8000));
    ASSERT_EQ(app.run({"cancel", "-d", "lane", "-j", std::to_string(job)}).status, 0);
    ASSERT_TRUE(app.wait_idle("lane"));
    EXPECT_NE(app.jobs("lane").find("canceled"), std::string::npos) << app.jobs("lane");
    ASSERT_TRUE(printer.wait_closed(1));

    const std::string sent = printer.connections().at(0);
    EXPECT_LT(sent.size(), picture.stream.size());
    // The page ends with its form feed, then the printer is reset.
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(sent.substr(sent.size() - 3), "\f\x1b<");
    const ProgramResult check = run_program(LANEVIEW_BIN, {}, sent);
    EXPECT_EQ(check.status, 0) << check.out << check.err;
}

TEST(PrinterAppFaults, TwoPrintersPrintingAtOnceEachGetTheirWholeStream)
{
    AppServer app;
    ASSERT_TRUE(app.start()) << read_file(app.dir.file("output"));
    FakePrinter first, second;
    first.start();
    second.start();
    ASSERT_TRUE(app.add_printer("first", first.uri()));
    ASSERT_TRUE(app.add_printer("second", second.uri()));
    const LargePicture picture(app);
    const std::string text = app.dir.file("text.txt");
    write_file(text, sample_text("UTF-8"));

    ASSERT_GT(app.submit("first", picture.file, picture.options), 0);
    ASSERT_GT(app.submit("second", picture.file, picture.options), 0);
    ASSERT_GT(app.submit("second", text), 0);
    ASSERT_TRUE(app.wait_idle("first"));
    ASSERT_TRUE(app.wait_idle("second"));
    ASSERT_TRUE(first.wait_closed(1));
    ASSERT_TRUE(second.wait_closed(1));
    EXPECT_TRUE(first.connections().at(0) == picture.stream);
    // Jobs queued one after the other share one connection.
    const std::string both = picture.stream + run_filter(TEXTTOLANE_BIN, "1", "", text).result.out;
    EXPECT_TRUE(second.connections().at(0) == both) << second.connections().at(0).size() << " bytes, not " << both.size();
}
