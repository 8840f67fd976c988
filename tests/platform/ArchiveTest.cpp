#include "platform/Archive.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using Bytes = std::vector<BYTE>;

// Stored into a buffer, loaded back from a file written the same way.
TEST(CArchive, IntegersAreLittleEndianInBufferAndFile) {
    const auto path = std::filesystem::path(::testing::TempDir()) /
                      ("orx-archive-" + std::to_string(::getpid()) + ".bin");
    Bytes buffer;
    CArchive(buffer, CArchive::store) << BYTE{0xAB} << WORD{0x1234} << DWORD{0x12345678} << -2;
    EXPECT_EQ(buffer, (Bytes{0xAB, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF}));
    {
        CArchive file(path.string(), CArchive::store);
        file << BYTE{0xAB} << WORD{0x1234} << DWORD{0x12345678} << -2;
        EXPECT_TRUE(file.Close());
    }
    EXPECT_EQ(std::filesystem::file_size(path), buffer.size());
    BYTE b = 0;
    WORD w = 0;
    DWORD dw = 0;
    int i = 0;
    CArchive(path.string(), CArchive::load) >> b >> w >> dw >> i;
    std::filesystem::remove(path);
    EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(dw, 0x12345678u);
    EXPECT_EQ(i, -2);
}

TEST(CArchive, StringPrefixFormChosenByLengthAndRoundTrips) {
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
    }
}

TEST(CArchive, LoadingPastTheEndThrowsEndOfFile) {
    // Each runs out in a different place: prefix, text, 16-bit length, 32-bit length.
    for (Bytes data : {Bytes{}, Bytes{0x03, 'a', 'b'}, Bytes{0xFF, 0x01},
                       Bytes{0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00}}) {
        SCOPED_TRACE(data.size());
        CArchive in(data, CArchive::load);
        CString s;
        try {
            in >> s;
            ADD_FAILURE() << "no exception";
        } catch (CArchiveException* e) {
            EXPECT_EQ(e->m_cause, CArchiveException::endOfFile);
            e->Delete();
        }
    }
}
