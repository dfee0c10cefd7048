#include "device_schemes.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

// PAPPL adds its own schemes only when none is registered yet; ours must come
// first, so its three registrars are called here (exported by libpappl 1.3).
extern "C" {
void _papplDeviceAddFileScheme(void);
void _papplDeviceAddNetworkSchemes(void);
void _papplDeviceAddUSBScheme(void);
}

namespace {

// A file:// device: a regular file appended to, a character device, or a
// folder holding one file per job.
struct FileDevice {
    int fd = -1;
    std::string folder;  // empty unless the URI names a folder
    std::string name;    // the job's name
    std::string ext = "prn";
    int job_id = 0;
};

std::string uri_path(const char* uri, std::string* ext)
{
    char scheme[32], userpass[32], host[256], resource[1024];
    int port;
    if (httpSeparateURI(HTTP_URI_CODING_ALL, uri, scheme, sizeof scheme, userpass, sizeof userpass, host, sizeof host,
                        &port, resource, sizeof resource) < HTTP_URI_STATUS_OK)
        return {};
    std::string path = resource;
    const size_t query = path.find('?');
    if (query != std::string::npos) {
        if (ext != nullptr && path.compare(query + 1, 4, "ext=") == 0 && path.find('/', query) == std::string::npos)
            *ext = path.substr(query + 5);
        path.resize(query);
    }
    return path;
}

bool file_open(pappl_device_t* device, const char* uri, const char* name)
{
    auto* file = new FileDevice;
    const std::string path = uri_path(uri, &file->ext);
    struct stat info;
    if (!path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        file->folder = path;
        file->name = name != nullptr && *name != '\0' ? name : "Untitled";
    } else if (path.empty() || (file->fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666)) < 0) {
        papplDeviceError(device, "Cannot open '%s': %s", path.c_str(), std::strerror(errno));
        delete file;
        return false;
    }
    papplDeviceSetData(device, file);
    return true;
}

// The job's file in the folder, made at its first byte (or at the end of a
// job that wrote none); a name taken already gets a number.
bool make_job_file(FileDevice* file)
{
    std::string base = file->name;
    for (char& c : base)
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7f || c == '/')
            c = '_';
    if (file->job_id > 0)
        base = std::to_string(file->job_id) + "-" + base;
    for (int n = 1; file->fd < 0 && n < 1000; ++n) {
        const std::string path =
            file->folder + "/" + base + (n > 1 ? "-" + std::to_string(n) : std::string()) + "." + file->ext;
        file->fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file->fd < 0 && errno != EEXIST)
            return false;
    }
    return file->fd >= 0;
}

ssize_t file_write(pappl_device_t* device, const void* buffer, size_t bytes)
{
    auto* file = static_cast<FileDevice*>(papplDeviceGetData(device));
    if (file->fd < 0 && !make_job_file(file)) {
        papplDeviceError(device, "Cannot make a file in '%s': %s", file->folder.c_str(), std::strerror(errno));
        return -1;
    }
    const char* at = static_cast<const char*>(buffer);
    size_t left = bytes;
    while (left > 0) {
        const ssize_t n = write(file->fd, at, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            papplDeviceError(device, "Cannot write the job's file: %s", std::strerror(errno));
            return -1;
        }
        at += n;
        left -= static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(bytes);
}

void file_close(pappl_device_t* device)
{
    auto* file = static_cast<FileDevice*>(papplDeviceGetData(device));
    if (file == nullptr)
        return;
    if (file->fd < 0 && !file->folder.empty())
        make_job_file(file);
    if (file->fd >= 0)
        close(file->fd);
    delete file;
    papplDeviceSetData(device, nullptr);
}

// libavahi-client needs the D-Bus system bus; PAPPL's browse asserts when
// its client cannot be made, so without a bus there is no DNS-SD device.
bool system_bus_present()
{
    const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    std::string path = "/run/dbus/system_bus_socket";
    if (address != nullptr && *address != '\0') {
        if (std::strncmp(address, "unix:path=", 10) != 0)
            return true;  // another transport: let libdbus try it
        path = std::string(address + 10);
        path.resize(std::min(path.find(','), path.size()));
    }
    sockaddr_un name{};
    name.sun_family = AF_UNIX;
    if (path.size() >= sizeof name.sun_path)
        return false;
    std::memcpy(name.sun_path, path.c_str(), path.size());
    const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool reached = s >= 0 && connect(s, reinterpret_cast<sockaddr*>(&name), sizeof name) == 0;
    if (s >= 0)
        close(s);
    return reached;
}

bool no_devices(pappl_device_cb_t, void*, pappl_deverror_cb_t, void*)
{
    return false;
}

bool dnssd_unavailable(pappl_device_t* device, const char* uri, const char*)
{
    papplDeviceError(device, "Cannot look up '%s': DNS-SD (avahi-daemon) is not running.", uri);
    return false;
}

void no_close(pappl_device_t*) {}

ssize_t no_write(pappl_device_t*, const void*, size_t)
{
    return -1;
}

}  // namespace

void add_device_schemes()
{
    papplDeviceAddScheme("file", PAPPL_DEVTYPE_FILE, nullptr, file_open, file_close, nullptr, file_write, nullptr,
                         nullptr);
    if (!system_bus_present())
        papplDeviceAddScheme("dnssd", PAPPL_DEVTYPE_DNS_SD, no_devices, dnssd_unavailable, no_close, nullptr, no_write,
                             nullptr, nullptr);
    _papplDeviceAddFileScheme();
    _papplDeviceAddNetworkSchemes();
    _papplDeviceAddUSBScheme();
}

void name_device_file(pappl_job_t* job, pappl_device_t* device)
{
    const char* uri = papplPrinterGetDeviceURI(papplJobGetPrinter(job));
    if (uri == nullptr || std::strncmp(uri, "file:", 5) != 0)
        return;
    if (auto* file = static_cast<FileDevice*>(papplDeviceGetData(device)))
        file->job_id = papplJobGetID(job);
}

std::string check_device_uri(const std::string& uri)
{
    const size_t colon = uri.find(':');
    const std::string scheme = colon == std::string::npos ? std::string() : uri.substr(0, colon);
    if (scheme == "file") {
        const std::string path = uri_path(uri.c_str(), nullptr);
        if (path.empty() || path[0] != '/')
            return "'" + uri + "' names no file: write file:///FOLDER/FILE or file:///FOLDER.";
        if (access(path.c_str(), W_OK) == 0)
            return {};
        if (errno == ENOENT) {
            const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd >= 0) {
                close(fd);
                return {};
            }
        }
        return "Cannot write to '" + path + "': " + std::strerror(errno) + ".";
    }
    if (papplDeviceIsSupported(uri.c_str()))
        return {};
    if (scheme.empty())
        return "'" + uri + "' is not a device URI: write socket://HOST:9100, usb://..., or file:///PATH.";
    return "Devices of the scheme '" + scheme + "' cannot be used here: write socket://HOST:9100, usb://... (as "
           "'lane-printer-app devices' lists them), or file:///PATH.";
}
