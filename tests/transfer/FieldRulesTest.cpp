#include "transfer/FieldRules.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using namespace std::string_literals;

namespace {
struct IntegerCase {
    std::string text;
    int value;
};

class IntegerRuleTest : public ::testing::TestWithParam<IntegerCase> {};

struct RealCase {
    std::string text;
    RealRuleResult result;
    float value; // compared only when accepted
};

class RealRuleTest : public ::testing::TestWithParam<RealCase> {};
} // namespace

TEST_P(IntegerRuleTest, FollowsTheAtoiRule) {
    EXPECT_EQ(IntegerRule(GetParam().text), GetParam().value) << "text: " << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntegerRuleTest,
    ::testing::Values(IntegerCase{"", 0}, IntegerCase{"12", 12}, IntegerCase{" 12", 12},
                      IntegerCase{"\t\r\n 12", 12}, IntegerCase{"12 ", 12},
                      IntegerCase{"12abc", 12}, IntegerCase{"1\r", 1}, IntegerCase{"abc", 0},
                      IntegerCase{"x12", 0}, IntegerCase{"-1", -1}, IntegerCase{"+7", 7},
                      IntegerCase{"-", 0}, IntegerCase{"- 1", 0}, IntegerCase{"--1", 0},
                      IntegerCase{"+-1", 0}, IntegerCase{"1,extra", 1}, IntegerCase{"007", 7},
                      IntegerCase{"1.9", 1}, IntegerCase{"65536", 65536},
                      IntegerCase{"2147483647", INT_MAX}, IntegerCase{"-2147483648", INT_MIN},
                      IntegerCase{"2147483648", INT_MAX}, IntegerCase{"-2147483649", INT_MIN},
                      // Would wrap to 1 in 32 bits; clamped, it can never pass as mode 1.
                      IntegerCase{"4294967297", INT_MAX},
                      IntegerCase{"9999999999999999999", INT_MAX},
                      IntegerCase{"-999999999999999999", INT_MIN},
                      IntegerCase{"1\0"
                                  "2"s,
                                  1}));

TEST_P(RealRuleTest, FollowsStrtodAndNeedsTheWholeText) {
    const RealCase& c = GetParam();
    float value = -99.0f;
    ASSERT_EQ(RealRule(c.text, value), c.result) << "text: " << c.text;
    if (c.result == RealRuleResult::Accepted) {
        EXPECT_EQ(value, c.value) << "text: " << c.text;
    }
}

constexpr auto OK = RealRuleResult::Accepted;
constexpr auto NAN_TEXT = RealRuleResult::NotNumber;
constexpr auto NOT_FINITE = RealRuleResult::NotFinite;

INSTANTIATE_TEST_SUITE_P(
    Cases, RealRuleTest,
    ::testing::Values(
        RealCase{"", OK, 0.0f}, RealCase{"1.5", OK, 1.5f}, RealCase{" 1.5", OK, 1.5f},
        RealCase{"\t1.5", OK, 1.5f}, RealCase{"1.5 ", NAN_TEXT, 0}, RealCase{"1.5x", NAN_TEXT, 0},
        RealCase{"1.5\r", NAN_TEXT, 0}, RealCase{"abc", NAN_TEXT, 0}, RealCase{" ", NAN_TEXT, 0},
        RealCase{"-", NAN_TEXT, 0}, RealCase{".", NAN_TEXT, 0}, RealCase{"1,5", NAN_TEXT, 0},
        RealCase{"1.5.0", NAN_TEXT, 0}, RealCase{"1.5\0"s, NAN_TEXT, 0},
        RealCase{"-2.5", OK, -2.5f}, RealCase{"+2.5", OK, 2.5f}, RealCase{"-12.0000", OK, -12.0f},
        RealCase{"1000.0000", OK, 1000.0f}, RealCase{".5", OK, 0.5f}, RealCase{"5.", OK, 5.0f},
        RealCase{"1e3", OK, 1000.0f}, RealCase{"-1.5E-2", OK, static_cast<float>(-0.015)},
        RealCase{"1e", NAN_TEXT, 0}, RealCase{"0x1p3", OK, 8.0f},
        RealCase{"2.7183", OK, static_cast<float>(2.7183)},
        RealCase{"1.00000000000000000", OK, 1.0f},
        RealCase{"3.4e38", OK, static_cast<float>(3.4e38)}, RealCase{"1e-50", OK, 0.0f},
        RealCase{"inf", NOT_FINITE, 0}, RealCase{"-Infinity", NOT_FINITE, 0},
        RealCase{"nan", NOT_FINITE, 0}, RealCase{"1e39", NOT_FINITE, 0},
        RealCase{"-1e39", NOT_FINITE, 0}, RealCase{"1e400", NOT_FINITE, 0}));

TEST(RealRuleRounding, TakesTheNearestFloatOfTheDoubleValue) {
    float value = 0.0f;
    ASSERT_EQ(RealRule("0.1", value), RealRuleResult::Accepted);
    EXPECT_EQ(value, static_cast<float>(0.1));
    ASSERT_EQ(RealRule("-1234.5678", value), RealRuleResult::Accepted);
    EXPECT_EQ(value, static_cast<float>(-1234.5678));
}
