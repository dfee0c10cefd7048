#include "ipp_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

std::string ipp_message(ipp_t* request, const std::string& document)
{
    std::string bytes;
    ippSetState(request, IPP_STATE_IDLE);
    ippWriteIO(
        &bytes,
        [](void* data, ipp_uchar_t* buffer, size_t size) -> ssize_t {
            static_cast<std::string*>(data)->append(reinterpret_cast<char*>(buffer), size);
            return static_cast<ssize_t>(size);
        },
        1, nullptr, request);
    ippDelete(request);
    return bytes + document;
}

std::string http_post(const std::string& resource, const std::string& body)
{
    return "POST " + resource + " HTTP/1.1\r\nHost: localhost\r\nContent-Type: application/ipp\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

namespace {

// Whether `answer` holds a whole HTTP response: the server may keep the
// connection open after it.
bool whole_response(const std::string& answer)
{
    const size_t head = answer.find("\r\n\r\n");
    if (head == std::string::npos)
        return false;
    const size_t length = answer.find("Content-Length: ");
    if (length != std::string::npos && length < head)
        return answer.size() - head - 4 >= std::stoul(answer.substr(length + 16));
    return answer.size() >= 5 && answer.compare(answer.size() - 5, 5, "0\r\n\r\n") == 0;
}

}  // namespace

std::string talk(int port, const std::string& bytes, size_t piece, int pause_ms, bool half_close)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    timeval limit{10, 0};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    std::string answer;
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const size_t step = piece == 0 ? bytes.size() : piece;
        for (size_t at = 0; at < bytes.size(); at += step) {
            if (send(s, bytes.data() + at, std::min(step, bytes.size() - at), MSG_NOSIGNAL) < 0)
                break;
            if (pause_ms > 0)
                usleep(static_cast<useconds_t>(pause_ms) * 1000);
        }
        if (half_close)
            shutdown(s, SHUT_WR);
        char buffer[16384];
        ssize_t n;
        while (!whole_response(answer) && (n = recv(s, buffer, sizeof buffer, 0)) > 0)
            answer.append(buffer, static_cast<size_t>(n));
    }
    close(s);
    return answer;
}

bool printer_answers(int port, const std::string& name)
{
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 ("ipp://localhost/ipp/print/" + name).c_str());
    const std::string answer = talk(port, http_post("/ipp/print/" + name, ipp_message(request)));
    const size_t body = answer.find("\r\n\r\n");
    // The status code follows the version number: 0x0000 is successful-ok.
    return answer.find(" 200 OK") != std::string::npos && body != std::string::npos &&
           answer.size() >= body + 8 && answer[body + 6] == 0 && answer[body + 7] == 0;
}

size_t open_files(int pid)
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd"))
        ++n;
    return n;
}

size_t resident_kb(int pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string word;
    while (status >> word)
        if (word == "VmRSS:") {
            size_t kb = 0;
            status >> kb;
            return kb;
        }
    return 0;
}
