// Two of PAPPL 1.3's calls, wrapped where it offers no setting: linked into
// the program itself, so that the library's own calls reach them.
#include <dlfcn.h>

#include <cstring>

#include <pappl/pappl.h>

#include "lane_driver.h"

// PAPPL makes up the IEEE 1284 device ID of a printer added without one and
// cuts it off after 128 bytes of formats; it takes no other ID later. A lane
// printer gets the driver's whole one instead.
extern "C" pappl_printer_t* papplPrinterCreate(pappl_system_t* system, int printer_id, const char* printer_name,
                                               const char* driver_name, const char* device_id, const char* device_uri)
{
    using create_fn = pappl_printer_t* (*)(pappl_system_t*, int, const char*, const char*, const char*, const char*);
    static const auto create = reinterpret_cast<create_fn>(dlsym(RTLD_NEXT, "papplPrinterCreate"));
    const bool made_up =
        device_id == nullptr || *device_id == '\0' || !std::strncmp(device_id, "MFG:Lane;MDL:Printer;", 21);
    if (driver_name != nullptr && !std::strcmp(driver_name, lane_driver_name) && made_up)
        device_id = lane_device_id;
    return create(system, printer_id, printer_name, driver_name, device_id, device_uri);
}

// libcups expands "all" and "printer-description" into the standard names
// only, which leaves the vendor attributes out of Get-Printer-Attributes.
// And PAPPL adds printer-strings-languages-supported to the printer's own
// attributes on each request that asks for it, so that from the second on
// the answer holds it twice: it is never asked for.
extern "C" cups_array_t* ippCreateRequestedArray(ipp_t* request)
{
    using requested_fn = cups_array_t* (*)(ipp_t*);
    static const auto requested = reinterpret_cast<requested_fn>(dlsym(RTLD_NEXT, "ippCreateRequestedArray"));
    ipp_attribute_t* asked = ippFindAttribute(request, "requested-attributes", IPP_TAG_KEYWORD);
    if (asked == nullptr && ippGetOperation(request) == IPP_OP_GET_PRINTER_ATTRIBUTES) {
        ipp_attribute_t* all =
            ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "all");
        cups_array_t* names = ippCreateRequestedArray(request);
        ippDeleteAttribute(request, all);
        return names;
    }
    cups_array_t* names = requested(request);
    if (names == nullptr && asked != nullptr && ippGetOperation(request) == IPP_OP_GET_PRINTER_ATTRIBUTES) {
        // A lone "all" gives no list: a second value makes libcups spell it out.
        const int count = ippGetCount(asked);
        ippSetString(request, &asked, count, "printer-description");
        names = requested(request);
        ippDeleteValues(request, &asked, count, 1);
    }
    if (names == nullptr || asked == nullptr)
        return names;
    cupsArrayRemove(names, const_cast<char*>("printer-strings-languages-supported"));
    for (int i = 0; i < ippGetCount(asked); ++i) {
        const char* group = ippGetString(asked, i, nullptr);
        if (std::strcmp(group, "all") != 0 && std::strcmp(group, "printer-description") != 0)
            continue;
        for (const char* name : lane_vendor_attribute_names)
            if (cupsArrayFind(names, const_cast<char*>(name)) == nullptr)
                cupsArrayAdd(names, const_cast<char*>(name));
        break;
    }
    return names;
}
