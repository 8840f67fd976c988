#include "transfer/FieldRules.h"

#include "transfer/ClassicStrtod.h"

#include <cerrno>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <string>

namespace {
constexpr int DECIMAL_BASE = 10;
// The least magnitude that rounds to infinity in single precision, halfway between FLT_MAX and
// 2^128: 3.4028235e38, FLT_MAX's shortest text, lies above FLT_MAX and still means it.
constexpr double FLOAT_OVERFLOW = (2.0 - 0x1p-24) * 0x1p127;

bool IsClassicSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Where the digits of the integer rule begin: after leading white space and a sign.
std::size_t DigitsStart(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsClassicSpace(text[i]))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    return i;
}
// strtod's hexadecimal form ("0x10", "0x1p4"): not a number in a configuration file, where a
// person means decimal, whatever the system's strtod would make of it.
bool IsHexadecimalForm(std::string_view text) {
    const std::size_t i = DigitsStart(text);
    return i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X');
}

// The float nearest to a decimal text: the double nearest to it, rounded again, can miss by one
// unit where the text lies next to the midpoint of two floats (-7.038531e-26). Texts that
// from_chars does not take (leading white space or '+') keep the double's float.
float NearestFloat(const std::string& text, double number) {
    float nearest = 0.0f;
    const char* last = text.data() + text.size();
    const std::from_chars_result read = std::from_chars(text.data(), last, nearest);
    return read.ec == std::errc() && read.ptr == last ? nearest : static_cast<float>(number);
}
} // namespace

int IntegerRule(std::string_view text) {
    std::size_t i = DigitsStart(text);
    const bool negative = i > 0 && text[i - 1] == '-';
    // One past INT_MAX, so that INT_MIN is reachable and the sum never overflows.
    constexpr long long LIMIT = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = magnitude * DECIMAL_BASE + (text[i] - '0');
        if (magnitude > LIMIT)
            magnitude = LIMIT;
    }
    if (negative)
        return static_cast<int>(-magnitude);
    return static_cast<int>(magnitude < LIMIT ? magnitude : INT_MAX);
}

bool IsPlainInteger(std::string_view text) {
    const std::size_t start = DigitsStart(text);
    std::size_t i = start;
    while (i < text.size() && IsDigit(text[i]))
        ++i;
    return i > start && i == text.size();
}

RealRuleResult RealRule(std::string_view text, float& value) {
    if (IsHexadecimalForm(text))
        return RealRuleResult::NotNumber;
    const std::string field(text); // strtod needs the terminator
    char* end = nullptr;
    errno = 0;
    const double number = ClassicStrtod(field.c_str(), &end);
    if (end != field.c_str() + field.size())
        return RealRuleResult::NotNumber;
    // An overflow gives infinity too, but with ERANGE.
    const bool overflow = std::isinf(number) && errno == ERANGE;
    if (overflow || (std::isfinite(number) && std::fabs(number) >= FLOAT_OVERFLOW))
        return RealRuleResult::TooLarge;
    value = std::isfinite(number) ? NearestFloat(field, number) : static_cast<float>(number);
    return std::isfinite(number) ? RealRuleResult::Accepted : RealRuleResult::NotFinite;
}
