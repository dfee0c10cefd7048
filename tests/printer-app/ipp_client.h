// Raw HTTP/IPP exchanges with a server on a loopback port, well-formed or
// not, for the load and hostile-request tests.
#pragma once

#include <string>

#include <cups/cups.h>

// The bytes of `request` (deleted here) followed by `document`.
std::string ipp_message(ipp_t* request, const std::string& document = {});

// An HTTP POST of `body` to `resource`: its head and body.
std::string http_post(const std::string& resource, const std::string& body);

// Connects to 127.0.0.1:`port`, sends `bytes` in pieces of `piece` bytes with
// `pause_ms` between them, optionally half-closes, and reads what comes back
// (bounded by 10 s); the answer.
std::string talk(int port, const std::string& bytes, size_t piece = 0, int pause_ms = 0, bool half_close = false);

// A Get-Printer-Attributes of printer `name`; true when the server answers it with successful-ok.
bool printer_answers(int port, const std::string& name);

// How many files the process has open, and its resident memory in kB.
size_t open_files(int pid);
size_t resident_kb(int pid);
