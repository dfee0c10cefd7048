// The private data block: tagged records of "key=value" items.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "xsio.h"

namespace {
constexpr size_t kRecordHead = 8;  // tag and text length, most significant byte first

struct Record {
    size_t start;  // offset of the tag
    uint32_t tag;
    size_t text;   // offset of the text
    size_t length;
};

size_t block_size(const XSImage* image)
{
    return image->private_data && image->private_size > 0 ? static_cast<size_t>(image->private_size) : 0;
}

// Reads the record at *pos and moves past it. A record whose text would run
// past the block ends the walk: what follows it cannot be located.
bool next_record(const unsigned char* block, size_t size, size_t* pos, Record* record)
{
    if (size - *pos < kRecordHead)
        return false;
    const unsigned char* head = block + *pos;
    const size_t length = XslMemToVal(head + 4, 4);
    if (length > size - *pos - kRecordHead)
        return false;
    *record = {*pos, XslMemToVal(head, 4), *pos + kRecordHead, length};
    *pos = record->text + length;
    return true;
}

void put_word(unsigned char* bytes, uint32_t value)
{
    bytes[0] = static_cast<unsigned char>(value >> 24);
    bytes[1] = static_cast<unsigned char>(value >> 16);
    bytes[2] = static_cast<unsigned char>(value >> 8);
    bytes[3] = static_cast<unsigned char>(value);
}

// Items are told apart by the first four letters of their name; a shorter
// key must equal the whole name. The name ends at the '=' of the item.
bool item_matches(const char* item, size_t length, const char* key)
{
    const void* equals = std::memchr(item, '=', length);
    const size_t name = equals ? static_cast<size_t>(static_cast<const char*>(equals) - item) : length;
    for (size_t k = 0; k < 4; ++k) {
        const char c = k < name ? item[k] : '\0';
        if (c != key[k])
            return false;
        if (c == '\0')
            return true;
    }
    return true;
}

char* copy_text(const char* text, size_t length)
{
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (!copy) {
        xslerrno = XSE_NO_MEMORY;
        return nullptr;
    }
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}
}  // namespace

char* AnalizePrivate(const XSImage* image, uint32_t tag, const char* key)
{
    const unsigned char* block = image->private_data;
    const size_t size = block_size(image);
    Record record;
    for (size_t pos = 0; next_record(block, size, &pos, &record);) {
        if (record.tag != tag)
            continue;
        const char* text = reinterpret_cast<const char*>(block + record.text);
        const char* end = text + record.length;
        for (const char* item = text;; ++item) {
            const char* stop = item;
            while (stop < end && *stop != ';' && *stop != ':')
                ++stop;
            const size_t length = static_cast<size_t>(stop - item);
            if (item_matches(item, length, key)) {
                const void* equals = std::memchr(item, '=', length);
                if (!equals)
                    return nullptr;
                const char* value = static_cast<const char*>(equals) + 1;
                return copy_text(value, static_cast<size_t>(stop - value));
            }
            if (stop == end)
                break;
            item = stop;
        }
    }
    return nullptr;
}

int AppendPrivate(XSImage* image, uint32_t tag, const char* key, const char* value)
{
    const unsigned char* block = image->private_data;
    const size_t size = block_size(image);
    const size_t key_length = std::strlen(key);
    const size_t value_length = std::strlen(value);

    Record record;
    bool found = false;
    for (size_t pos = 0; next_record(block, size, &pos, &record);) {
        if (record.tag == tag) {
            found = true;
            break;
        }
    }

    // Either ";key=value" at the end of the record's text, or a new record.
    const size_t item = key_length + value_length + (found ? 2 : 1);
    const size_t grow = found ? item : item + kRecordHead;
    const size_t record_length = found ? record.length + item : item;
    if (key_length > INT32_MAX || value_length > INT32_MAX || grow > INT32_MAX - size ||
        record_length > UINT32_MAX) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }
    unsigned char* grown = static_cast<unsigned char*>(std::malloc(size + grow));
    if (!grown) {
        xslerrno = XSE_NO_MEMORY;
        return 0;
    }

    const size_t split = found ? record.text + record.length : size;
    unsigned char* out = grown;
    if (split)
        std::memcpy(out, block, split);
    out += split;
    if (found) {
        put_word(grown + record.start + 4, static_cast<uint32_t>(record_length));
        *out++ = ';';
    } else {
        put_word(out, tag);
        put_word(out + 4, static_cast<uint32_t>(record_length));
        out += kRecordHead;
    }
    std::memcpy(out, key, key_length);
    out += key_length;
    *out++ = '=';
    std::memcpy(out, value, value_length);
    out += value_length;
    if (size > split)
        std::memcpy(out, block + split, size - split);

    std::free(image->private_data);
    image->private_data = grown;
    image->private_size = static_cast<int32_t>(size + grow);
    return 1;
}
