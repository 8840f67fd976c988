// Run-time classes, strings, arrays, the lock and the archive.
#include "platform/Archive.h"
#include "platform/Array.h"
#include "platform/CriticalSection.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <unistd.h>

using namespace std::chrono_literals;
using Bytes = std::vector<BYTE>;

TEST(RuntimeClass, NamesBasesAndIsKindOfFollowTheWholeChain) {
    CException* e = new CArchiveException(CArchiveException::none);
    std::string chain;
    for (const CRuntimeClass* cls = e->GetRuntimeClass(); cls; cls = cls->m_pBaseClass)
        chain += std::string(cls->m_lpszClassName) + "/";
    EXPECT_EQ(chain, "CArchiveException/CException/CObject/");
    EXPECT_TRUE(e->IsKindOf(&CObject::classCObject));
    e->Delete();
    e = new CException;
    EXPECT_FALSE(e->IsKindOf(RUNTIME_CLASS(CArchiveException)));
    e->Delete();
}

TEST(CArray, EveryAccessChecksTheIndexGrowingZeroFillsAndStringsCompare) {
    EXPECT_TRUE(CString("abc") < CString("abd") && !(CString("abc") == CString("abd")));
    EXPECT_EQ(CString(nullptr), "");
    constexpr WORD SENTINEL = 0xBEEF;
    CWordArray a;
    a.SetSize(2);
    a[0] = a[1] = SENTINEL;
    a.SetSize(1);
    a.SetSize(3);
    EXPECT_EQ((std::vector<WORD>{a[0], a[1], a[2]}), (std::vector<WORD>{SENTINEL, 0, 0}));
    for (INT_PTR bad : {INT_PTR{-1}, INT_PTR{3}}) {
        EXPECT_THROW(a[bad], std::invalid_argument) << bad;
        EXPECT_THROW(a.SetAt(bad, SENTINEL), std::invalid_argument) << bad;
    }
    EXPECT_THROW(a.RemoveAt(2, 2), std::invalid_argument);
    EXPECT_THROW(a.SetSize(-1), std::invalid_argument);
    EXPECT_EQ(a.GetSize(), 3);
}

// The other thread gets 50 ms to take the lock; a correct lock never makes this fail.
TEST(CCriticalSection, ReentrantOnOneThreadExclusiveAgainstAnother) {
    CCriticalSection cs;
    ASSERT_TRUE(cs.Lock() && cs.Lock());
    auto other = std::async(std::launch::async, [&cs] { cs.Lock() && cs.Unlock(); });
    cs.Unlock(); // still held once
    EXPECT_EQ(other.wait_for(50ms), std::future_status::timeout);
    cs.Unlock();
    EXPECT_EQ(other.wait_for(10s), std::future_status::ready);
}

// Buffers are checked byte by byte with the modbus records; a file takes the same values.
// Each string loads back whole; one byte short it runs out in its prefix or its text.
TEST(CArchive, ValuesRoundTripThroughAFileAndStringPrefixesEndInEndOfFile) {
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
    const std::pair<std::size_t, Bytes> cases[] = {{0, {0x00}},
                                                   {254, {0xFE}},
                                                   {255, {0xFF, 0xFF, 0x00}},
                                                   {65534, {0xFF, 0xFE, 0xFF}},
                                                   {65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}}};
    for (const auto& [length, prefix] : cases) {
        SCOPED_TRACE(length);
        const CString text(std::string(length, 'x'));
        Bytes buffer;
        CArchive(buffer, CArchive::store) << text;
        ASSERT_EQ(buffer.size(), prefix.size() + length);
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + prefix.size()), prefix);
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
