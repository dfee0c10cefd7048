// Requests meant to hurt: every operation of CUPS's ipptool test files, then
// for a bounded time (LANE_HOSTILE_SECONDS, 60 by default) random bytes,
// truncated IPP, huge values, attributes in the wrong group, slow and
// half-closed connections from several clients at once. The server must
// answer afterwards with no more open files than it started with.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "app_server.h"
#include "ipp_client.h"

namespace {

// One hostile exchange of kind `kind`, drawn with `random`.
void hurt(int port, int kind, std::mt19937& random)
{
    const std::string printer = "ipp://localhost/ipp/print/lane";
    auto request = [&](ipp_op_t op) {
        ipp_t* r = ippNewRequest(op);
        ippAddString(r, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, printer.c_str());
        return r;
    };
    switch (kind) {
    case 0: {  // random bytes, as HTTP or as an IPP body
        std::string noise(random() % 20000, '\0');
        for (char& c : noise)
            c = static_cast<char>(random());
        talk(port, random() % 2 ? noise : http_post("/ipp/print/lane", noise));
        break;
    }
    case 1: {  // a Print-Job cut off anywhere
        ipp_t* r = request(IPP_OP_PRINT_JOB);
        ippAddString(r, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, "cut");
        ippAddString(r, IPP_TAG_JOB, IPP_TAG_KEYWORD, "lane-halftoning", nullptr, "bayer");
        const std::string whole = http_post("/ipp/print/lane", ipp_message(r, "plain text\n"));
        talk(port, whole.substr(0, random() % whole.size()), 0, 0, true);
        break;
    }
    case 2: {  // huge values and many of them
        ipp_t* r = request(IPP_OP_VALIDATE_JOB);
        const std::string huge(32000 + random() % 30000, 'x');
        ippAddString(r, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, huge.c_str());
        ippAddString(r, IPP_TAG_JOB, IPP_TAG_KEYWORD, "media", nullptr, huge.c_str());
        for (int i = 0; i < 200; ++i)
            ippAddInteger(r, IPP_TAG_JOB, IPP_TAG_INTEGER, "lane-brightness", static_cast<int>(random()));
        talk(port, http_post("/ipp/print/lane", ipp_message(r)));
        break;
    }
    case 3: {  // job attributes as operation attributes and the reverse, wrong types
        ipp_t* r = request(random() % 2 ? IPP_OP_PRINT_JOB : IPP_OP_CREATE_JOB);
        ippAddString(r, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "lane-halftoning", nullptr, "scroll");
        ippAddInteger(r, IPP_TAG_JOB, IPP_TAG_INTEGER, "document-format", 7);
        ippAddString(r, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "media-col", nullptr, "x");
        ippAddCollection(r, IPP_TAG_JOB, "lane-gamma", ippNew());
        talk(port, http_post("/ipp/print/lane", ipp_message(r, "text\n")));
        break;
    }
    default: {  // slow, then half-closed before the end
        ipp_t* r = request(IPP_OP_GET_PRINTER_ATTRIBUTES);
        const std::string whole = http_post("/ipp/print/lane", ipp_message(r));
        talk(port, whole.substr(0, whole.size() / 2), 7, 100, true);
        break;
    }
    }
}

}  // namespace

TEST(PrinterAppHostile, NoRequestBringsTheServerDown)
{
    AppServer app;
    ASSERT_FALSE(app.start_with_file_printer("lane").empty()) << read_file(app.dir.file("output"));
    const std::string ipptool = ipptool_program();
    if (!ipptool.empty()) {
        // Each file's answers do not matter, only that there are answers
        // (one file waits for a media-needed state that never comes: 15 s at most).
        for (const auto& file : std::filesystem::directory_iterator("/usr/share/cups/ipptool")) {
            if (file.path().extension() != ".test")
                continue;
            SCOPED_TRACE(file.path().string());
            run_program("/usr/bin/timeout", {"15", ipptool, "-T", "5", "-q", "-d", "filetype=text/plain", "-f",
                                             SAMPLES_DIR "/sample-euc.txt", app.uri("lane"), file.path()});
            ASSERT_TRUE(printer_answers(app.port, "lane")) << app.log().substr(app.log().size() - 4000);
        }
    }
    const size_t files_before = open_files(app.pid);
    const char* limit = std::getenv("LANE_HOSTILE_SECONDS");
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(limit != nullptr ? std::atoi(limit) : 60);
    std::vector<std::thread> clients;
    std::atomic<int> exchanges{0};
    for (unsigned client = 0; client < 8; ++client)
        clients.emplace_back([&, client] {
            std::mt19937 random(client);
            for (int kind = static_cast<int>(client) % 5; std::chrono::steady_clock::now() < end; kind = (kind + 1) % 5)
                hurt(app.port, kind, random), ++exchanges;
        });
    for (std::thread& client : clients)
        client.join();
    // The test files leave held jobs behind.
    app.run({"cancel", "-d", "lane", "-a"});
    ASSERT_TRUE(app.wait_idle("lane")) << app.jobs("lane");
    std::printf("%d hostile exchanges; open files %zu before, %zu after; %zu kB resident\n", exchanges.load(),
                files_before, open_files(app.pid), resident_kb(app.pid));
    EXPECT_TRUE(printer_answers(app.port, "lane"));
    EXPECT_LE(open_files(app.pid), files_before + 4);
    EXPECT_EQ(app.run({"status"}).status, 0);
}
