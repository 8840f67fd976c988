#include "platform/String.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(CString, FormatReplacesTheContent) {
    CString s("old text");
    s.Format("%s error #%d", "Modbus crc", 3);
    EXPECT_EQ(s, "Modbus crc error #3");
    EXPECT_EQ(s.GetLength(), 19);
}

TEST(CString, FormatHasNoLengthLimit) {
    constexpr int LONG_LENGTH = 5000;
    const std::string longText(LONG_LENGTH, 'a');
    CString s;
    s.Format("[%s]", longText.c_str());
    EXPECT_EQ(s.GetLength(), LONG_LENGTH + 2);
    EXPECT_EQ(s.str(), "[" + longText + "]");
}

TEST(CString, ComparesAndConverts) {
    const CString a("abc"), b("abd");
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a == CString("abc"));
    EXPECT_STREQ(static_cast<const char*>(a), "abc");
    EXPECT_EQ(CString(nullptr), "");
    EXPECT_EQ(CString("ab\0cd", 5).GetLength(), 5);
}

} // namespace
