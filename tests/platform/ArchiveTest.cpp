#include "platform/Archive.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

using Bytes = std::vector<BYTE>;

// Buffers are checked byte by byte with the modbus records; a file takes the same values.
TEST(CArchive, IntegersRoundTripThroughAFile) {
    const std::string path = (std::filesystem::path(::testing::TempDir()) /
                              ("orx-archive-" + std::to_string(::getpid()) + ".bin"))
                                 .string();
    CArchive file(path, CArchive::store);
    file << BYTE{0xAB} << WORD{0x1234} << DWORD{0x12345678} << -2;
    EXPECT_TRUE(file.Close());
    std::tuple<BYTE, WORD, DWORD, int> loaded;
    auto& [b, w, dw, i] = loaded;
    CArchive(path, CArchive::load) >> b >> w >> dw >> i;
    std::filesystem::remove(path);
    EXPECT_EQ(loaded, std::make_tuple(BYTE{0xAB}, WORD{0x1234}, DWORD{0x12345678}, -2));
}

// Each string loads back whole; one byte short it runs out in its prefix or its text.
TEST(CArchive, StringPrefixFormChosenByLengthRoundTripsAndEndsInEndOfFile) {
    const struct {
        std::size_t length;
        Bytes prefix;
    } cases[] = {{0, {0x00}},
                 {254, {0xFE}},
                 {255, {0xFF, 0xFF, 0x00}},
                 {65534, {0xFF, 0xFE, 0xFF}},
                 {65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const CString text(std::string(c.length, 'x'));
        Bytes buffer;
        CArchive(buffer, CArchive::store) << text;
        ASSERT_EQ(buffer.size(), c.prefix.size() + c.length);
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + c.prefix.size()), c.prefix);
        CString loaded("not loaded");
        CArchive(buffer, CArchive::load) >> loaded;
        EXPECT_EQ(loaded, text);
        buffer.pop_back();
        try {
            CArchive(buffer, CArchive::load) >> loaded;
            ADD_FAILURE() << "no exception";
        } catch (CArchiveException* e) {
            EXPECT_EQ(e->m_cause, CArchiveException::endOfFile);
            e->Delete();
        }
    }
}
