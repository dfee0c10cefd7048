#include "fuzz_bytes.h"

FILE* fuzz_stream(const uint8_t* data, size_t size)
{
    // fmemopen refuses an empty buffer; an empty input reads as an empty stream.
    static const uint8_t nothing = 0;
    FILE* f = size > 0 ? fmemopen(const_cast<uint8_t*>(data), size, "rb")
                       : fmemopen(const_cast<uint8_t*>(&nothing), 1, "rb");
    if (f != nullptr && size == 0)
        std::fseek(f, 1, SEEK_SET);
    return f;
}

FILE* fuzz_null_stream()
{
    return std::fopen("/dev/null", "wb");
}
