#include "transfer/FieldRules.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

using namespace std::string_literals;

// The atoi rule, clamped to int instead of wrapping: "4294967297" would wrap to 1 in 32 bits
// and pass as mode 1.
TEST(IntegerRule, LeadingBlanksSignDigitsUpToTheFirstOtherCharacter) {
    const std::pair<int, std::vector<std::string>> cases[] = {
        {0, {"", "abc", "-", "--1"}},
        {12, {"12", "\t\r\n 12", "12 ", "12abc"}},
        {1,
         {"1\r", "1.9",
          "1\0"s
          "2"}},
        {-1, {"-1"}},
        {7, {"+7"}},
        {65536, {"65536"}},
        {INT_MAX, {"2147483647", "2147483648", "4294967297", "9999999999999999999"}},
        {INT_MIN, {"-2147483648", "-2147483649"}}};
    for (const auto& [value, texts] : cases)
        for (const std::string& text : texts)
            EXPECT_EQ(IntegerRule(text), value) << "text: " << text;
}

// The strtod rule in the classic locale, accepted only when it uses up the whole text.
TEST(RealRule, NeedsTheWholeTextAndAFiniteFloat) {
    const std::pair<float, std::vector<std::string>> accepted[] = {
        {0.0f, {"", "1e-50"}},
        {1.5f, {" 1.5", "+1.5", "0x1.8p0"}},
        {-0.015f, {"-1.5E-2"}},
        {0.5f, {".5"}},
        {1.0f, {"1.00000000000000000"}},
        {static_cast<float>(0.1), {"0.1"}},
        {static_cast<float>(-1234.5678), {"-1234.5678"}},
        {static_cast<float>(3.4e38), {"3.4e38"}}};
    for (const auto& [expected, texts] : accepted) {
        for (const std::string& text : texts) {
            float value = -99.0f;
            EXPECT_EQ(RealRule(text, value), RealRuleResult::Accepted) << "text: " << text;
            EXPECT_EQ(value, expected) << "text: " << text;
        }
    }
    float value = 0.0f;
    for (const std::string& text :
         {"1.5 "s, "1.5x"s, "1.5\r"s, " "s, "-"s, "1,5"s, "1.5\0"s, "1e"s})
        EXPECT_EQ(RealRule(text, value), RealRuleResult::NotNumber) << "text: " << text;
    for (const char* text : {"1e39", "-1e39", "1e400", "-1e400"})
        EXPECT_EQ(RealRule(text, value), RealRuleResult::TooLarge) << "text: " << text;
    // NaN and infinity keep their value and sign, for the alarms that may hold them.
    for (const char* text : {"nan", "-nan", "inf", "-inf"}) {
        EXPECT_EQ(RealRule(text, value), RealRuleResult::NotFinite) << "text: " << text;
        EXPECT_EQ(std::signbit(value), text[0] == '-') << text;
        EXPECT_EQ(std::isnan(value), std::string(text).find("nan") != std::string::npos) << text;
    }
}
