#include "platform/Archive.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

TEST(CArchive, IntegersAreLittleEndian) {
    Bytes buffer;
    {
        CArchive ar(buffer, CArchive::store);
        ar << BYTE{0xAB} << WORD{0x1234} << DWORD{0x12345678} << int{-2};
    }
    EXPECT_EQ(buffer, (Bytes{0xAB, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF}));

    CArchive in(buffer, CArchive::load);
    BYTE b = 0;
    WORD w = 0;
    DWORD dw = 0;
    int i = 0;
    in >> b >> w >> dw >> i;
    EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(dw, 0x12345678u);
    EXPECT_EQ(i, -2);
}

struct PrefixCase {
    std::size_t length;
    Bytes prefix;
    friend void PrintTo(const PrefixCase& c, std::ostream* os) { *os << "length " << c.length; }
};

class CArchiveStringPrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(CArchiveStringPrefix, ChoosesTheFormByLengthAndRoundTrips) {
    const PrefixCase& c = GetParam();
    const CString text(std::string(c.length, 'x'));
    Bytes buffer;
    {
        CArchive ar(buffer, CArchive::store);
        ar << text;
    }
    ASSERT_EQ(buffer.size(), c.prefix.size() + c.length);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + c.prefix.size()), c.prefix);

    CArchive in(buffer, CArchive::load);
    CString loaded("not loaded");
    in >> loaded;
    EXPECT_EQ(loaded, text);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, CArchiveStringPrefix,
    ::testing::Values(PrefixCase{0, {0x00}}, PrefixCase{254, {0xFE}},
                      PrefixCase{255, {0xFF, 0xFF, 0x00}}, PrefixCase{65534, {0xFF, 0xFE, 0xFF}},
                      PrefixCase{65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}}));

// Each load below runs past the end of its data in a different place.
struct ShortCase {
    const char* name;
    Bytes data;
    friend void PrintTo(const ShortCase& c, std::ostream* os) { *os << c.name; }
};

class CArchiveShortData : public ::testing::TestWithParam<ShortCase> {};

TEST_P(CArchiveShortData, LoadingPastTheEndThrows) {
    Bytes buffer = GetParam().data;
    CArchive in(buffer, CArchive::load);
    CString s;
    try {
        in >> s;
        FAIL() << "no exception";
    } catch (CArchiveException* e) {
        EXPECT_EQ(e->m_cause, CArchiveException::endOfFile);
        e->Delete();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CArchiveShortData,
    ::testing::Values(ShortCase{"empty", {}}, ShortCase{"text", {0x03, 'a', 'b'}},
                      ShortCase{"wordLength", {0xFF, 0x01}},
                      ShortCase{"dwordLength", {0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00}}));

TEST(CArchive, FileRoundTrip) {
    const auto path = std::filesystem::path(::testing::TempDir()) /
                      ("orx-archive-" + std::to_string(::getpid()) + ".bin");
    {
        CArchive ar(path.string(), CArchive::store);
        ar << WORD{0x0102} << CString("host");
        EXPECT_TRUE(ar.Close());
    }
    EXPECT_EQ(std::filesystem::file_size(path), 2u + 1u + 4u);
    {
        CArchive in(path.string(), CArchive::load);
        WORD w = 0;
        CString s;
        in >> w >> s;
        EXPECT_EQ(w, 0x0102);
        EXPECT_EQ(s, "host");
    }
    std::filesystem::remove(path);
}

} // namespace
