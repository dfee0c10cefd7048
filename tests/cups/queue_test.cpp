// A whole print job through the real spooler: a private cupsd on a loopback
// port with its own configuration, a queue with the PPD on a file device, jobs
// sent with lp; the device file must hold what pixlane and textlane write.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "private_spooler.h"
#include "spooler_fixture.h"

namespace {

// A loopback port nobody listens on now.
int free_port()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    close(s);
    return ntohs(address.sin_port);
}

// cupsd in the foreground on its own folders, stopped when the test ends.
struct PrivateCupsd {
    PrivateSpooler spooler;
    std::string host;
    pid_t pid = -1;

    bool start()
    {
        for (const char* folder : {"spool/tmp", "state", "cache", "log"})
            std::filesystem::create_directories(spooler.file(folder));
        host = "127.0.0.1:" + std::to_string(free_port());
        write_file(spooler.files_conf,
                   "ServerBin " + spooler.server_bin + "\nDataDir /usr/share/cups\nRequestRoot " +
                       spooler.file("spool") + "\nTempDir " + spooler.file("spool/tmp") + "\nStateDir " +
                       spooler.file("state") + "\nCacheDir " + spooler.file("cache") + "\nErrorLog " +
                       spooler.file("log/error_log") + "\nAccessLog " + spooler.file("log/access_log") +
                       "\nPageLog " + spooler.file("log/page_log") + "\nPrintcap " + spooler.file("state/printcap") +
                       "\nFileDevice Yes\n");
        write_file(spooler.conf + "/cupsd.conf",
                   "Listen " + host + "\nLogLevel debug\nBrowsing No\nWebInterface No\nDefaultAuthType None\n"
                   "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                   "<Policy default>\n  <Limit All>\n    Order deny,allow\n    Allow all\n  </Limit>\n</Policy>\n");
        const std::string cupsd = cups_program("cupsd");
        if (cupsd.empty())
            return false;
        const std::string conf = spooler.conf + "/cupsd.conf";
        const std::string output = spooler.file("log/cupsd_output");
        pid = fork();
        if (pid == 0) {
            const int log = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(log, 1);
            dup2(log, 2);
            execl(cupsd.c_str(), "cupsd", "-f", "-c", conf.c_str(), "-s", spooler.files_conf.c_str(), nullptr);
            _exit(127);
        }
        // Bounded wait for the scheduler to answer.
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                pid = -1;
                return false;
            }
            if (run_cups("lpstat", {"-h", host, "-r"}).out.find("is running") != std::string::npos)
                return true;
            usleep(100000);
        }
        return false;
    }

    ~PrivateCupsd()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }

    std::string log() { return read_file(spooler.file("log/error_log")); }

    // Waits (bounded) until the queue has no job left; false when it does not empty.
    bool wait_for_queue(const std::string& queue)
    {
        for (int attempt = 0; attempt < 600; ++attempt) {
            const ProgramResult r = run_cups("lpstat", {"-h", host, "-o", queue});
            if (r.status == 0 && r.out.empty())
                return true;
            usleep(100000);
        }
        return false;
    }
};

}  // namespace

TEST(CupsQueue, JobsSentWithLpReachTheDeviceAsTheFiltersWriteThem)
{
    PrivateCupsd cupsd;
    if (!cupsd.start())
        GTEST_SKIP() << "cupsd cannot start here: "
                     << (cups_program("cupsd").empty() ? "it is not installed"
                                                       : read_file(cupsd.spooler.file("log/cupsd_output")));
    const std::string device = cupsd.spooler.file("device.prn");
    ProgramResult r = run_cups("lpadmin", {"-h", cupsd.host, "-p", "lane", "-E", "-v", "file://" + device, "-P",
                                           cupsd.spooler.ppd});
    ASSERT_EQ(r.status, 0) << r.err;

    const std::string picture = cupsd.spooler.file("photo.jpg");
    write_file(picture, picture_bytes("JPEG", 60, 40));
    const std::string text = cupsd.spooler.file("letter.txt");
    write_file(text, sample_text("EUC-JP"));
    const struct {
        std::vector<std::string> lp;
        const char* program;
        std::vector<std::string> words;
        const char* file;
    } jobs[] = {
        {{"-n", "2", "-o", "landscape", "-o", "fit-to-page"}, PIXLANE_BIN,
         {"-cp", "2", "-ps", "A4", "-po", "1", "-r", "240", "-di", "0", "-fi", "0", "-la", "2"}, "photo.jpg"},
        {{"-o", "media=Custom.100x150mm"}, TEXTLANE_BIN, {"-cp", "1", "-ps", "100x150", "-fc", "0"}, "letter.txt"},
        {{"-n", "3", "-o", "media=Custom.4x6in", "-o", "Resolution=300dpi"}, PIXLANE_BIN,
         {"-cp", "3", "-ps", "101.6x152.4", "-r", "300", "-di", "0", "-la", "2"}, "photo.jpg"},
    };
    for (const auto& job : jobs) {
        std::vector<std::string> args = {"-h", cupsd.host, "-d", "lane"};
        args.insert(args.end(), job.lp.begin(), job.lp.end());
        args.push_back(cupsd.spooler.file(job.file));
        r = run_cups("lp", args);
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_TRUE(cupsd.wait_for_queue("lane")) << "the job did not finish\n" << cupsd.log();
        EXPECT_EQ(read_file(device), direct_stream(job.program, job.words, cupsd.spooler.file(job.file)))
            << job.file << "\n" << cupsd.log();
    }
    // Every job was counted, with its copies.
    const std::string pages = read_file(cupsd.spooler.file("log/page_log"));
    for (const char* counted : {"total 2 - localhost photo.jpg", "total 1 - localhost letter.txt",
                                "total 3 - localhost photo.jpg"})
        EXPECT_NE(pages.find(counted), std::string::npos) << counted << "\n" << pages;
}
