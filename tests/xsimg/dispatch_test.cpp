// The order in which the dispatch offers a file to readers, over fake tables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "memfile.h"
#include "xsio.h"
#include "xsregistry.h"
#include "xsiowalk.h"

namespace {
struct Call {
    std::string reader;
    long position;
};
std::vector<Call> calls;
uint32_t seen_word0, seen_word1;

XSImage* new_record()
{
    return static_cast<XSImage*>(std::calloc(1, sizeof(XSImage)));
}

// Readers that log where they were called and consume some input first, so
// that a missing rewind shows up in the next reader's position.
XSImage* failing_a(FILE* f)
{
    calls.push_back({"a", std::ftell(f)});
    std::fgetc(f);
    xslerrno = XSE_VARIANT;
    return nullptr;
}
XSImage* failing_b(FILE* f)
{
    calls.push_back({"b", std::ftell(f)});
    char sink[64];
    (void)std::fread(sink, 1, sizeof sink, f);  // runs into end of file
    xslerrno = XSE_DATA_READ;
    return nullptr;
}
XSImage* reading_c(FILE* f)
{
    calls.push_back({"c", std::ftell(f)});
    return new_record();
}

int accept_version_8(uint32_t, uint32_t word1)
{
    return word1 == 8;
}
int accept_any(uint32_t, uint32_t)
{
    return 1;
}
XSImage* native_reader(FILE* f, uint32_t word0, uint32_t word1)
{
    calls.push_back({"native", std::ftell(f)});
    seen_word0 = word0;
    seen_word1 = word1;
    return new_record();
}
XSImage* failing_native(FILE* f, uint32_t, uint32_t)
{
    calls.push_back({"failing native", std::ftell(f)});
    xslerrno = XSE_BAD_MAGIC;
    return nullptr;
}
int native_inform(FILE*, uint32_t word0, uint32_t word1, XSInfo* info)
{
    *info = {int32_t(word0), int32_t(word1), 72};
    return 1;
}
int wrote;
int native_writer(FILE*, XSImage*)
{
    ++wrote;
    return 1;
}

const unsigned char kAB[] = {'A', 'B'};
const unsigned char kABzeros[] = {'A', 'B', 0, 0};
const unsigned char kAt4[] = {0, 0, 0, 7};

// Two rows for the same magic, a third that never matches, and one at offset 4.
const XSMagicRow kTable[] = {
    {kAB, 0, 2, failing_a, nullptr, nullptr, 11, "A"},
    {kAt4, 4, 4, failing_b, nullptr, nullptr, 12, "B"},
    {kABzeros, 0, 4, failing_b, nullptr, nullptr, 13, "B2"},
    {kAB, 0, 2, reading_c, nullptr, nullptr, 14, "C"},
    {nullptr, 0, 0, nullptr, nullptr, nullptr, 0, nullptr},
};
const XSImageType kNatives[] = {
    {accept_version_8, native_inform, native_reader, native_writer, 0x01},
    {accept_any, native_inform, failing_native, native_writer, 0x3E},
    {nullptr, nullptr, nullptr, nullptr, 0},
};
const XSImageType kNoNatives[] = {{nullptr, nullptr, nullptr, nullptr, 0}};

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        calls.clear();
        xslerrno = 0;
        wrote = 0;
    }
    std::vector<std::string> readers() const
    {
        std::vector<std::string> names;
        for (const Call& c : calls)
            names.push_back(c.reader);
        return names;
    }
};
}  // namespace

TEST_F(Dispatch, FailedReaderPassesTheFileToTheNextMatchingRow)
{
    auto f = stream_of("AB\x01\x02" + std::string(20, 'x'));
    XSImage* image = XslReadMagicWith(f.get(), kTable, kNatives);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->format, 14);
    EXPECT_EQ(readers(), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(calls[1].position, 0);
    std::free(image);
}

TEST_F(Dispatch, RetriesStartWhereTheStreamWasFound)
{
    // Leading bytes before the picture; the 00 00 00 07 at offset 4 of the
    // picture matches too, and its reader runs the stream into end of file.
    auto f = stream_of(bytes("junkAB\0\x01\0\0\0\x07") + std::string(20, 'x'));
    std::fseek(f.get(), 4, SEEK_SET);
    XSImage* image = XslReadMagicWith(f.get(), kTable, kNatives);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(readers(), (std::vector<std::string>{"a", "b", "c"}));
    for (const Call& c : calls)
        EXPECT_EQ(c.position, 4) << c.reader;
    std::free(image);
}

TEST_F(Dispatch, ShortFileComparesMissingBytesAsZero)
{
    auto f = stream_of("AB");
    XSImage* image = XslReadMagicWith(f.get(), kTable, kNatives);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(readers(), (std::vector<std::string>{"a", "b", "c"}));
    std::free(image);
}

TEST_F(Dispatch, NativeFamilyIsTriedLastWithTheTwoLeadingWords)
{
    // Matches no row; word1 = 8 picks the first native row.
    auto f = stream_of(bytes("\x12\x34\x56\x78\0\0\0\x08") + "rest");
    XSImage* image = XslReadMagicWith(f.get(), kTable, kNatives);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->format, XSF_NATIVE);
    EXPECT_EQ(readers(), (std::vector<std::string>{"native"}));
    EXPECT_EQ(calls[0].position, 8);
    EXPECT_EQ(seen_word0, 0x12345678u);
    EXPECT_EQ(seen_word1, 8u);
    EXPECT_EQ(imagefunc, 0);
    std::free(image);
}

TEST_F(Dispatch, EveryFailureEndsWithUnknownFormat)
{
    auto f = stream_of(bytes("XY\0\0\0\0\0\x07zz"));
    EXPECT_EQ(XslReadMagicWith(f.get(), kTable, kNatives), nullptr);
    EXPECT_EQ(readers(), (std::vector<std::string>{"b", "failing native"}));
    EXPECT_EQ(calls[1].position, 8);
    EXPECT_EQ(xslerrno, XSE_UNKNOWN_FORMAT);

    calls.clear();
    auto g = stream_of("XYZ");
    EXPECT_EQ(XslReadMagicWith(g.get(), kTable, kNoNatives), nullptr);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(xslerrno, XSE_UNKNOWN_FORMAT);
}

TEST_F(Dispatch, RemembersTheLastReaderThatMatchedAndItsCode)
{
    struct Case {
        std::string file;
        const XSImageType* natives;
        const char* name;
        int code;
    } cases[] = {
        {"AB\x01\x02" + std::string(20, 'x'), kNatives, "C", 0},
        {bytes("XY\0\0\0\0\0\x07zz"), kNoNatives, "B", XSE_DATA_READ},
        // The first format whose magic matched names the failure, not the family after it.
        {bytes("XY\0\0\0\0\0\x07zz"), kNatives, "B", XSE_DATA_READ},
        {bytes("QQ\0\0\0\0\0\x09zz"), kNatives, "IMG", XSE_BAD_MAGIC},
        {"XYZ", kNoNatives, nullptr, 0},
    };
    for (const Case& c : cases) {
        auto f = stream_of(c.file);
        XSImage* image = XslReadMagicWith(f.get(), kTable, c.natives);
        if (!image) {
            EXPECT_EQ(xslerrno, XSE_UNKNOWN_FORMAT);
        }
        EXPECT_STREQ(XSLLastReaderName(), c.name) << c.file;
        EXPECT_EQ(XSLLastReaderCode(), c.code) << c.file;
        std::free(image);
    }
    EXPECT_STREQ(XSLErrorText(XSLLastReaderCode()), nullptr);
    EXPECT_STREQ(XSLErrorText(XSE_DATA_READ), "damaged image data");
    EXPECT_STREQ(XSLErrorText(-3), "image library failure");
}

TEST_F(Dispatch, NativeDispatchCodes)
{
    auto short_file = stream_of("1234567");
    EXPECT_EQ(XslReadNativeWith(short_file.get(), kNatives), nullptr);
    EXPECT_EQ(xslerrno, XSE_HEADER_READ);
    EXPECT_EQ(imagefunc, -1);

    auto f = stream_of("12345678");
    EXPECT_EQ(XslReadNativeWith(f.get(), kNoNatives), nullptr);
    EXPECT_EQ(xslerrno, XSE_NO_NATIVE_READER);

    // No row of the library's own table recognises these words.
    std::rewind(f.get());
    EXPECT_EQ(XSLRead(f.get()), nullptr);
    EXPECT_EQ(xslerrno, XSE_NO_NATIVE_READER);
}

TEST_F(Dispatch, CheckUpFillsTheInformationRecord)
{
    auto f = stream_of(bytes("\0\0\1\0\0\0\0\x08"));
    XSInfo info{};
    EXPECT_EQ(XslCheckUpWith(f.get(), &info, kNatives), 1);
    EXPECT_EQ(info.width, 256);
    EXPECT_EQ(info.height, 8);
    EXPECT_EQ(info.resolution, 72);
    EXPECT_EQ(imagefunc, 0);

    std::rewind(f.get());
    EXPECT_EQ(XslCheckUpWith(f.get(), &info, kNoNatives), 0);
    EXPECT_EQ(xslerrno, XSE_NO_NATIVE_READER);
}

TEST_F(Dispatch, WriteGoesThroughTheChosenRowOnly)
{
    auto f = empty_stream();
    XSImage image{};
    EXPECT_EQ(XslWriteModeWith(0x04, kNatives), 0x04);
    EXPECT_EQ(imagefunc, 1);
    EXPECT_EQ(XslWriteModeWith(0x41, kNatives), 0x01);
    EXPECT_EQ(imagefunc, 0);
    EXPECT_EQ(XslWriteWith(f.get(), &image, kNatives), 1);
    EXPECT_EQ(wrote, 1);

    // A failed choice leaves no row to write through.
    EXPECT_EQ(XslWriteModeWith(0x40, kNatives), 0);
    EXPECT_EQ(XslWriteWith(f.get(), &image, kNatives), 0);
    EXPECT_EQ(xslerrno, XSE_NO_NATIVE_READER);
    EXPECT_EQ(wrote, 1);

    // A row number beyond the library's four rows is not trusted either.
    imagefunc = 4;
    xslerrno = 0;
    EXPECT_EQ(XSLWrite(f.get(), &image), 0);
    EXPECT_EQ(xslerrno, XSE_NO_NATIVE_READER);
    // Every mode bit of the library's rows chooses the first row; others none.
    EXPECT_EQ(XSLWriteMode(0x3F), 0x3F & XSImageTypes[0].mode_mask);
    EXPECT_EQ(imagefunc, 0);
    EXPECT_EQ(XSLWriteMode(0x40), 0);
}

TEST(MagicTable, RowsKeepTheirOrderAndEndWithANullMagic)
{
    // Every row the library knows, in the order they are tried; rows join the
    // table as their readers come, so the table must be an ordered part of this.
    struct Expected {
        std::string magic;
        int offset;
        int format;
        const char* name;
    };
    const Expected all[] = {
        {"MM", 0, XSF_TIFF, "TIFF"},          {"II", 0, XSF_TIFF, "TIFF"},
        {"\xff\xd8\xff", 0, XSF_JPEG, "JPEG"}, {"JFIF", 6, XSF_JPEG, "JFIF"},
        {"\x59\xa6\x6a\x95", 0, XSF_SUN, "SUN"}, {"GIF87a", 0, XSF_GIF, "GIF"},
        {"GIF89a", 0, XSF_GIF, "GIF"},        {"\x01\xda", 0, XSF_IRIS, "IRIS"},
        {"P1", 0, XSF_PBM, "PBM"},            {"P2", 0, XSF_PBM, "PGM"},
        {"P3", 0, XSF_PBM, "PPM"},            {"P4", 0, XSF_PBM, "PBM"},
        {"P5", 0, XSF_PBM, "PGM"},            {"P6", 0, XSF_PBM, "PPM"},
        {"BM", 0, XSF_BMP, "BMP"},            {"\x0a\x01\x01", 0, XSF_PCX, "PCX"},
        {"\x0a\x02\x01", 0, XSF_PCX, "PCX"},  {"\x0a\x03\x01", 0, XSF_PCX, "PCX"},
        {"\x0a\x04\x01", 0, XSF_PCX, "PCX"},  {"\x0a\x05\x01", 0, XSF_PCX, "PCX"},
        {std::string("\0\0\0\x07", 4), 4, XSF_XWD, "XWD"},
        {std::string("\0\0\0\x08", 4), 4, XSF_NATIVE, "IMG"},
        {std::string("\0\0\0\x07", 4), 4, XSF_NATIVE, "IMG"},
        {"\x89PNG\r\n\x1a\n", 0, XSF_PNG, "PNG"}, {"WEBP", 8, XSF_WEBP, "WEBP"},
    };
    size_t next = 0;
    int rows = 0, pbm_rows = 0;
    for (const XSMagicRow* row = magic_table; row->magic; ++row, ++rows) {
        ASSERT_NE(row->reader, nullptr);
        ASSERT_NE(row->writer, nullptr);
        ASSERT_NE(row->info, nullptr);
        EXPECT_EQ(row->info(), 0);
        const std::string magic(reinterpret_cast<const char*>(row->magic), size_t(row->length));
        while (next < std::size(all) && !(all[next].magic == magic && all[next].offset == row->offset &&
                                          all[next].format == row->format && std::string(all[next].name) == row->name))
            ++next;
        ASSERT_LT(next, std::size(all)) << "row " << rows + 1 << " (" << row->name << ") out of place or wrong";
        ++next;
        pbm_rows += row->format == XSF_PBM;
    }
    EXPECT_EQ(pbm_rows, 6);
    EXPECT_GE(rows, 10);                     // TIFF, JPEG and PBM rows at least
}

TEST(ReadData, RepeatsUntilEverythingIsThereOrTheFileEnds)
{
    auto f = stream_of("abcdef");
    char buffer[8] = {};
    EXPECT_EQ(XSReadData(buffer, 2, 3, f.get()), 1);
    EXPECT_STREQ(buffer, "abcdef");
    std::rewind(f.get());
    EXPECT_EQ(XSReadData(buffer, 7, 1, f.get()), 0);
    EXPECT_EQ(XSReadData(buffer, SIZE_MAX / 2, 3, f.get()), 0);
}

TEST(ReadData, CountedBlocks)
{
    auto f = stream_of(bytes("\x03" "abc" "\x00" "\x05" "ab"));
    unsigned char buffer[255];
    EXPECT_EQ(XSReadDataBlock(buffer, f.get()), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 3), "abc");
    EXPECT_EQ(XSReadDataBlock(buffer, f.get()), 0);
    EXPECT_EQ(XSReadDataBlock(buffer, f.get()), -1);  // block cut short
    EXPECT_EQ(XSReadDataBlock(buffer, f.get()), -1);  // no count byte
}
