// One fuzz target per reader, "read_<format>": the input goes to XSReadMagic
// with the format's magic bytes written over it, so that each reader is
// reached directly while the dispatch around it stays the real one.
// A new format is one READER (or SHAPED, or SIZED) line below.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "fuzz_bytes.h"
#include "fuzz_target.h"
#include "picture_check.h"
#include "xsio.h"
#include "xsregistry.h"
#include "xsown.h"
#include "xsreadkit.h"

namespace {

struct ReaderForm {
    const char* target;
    int offset;
    const char* magic;
    int length;
    void (*shape)(uint8_t* head);   // for a format recognised by more than fixed bytes
    long (*declared_pixels)(const uint8_t* data, size_t size);  // 0: not known
};

// Inputs declaring more pixels than this are skipped where the format's
// sizes are cheap to find: decoding them takes seconds under the sanitizers
// and adds no code path. The pixel limit itself is covered by the tests.
constexpr long kMostPixels = 1L << 22;

// The largest frame a JPEG declares in any start-of-frame marker: the
// markers are looked for anywhere, so a stray match only skips an input.
long jpeg_pixels(const uint8_t* data, size_t size)
{
    long most = 0;
    for (size_t i = 0; i + 9 <= size; ++i) {
        const uint8_t code = data[i + 1];
        if (data[i] != 0xFF || code < 0xC0 || code > 0xCF || code == 0xC4 || code == 0xC8 || code == 0xCC)
            continue;
        const long height = (data[i + 5] << 8) | data[i + 6];
        const long width = (data[i + 7] << 8) | data[i + 8];
        most = std::max(most, height * width);
    }
    return most;
}

// A TV10 dump is known by a first word that reads as its size: at most
// 0xF9FFFF, and below 2000 in its low half.
void shape_tv10(uint8_t* head)
{
    head[0] = 0;
    head[1] = static_cast<uint8_t>(head[1] % 0xFA);
    const unsigned low = ((head[2] << 8) | head[3]) % 2000;
    head[2] = static_cast<uint8_t>(low >> 8);
    head[3] = static_cast<uint8_t>(low);
}

// TIFF in either byte order, chosen by the input's first byte.
void shape_tiff(uint8_t* head)
{
    const uint8_t order = head[0] & 1 ? 'M' : 'I';
    head[0] = head[1] = order;
}

// P1 to P6, chosen by the input's second byte.
void shape_pnm(uint8_t* head)
{
    head[0] = 'P';
    head[1] = static_cast<uint8_t>('1' + head[1] % 6);
}

// PCX versions 1 to 5, chosen by the input's second byte.
void shape_pcx(uint8_t* head)
{
    head[0] = 0x0A;
    head[1] = static_cast<uint8_t>(1 + head[1] % 5);
    head[2] = 0x01;
}

// A PCX's size, from its corners. Data ending early leave the rest of the
// picture 0, so a file of a few bytes may legally declare 65536 x 2048
// pixels; reading it is quick, but touching the 128 MB picture is not.
long pcx_pixels(const uint8_t* data, size_t)
{
    const long width = (data[8] | data[9] << 8) - (data[4] | data[5] << 8) + 1;
    const long height = (data[10] | data[11] << 8) - (data[6] | data[7] << 8) + 1;
    return width > 0 && height > 0 ? width * height : 0;
}

// A BMP's size from its info header (16-bit fields in the OS/2 core header,
// 32-bit signed ones otherwise, a negative height meaning top-down). Coded
// rows may stop early and leave the rest of the picture blank, so a few
// bytes may declare a picture that takes a second to fill.
long bmp_pixels(const uint8_t* data, size_t size)
{
    if (size < 26)
        return 0;  // no whole header: refused at once
    if (XslGet32LE(data + 14) == 12)
        return long(XslGet16LE(data + 18)) * XslGet16LE(data + 20);
    const long width = std::labs(static_cast<int32_t>(XslGet32LE(data + 18)));
    const long height = std::labs(static_cast<int32_t>(XslGet32LE(data + 22)));
    return width > 0 && height > kMostPixels / width ? kMostPixels + 1 : width * height;
}

// A RIFF file whose form is WebP.
void shape_webp(uint8_t* head)
{
    std::memcpy(head, "RIFF", 4);
    std::memcpy(head + 8, "WEBP", 4);
}

#define READER(name, offset, magic) {"read_" name, offset, magic, sizeof(magic) - 1, nullptr, nullptr}
constexpr ReaderForm shaped(const char* target, void (*shape)(uint8_t*),
                            long (*declared_pixels)(const uint8_t*, size_t) = nullptr)
{
    return {target, 0, "", 0, shape, declared_pixels};
}

#define SHAPED(name, ...) shaped("read_" name, __VA_ARGS__)
#define SIZED(name, offset, magic, pixels) {"read_" name, offset, magic, sizeof(magic) - 1, nullptr, pixels}

// The build takes the target names from these lines.
constexpr ReaderForm forms[] = {
    SHAPED("tiff", shape_tiff),
    SIZED("jpeg", 0, "\xFF\xD8\xFF", jpeg_pixels),
    READER("sun", 0, "\x59\xA6\x6A\x95"),
    READER("gif", 0, "GIF89a"),
    READER("iris", 0, "\x01\xDA"),
    SHAPED("pbm", shape_pnm),
    SIZED("bmp", 0, "BM", bmp_pixels),
    SHAPED("pcx", shape_pcx, pcx_pixels),
    READER("xwd", 4, "\x00\x00\x00\x07"),
    READER("png", 0, "\x89PNG\r\n\x1A\n"),
    SHAPED("webp", shape_webp),
    READER("tv11", 4, "\x00\x00\x00\x07"),
    READER("timg", 4, "\x00\x00\x00\x08"),
    READER("xsimg", 0, "\x58\xA6\x5A\x94"),
    SHAPED("tv10", shape_tv10),
};

template <size_t I>
void read_form(const uint8_t* data, size_t size)
{
    const ReaderForm& form = forms[I];
    // Room for the whole 16-byte head the dispatch looks at.
    std::vector<uint8_t> bytes(data, data + size);
    if (bytes.size() < 16)
        bytes.resize(16, 0);
    std::memcpy(bytes.data() + form.offset, form.magic, form.length);
    if (form.shape != nullptr)
        form.shape(bytes.data());
    if (form.declared_pixels != nullptr && form.declared_pixels(bytes.data(), bytes.size()) > kMostPixels)
        return;
    FILE* stream = fuzz_stream(bytes.data(), bytes.size());
    if (stream == nullptr)
        return;
    XslImagePtr picture(XSReadMagic(stream));
    std::fclose(stream);
    if (picture)
        check_picture(picture.get());
}

template <size_t... I>
bool register_forms(std::index_sequence<I...>)
{
    (FuzzRegistrar(forms[I].target, read_form<I>), ...);
    return true;
}

[[maybe_unused]] const bool registered = register_forms(std::make_index_sequence<std::size(forms)>());

}  // namespace
