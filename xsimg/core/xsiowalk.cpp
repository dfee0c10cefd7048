// Walking the magic table and the native-family table.
#include "xsiowalk.h"

#include <cstring>

#include "xssize.h"

namespace {
constexpr int kPeekBytes = 16;

// The reader that delivered the picture, or else the first one whose magic
// matched, and its code, for the thread that called XslReadMagicWith. Later
// readers whose bytes also match only try their luck: their refusal says
// less about the file than the first one's.
thread_local const char* last_reader_name = nullptr;
thread_local int last_reader_code = 0;

void note_reader(const char* name, const XSImage* image)
{
    if (image == nullptr && last_reader_name != nullptr)
        return;
    last_reader_name = name;
    // A side of no length is a damaged header, never a picture too large.
    const bool empty = xslerrno == XSE_NO_MEMORY && XslLastSizeWasEmpty();
    last_reader_code = image ? 0 : empty ? XSE_BAD_MAGIC : xslerrno;
}

bool magic_matches(const XSMagicRow& row, const unsigned char* head)
{
    if (row.offset < 0 || row.length < 0 || row.offset > kPeekBytes - row.length)
        return false;
    return std::memcmp(head + row.offset, row.magic, row.length) == 0;
}

// Reads the leading two words and picks the first row that recognises them.
// Every attempt forgets the previous choice, so a failed one leaves none.
const XSImageType* choose_native(FILE* stream, const XSImageType* natives,
                                 uint32_t* word0, uint32_t* word1)
{
    imagefunc = -1;
    unsigned char head[8];
    if (std::fread(head, 1, sizeof head, stream) != sizeof head) {
        xslerrno = XSE_HEADER_READ;
        return nullptr;
    }
    *word0 = XslMemToVal(head, 4);
    *word1 = XslMemToVal(head + 4, 4);
    for (int i = 0; natives[i].recognise; ++i) {
        if (natives[i].recognise(*word0, *word1)) {
            imagefunc = i;
            return &natives[i];
        }
    }
    xslerrno = XSE_NO_NATIVE_READER;
    return nullptr;
}
}  // namespace

thread_local int imagefunc = -1;

XSImage* XslReadMagicWith(FILE* stream, const XSMagicRow* table, const XSImageType* natives)
{
    last_reader_name = nullptr;
    last_reader_code = 0;
    const long start = std::ftell(stream);
    unsigned char head[kPeekBytes] = {};
    (void)std::fread(head, 1, sizeof head, stream);  // a short file compares as zeros

    // An unseekable stream cannot be offered to several readers; only the
    // native family gets a look at what is left of it.
    bool rewound = start >= 0 && std::fseek(stream, start, SEEK_SET) == 0;
    for (const XSMagicRow* row = table; rewound && row->magic; ++row) {
        if (!magic_matches(*row, head))
            continue;
        XSImage* image = row->reader(stream);
        note_reader(row->name, image);
        if (image) {
            image->format = row->format;
            return image;
        }
        // A reader that hit a read error must not leave it for the next one.
        std::clearerr(stream);
        rewound = std::fseek(stream, start, SEEK_SET) == 0;
    }

    XSImage* image = XslReadNativeWith(stream, natives);
    if (imagefunc >= 0)  // a native row recognised the file and its reader ran
        note_reader("IMG", image);
    if (image) {
        image->format = XSF_NATIVE;
        return image;
    }
    xslerrno = XSE_UNKNOWN_FORMAT;
    return nullptr;
}

const char* XSLLastReaderName()
{
    return last_reader_name;
}

int XSLLastReaderCode()
{
    return last_reader_code;
}

XSImage* XslReadNativeWith(FILE* stream, const XSImageType* natives)
{
    uint32_t word0 = 0, word1 = 0;
    const XSImageType* row = choose_native(stream, natives, &word0, &word1);
    return row ? row->reader(stream, word0, word1) : nullptr;
}

int XslCheckUpWith(FILE* stream, XSInfo* info, const XSImageType* natives)
{
    uint32_t word0 = 0, word1 = 0;
    const XSImageType* row = choose_native(stream, natives, &word0, &word1);
    return row ? row->inform(stream, word0, word1, info) : 0;
}

int XslWriteModeWith(int mode, const XSImageType* natives)
{
    for (int i = 0; natives[i].recognise; ++i) {
        if (natives[i].mode_mask & mode) {
            imagefunc = i;
            return mode & natives[i].mode_mask;
        }
    }
    imagefunc = -1;
    return 0;
}

int XslWriteWith(FILE* stream, XSImage* image, const XSImageType* natives)
{
    int rows = 0;
    while (natives[rows].recognise)
        ++rows;
    if (imagefunc < 0 || imagefunc >= rows || !natives[imagefunc].writer) {
        xslerrno = XSE_NO_NATIVE_READER;
        return 0;
    }
    return natives[imagefunc].writer(stream, image);
}
