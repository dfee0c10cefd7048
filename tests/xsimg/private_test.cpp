// The private data block: look-up by four-letter keys, appending, damage.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "xsio.h"

namespace {
constexpr uint32_t kTagA = 0x54584130;  // "TXA0"
constexpr uint32_t kTagB = 0x54584230;

struct Holder {
    XSImage image{};
    ~Holder() { std::free(image.private_data); }
    std::string block() const
    {
        return std::string(reinterpret_cast<const char*>(image.private_data), image.private_size);
    }
    void set_block(const std::string& bytes)
    {
        std::free(image.private_data);
        image.private_data = static_cast<unsigned char*>(std::malloc(bytes.size()));
        std::memcpy(image.private_data, bytes.data(), bytes.size());
        image.private_size = static_cast<int32_t>(bytes.size());
    }
    std::string find(uint32_t tag, const char* key) const
    {
        char* value = AnalizePrivate(&image, tag, key);
        std::string result = value ? value : "<none>";
        std::free(value);
        return result;
    }
};

std::string record(uint32_t tag, const std::string& text)
{
    std::string r;
    for (uint32_t v : {tag, static_cast<uint32_t>(text.size())})
        for (int shift = 24; shift >= 0; shift -= 8)
            r += static_cast<char>(v >> shift);
    return r + text;
}
}  // namespace

TEST(PrivateBlock, AppendBuildsRecordsMostSignificantByteFirst)
{
    Holder h;
    ASSERT_EQ(AppendPrivate(&h.image, kTagA, "Comment", "hi"), 1);
    EXPECT_EQ(h.block(), record(kTagA, "Comment=hi"));
    ASSERT_EQ(AppendPrivate(&h.image, kTagB, "Size", "3"), 1);
    EXPECT_EQ(h.block(), record(kTagA, "Comment=hi") + record(kTagB, "Size=3"));

    // A second item under an existing tag goes into that record, before the records after it.
    ASSERT_EQ(AppendPrivate(&h.image, kTagA, "Date", "today"), 1);
    EXPECT_EQ(h.block(), record(kTagA, "Comment=hi;Date=today") + record(kTagB, "Size=3"));
    EXPECT_EQ(h.image.private_size, 8 + 21 + 8 + 6);
    EXPECT_EQ(h.find(kTagB, "Size"), "3");
}

TEST(PrivateBlock, LookUpByTheFirstFourLetters)
{
    Holder h;
    h.set_block(record(kTagB, "Comm=other") + record(kTagA, "Flag;Commentary=long text;dpi=300") +
                record(kTagA, "Time=12:Zone=UTC"));
    EXPECT_EQ(h.find(kTagA, "Comm"), "long text");
    EXPECT_EQ(h.find(kTagA, "Comment"), "long text");
    EXPECT_EQ(h.find(kTagB, "Comment"), "other");
    EXPECT_EQ(h.find(kTagA, "Flag"), "<none>");   // item without "="
    EXPECT_EQ(h.find(kTagA, "Zone"), "UTC");      // ":" separates too, in a later record
    EXPECT_EQ(h.find(kTagA, "Time"), "12");
    EXPECT_EQ(h.find(kTagA, "Nope"), "<none>");
    EXPECT_EQ(h.find(0x12345678, "Comm"), "<none>");
    // Keys shorter than four letters must name the whole item.
    EXPECT_EQ(h.find(kTagA, "dpi"), "300");
    EXPECT_EQ(h.find(kTagA, "dp"), "<none>");
}

TEST(PrivateBlock, SameKeyTwiceKeepsBothAndFindsTheFirst)
{
    Holder h;
    ASSERT_EQ(AppendPrivate(&h.image, kTagA, "Gamma", "1.0"), 1);
    ASSERT_EQ(AppendPrivate(&h.image, kTagA, "Gamma", "2.2"), 1);
    EXPECT_EQ(h.block(), record(kTagA, "Gamma=1.0;Gamma=2.2"));
    EXPECT_EQ(h.find(kTagA, "Gamma"), "1.0");
}

TEST(PrivateBlock, DamagedRecordsAreNotReadPastTheBlock)
{
    Holder h;
    const std::string good = record(kTagA, "Good=1");
    std::string damaged = good + record(kTagB, "Size=3");
    damaged[good.size() + 7] = 100;  // the second record claims 100 bytes
    h.set_block(damaged);
    EXPECT_EQ(h.find(kTagA, "Good"), "1");
    EXPECT_EQ(h.find(kTagB, "Size"), "<none>");
    h.set_block(damaged.substr(0, 5));  // not even a whole record head
    EXPECT_EQ(h.find(kTagA, "Good"), "<none>");
    ASSERT_EQ(AppendPrivate(&h.image, kTagA, "New", "x"), 1);
    EXPECT_EQ(h.image.private_size, 5 + 8 + 5);
}
