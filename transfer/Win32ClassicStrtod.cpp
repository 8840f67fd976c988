#include "transfer/ClassicStrtod.h"

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

} // namespace

// msvcrt's own strtod does not read infinity and NaN: those forms are read here, decimal
// numbers by _strtod_l in the classic locale.
double ClassicStrtod(const char* text, char** end) {
    static const _locale_t classic = _create_locale(LC_ALL, "C");
    const char* p = text;
    while (IsClassicSpace(*p))
        ++p;
    const bool negative = *p == '-';
    const char* unsigned_ = *p == '+' || *p == '-' ? p + 1 : p;
    double value = 0.0;
    const char* special = SpecialEnd(unsigned_, value);
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
