#include "scan.h"

#include <cstring>

#include "arg_vector.h"
#include "in_child.h"

Scanned scan(std::vector<std::string> args)
{
    ArgVector command("pixlane", std::move(args));
    ChildResult child = run_in_child([&] {
        Settings s;
        set_default(&s);
        option_scan("pixlane", command.argc(), command.argv.data(), &s);
        return std::string(reinterpret_cast<const char*>(&s), sizeof s);
    });
    Scanned r;
    r.status = child.status;
    r.returned = child.returned && child.bytes.size() == sizeof(Settings);
    if (!r.returned)
        return r;
    std::memcpy(&r.s, child.bytes.data(), sizeof(Settings));
    // The child is a copy of this process: its text pointers point at the same
    // argument words and literals here, which are still alive.
    if (r.s.paper_mode == 0)
        r.paper_name = r.s.paper_name;
    r.input_name = r.s.input_name;
    r.output_name = r.s.output_name;
    return r;
}
