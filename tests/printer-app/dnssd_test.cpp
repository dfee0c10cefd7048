// Finding the printer: advertised through a private avahi-daemon as phones
// look for it; and with no D-Bus at all, the requests that list devices
// answer instead of bringing the program down.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>

#include "app_server.h"
#include "private_avahi.h"

namespace {

// Runs `program` again (bounded) until its output holds `text`; the output.
std::string wait_output(const std::vector<std::string>& command, const std::string& text)
{
    std::string out;
    for (int attempt = 0; attempt < 10 && out.find(text) == std::string::npos; ++attempt) {
        out = run_program("/usr/bin/timeout", command).out;
        if (out.find(text) == std::string::npos)
            usleep(300000);
    }
    return out;
}

}  // namespace

TEST(PrinterAppDnssd, AnAddedPrinterIsFoundByIppfindAvahiBrowseAndDriverless)
{
    PrivateAvahi avahi;
    if (!avahi.start())
        GTEST_SKIP() << "no private avahi-daemon: " << avahi.why_not;
    AppServer app;
    ASSERT_FALSE(app.start_with_file_printer("lane").empty()) << read_file(app.dir.file("output"));
    const std::string port = std::to_string(app.port);

    for (const char* type : {"_ipp._tcp", "_print._sub._ipp._tcp", "_universal._sub._ipp._tcp"}) {
        const std::string found = wait_output({"10", "avahi-browse", "-rtp", type}, ";" + port + ";");
        EXPECT_NE(found.find("=;lo;IPv4;lane;"), std::string::npos) << type << ":\n" << found;
        for (const char* key : {"rp=ipp/print/lane", "ty=Lane Printer", "pdl=", "URF=", "Color=", "Duplex=", "kind=",
                                "PaperMax=", "UUID=", "adminurl=", "note="})
            EXPECT_NE(found.find(std::string("\"") + key), std::string::npos) << key << " in " << found;
    }
    const std::string ippfind = wait_output(
        {"10", "ippfind", "-T", "2", "_ipp._tcp", "--txt-rp", "ipp/print/lane", "-x", "echo", "{service_uri}",
         "{txt_ty}", "{txt_pdl}", ";"},
        ":" + port + "/ipp/print/lane");
    EXPECT_NE(ippfind.find(":" + port + "/ipp/print/lane Lane Printer "), std::string::npos) << ippfind;
    EXPECT_NE(ippfind.find("image/jpeg"), std::string::npos) << ippfind;
    const std::string driverless = wait_output({"20", "driverless"}, "ipp://lane._ipp._tcp.local/");
    EXPECT_NE(driverless.find("ipp://lane._ipp._tcp.local/"), std::string::npos) << driverless;
}

TEST(PrinterAppDnssd, WithoutDbusDevicesAndTheAddPrinterPageAnswer)
{
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    AppServer app;
    ASSERT_TRUE(app.start()) << read_file(app.dir.file("output"));
    const ProgramResult devices = app.run({"devices"});
    EXPECT_EQ(devices.status, 0) << devices.err;
    EXPECT_NE(app.http_get("/addprinter").find(" 200 OK"), std::string::npos);
    // A DNS-SD printer added anyway waits for DNS-SD; the server stays up.
    ASSERT_TRUE(app.add_printer("far", "dnssd://far._pdl-datastream._tcp.local/"));
    ASSERT_GT(app.submit("far", SAMPLES_DIR "/sample-euc.txt"), 0);
    EXPECT_EQ(app.run({"status"}).status, 0);
    unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}
