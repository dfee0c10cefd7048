#include "app_server.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

bool port_answers(int port)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(s);
    return ok;
}

}  // namespace

bool AppServer::start()
{
    port = free_port();
    const std::string state = dir.file("state");
    const std::string log_file = dir.file("log");
    const std::string port_option = "server-port=" + std::to_string(port);
    // A restarted server's socket is new: the one of the server before is gone.
    std::filesystem::remove(state + "/lane-printer-app.sock");
    const std::string log_option = "log-file=" + log_file;
    pid = fork();
    if (pid == 0) {
        setenv("LANE_PRINTER_APP_STATE", state.c_str(), 1);
        const int out = open(dir.file("output").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(out, 2);
        execl(LANE_PRINTER_APP_BIN, "lane-printer-app", "server", "-o", port_option.c_str(), "-o",
              "listen-hostname=127.0.0.1", "-o", log_option.c_str(), "-o", "log-level=debug", nullptr);
        _exit(127);
    }
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return false;
        }
        if (port_answers(port) && std::filesystem::exists(state + "/lane-printer-app.sock"))
            return true;
        usleep(50000);
    }
    return false;
}

void AppServer::stop()
{
    if (pid <= 0)
        return;
    // A server that went away by itself crashed: its sanitizer report is in its output.
    int status;
    if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = -1;
        const std::string log = read_file(dir.file("log"));
        ADD_FAILURE() << "the server ended by itself (status " << status << "):\n" << read_file(dir.file("output"))
                      << "\nthe end of its log:\n" << log.substr(log.size() > 8000 ? log.size() - 8000 : 0);
        return;
    }
    kill(pid, SIGTERM);
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        usleep(50000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

ProgramResult AppServer::run(const std::vector<std::string>& args) const
{
    // A sub-command that finds no server starts one of its own, which nobody
    // would stop: a server that died fails the test at once instead.
    siginfo_t ended{};
    if (pid <= 0 || waitid(P_PID, static_cast<id_t>(pid), &ended, WEXITED | WNOHANG | WNOWAIT) != 0 ||
        ended.si_pid != 0)
        return {"", "the server is not running", -1};
    return run_program(LANE_PRINTER_APP_BIN, args, {}, {{"LANE_PRINTER_APP_STATE", dir.file("state")}});
}

bool AppServer::add_printer(const std::string& name, const std::string& device_uri) const
{
    return run({"add", "-d", name, "-v", device_uri, "-m", "lane"}).status == 0;
}

int AppServer::submit(const std::string& name, const std::string& file, const std::vector<std::string>& options) const
{
    std::vector<std::string> args = {"submit", "-d", name};
    for (const std::string& option : options)
        args.insert(args.end(), {"-o", option});
    args.push_back(file);
    const ProgramResult r = run(args);
    // "NAME-ID" on success.
    const size_t dash = r.out.rfind('-');
    return r.status == 0 && dash != std::string::npos ? std::atoi(r.out.c_str() + dash + 1) : 0;
}

std::string AppServer::jobs(const std::string& name) const
{
    return run({"jobs", "-d", name}).out;
}

bool AppServer::wait_idle(const std::string& name, int seconds) const
{
    for (int attempt = 0; attempt < seconds * 10; ++attempt) {
        const std::string list = jobs(name);
        if (list.find("pending") == std::string::npos && list.find("processing") == std::string::npos &&
            list.find("held") == std::string::npos)
            return true;
        usleep(100000);
    }
    return false;
}

std::string AppServer::uri(const std::string& name) const
{
    return "ipp://127.0.0.1:" + std::to_string(port) + "/ipp/print/" + name;
}

std::string AppServer::http_get(const std::string& path) const
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    std::string response;
    timeval limit{10, 0};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = "GET " + path + " HTTP/1.0\r\nHost: localhost:" + std::to_string(port) + "\r\n\r\n";
        if (write(s, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
            char buffer[65536];
            ssize_t n;
            while ((n = read(s, buffer, sizeof buffer)) > 0)
                response.append(buffer, static_cast<size_t>(n));
        }
    }
    close(s);
    return response;
}

std::string AppServer::log() const
{
    return read_file(dir.file("log"));
}

std::string ipptool_program()
{
    for (const char* path : {"/usr/bin/ipptool", "/usr/local/bin/ipptool"})
        if (access(path, X_OK) == 0)
            return path;
    return {};
}

std::string printed_as(const std::string& log)
{
    std::string lines;
    for (size_t at = log.find("Printing as: "); at != std::string::npos; at = log.find("Printing as: ", at + 1))
        lines += log.substr(at, log.find('\n', at) - at + 1);
    return lines;
}

// A PDF of `pages` pages, each with a filled box at another place.
std::string small_pdf(int pages, int width, int height)
{
    std::vector<std::string> objects = {"<< /Type /Catalog /Pages 2 0 R >>", ""};
    std::string kids;
    for (int p = 0; p < pages; ++p) {
        const int page = 3 + 2 * p;
        kids += std::to_string(page) + " 0 R ";
        const std::string content = "0 g " + std::to_string(72 + 100 * p) + " 500 200 150 re f";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + std::to_string(width) + " " +
                          std::to_string(height) + "] /Contents " +
                          std::to_string(page + 1) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content +
                          "\nendstream");
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>";
    std::string pdf = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t offset : offsets) {
        char line[32];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        pdf += line;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

std::string AppServer::start_with_file_printer(const std::string& name)
{
    return start() ? add_file_printer(name) : "";
}

std::string AppServer::add_file_printer(const std::string& name) const
{
    const std::string device = dir.file(name + ".prn");
    write_file(device, "");
    return add_printer(name, "file://" + device) ? device : "";
}
