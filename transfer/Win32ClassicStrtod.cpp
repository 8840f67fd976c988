#include "transfer/ClassicStrtod.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <locale.h>
#include <stdlib.h>

namespace {

bool IsClassicSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool StartsWith(const char* text, const char* word) {
    return _strnicmp(text, word, std::strlen(word)) == 0;
}

bool IsNanChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// "inf", "infinity" or "nan" with its optional "(chars)", ignoring case; nullptr when p holds
// none of them, else where it ends.
const char* SpecialEnd(const char* p, double& value) {
    if (StartsWith(p, "inf")) {
        value = std::numeric_limits<double>::infinity();
        return p + (StartsWith(p, "infinity") ? std::strlen("infinity") : std::strlen("inf"));
    }
    if (!StartsWith(p, "nan"))
        return nullptr;
    value = std::numeric_limits<double>::quiet_NaN();
    const char* end = p + std::strlen("nan");
    if (*end != '(')
        return end;
    const char* close = end + 1;
    while (IsNanChar(*close))
        ++close;
    return *close == ')' ? close + 1 : end;
}

// The digits after "0x"; nullptr when there are none, so that only the "0" counts.
const char* HexEnd(const char* p, double& value) {
    const char* last = p + std::strlen(p);
    const std::from_chars_result read = std::from_chars(p, last, value, std::chars_format::hex);
    if (read.ec == std::errc::invalid_argument)
        return nullptr;
    if (read.ec == std::errc::result_out_of_range) {
        // Too large, unless the exponent is negative: then too small.
        const char* exponent = std::strpbrk(p, "pP");
        const bool tiny = exponent != nullptr && exponent < read.ptr && exponent[1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
        errno = ERANGE;
    }
    return read.ptr;
}

} // namespace

// msvcrt's own strtod reads neither hexadecimal numbers nor infinity and NaN: those forms are
// read here, decimal numbers by _strtod_l in the classic locale.
double ClassicStrtod(const char* text, char** end) {
    static const _locale_t classic = _create_locale(LC_ALL, "C");
    const char* p = text;
    while (IsClassicSpace(*p))
        ++p;
    const bool negative = *p == '-';
    const char* unsigned_ = *p == '+' || *p == '-' ? p + 1 : p;
    double value = 0.0;
    const char* special = SpecialEnd(unsigned_, value);
    if (special == nullptr && unsigned_[0] == '0' && (unsigned_[1] == 'x' || unsigned_[1] == 'X'))
        special = HexEnd(unsigned_ + 2, value);
    if (special != nullptr) {
        *end = const_cast<char*>(special);
        return negative ? -value : value;
    }
    if (classic == nullptr) {
        *end = const_cast<char*>(text);
        return 0.0;
    }
    return _strtod_l(text, end, classic);
}
