// Strings, arrays and the lock that the Modbus classes are built on.
#include "platform/Array.h"
#include "platform/CriticalSection.h"
#include "platform/String.h"

#include <gtest/gtest.h>

#include <future>

using namespace std::chrono_literals;

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
