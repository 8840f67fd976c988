#include "platform/Array.h"

#include <gtest/gtest.h>

namespace {

constexpr WORD SENTINEL = 0xBEEF;

TEST(CArray, EveryAccessChecksTheIndex) {
    CWordArray a;
    a.SetSize(3);
    const CWordArray& c = a;
    for (INT_PTR bad : {INT_PTR{-1}, INT_PTR{3}, INT_PTR{1000}}) {
        EXPECT_THROW(a[bad], std::invalid_argument) << bad;
        EXPECT_THROW(c[bad], std::invalid_argument) << bad;
        EXPECT_THROW(a.GetAt(bad), std::invalid_argument) << bad;
        EXPECT_THROW(a.SetAt(bad, SENTINEL), std::invalid_argument) << bad;
        EXPECT_THROW(a.ElementAt(bad), std::invalid_argument) << bad;
    }
    CByteArray empty;
    EXPECT_THROW(empty[0], std::invalid_argument);
}

TEST(CArray, SetSizeZeroFillsNewElements) {
    CWordArray a;
    a.SetSize(2);
    a[0] = SENTINEL;
    a[1] = SENTINEL;
    a.SetSize(1);
    a.SetSize(3);
    EXPECT_EQ(a[0], SENTINEL);
    EXPECT_EQ(a[1], 0);
    EXPECT_EQ(a[2], 0);

    CArray<float, float> f;
    f.SetSize(2);
    EXPECT_EQ(f[1], 0.0f);
    EXPECT_THROW(f.SetSize(-1), std::invalid_argument);
}

TEST(CArray, RemoveAtClosesTheGap) {
    CByteArray a;
    EXPECT_EQ(a.Add(7), 0);
    EXPECT_EQ(a.Add(8), 1);
    EXPECT_EQ(a.Add(9), 2);
    a.RemoveAt(1);
    ASSERT_EQ(a.GetSize(), 2);
    EXPECT_EQ(a[0], 7);
    EXPECT_EQ(a[1], 9);
    EXPECT_THROW(a.RemoveAt(1, 2), std::invalid_argument);
    EXPECT_EQ(a.GetSize(), 2);
}

} // namespace
