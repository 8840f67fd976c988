#include "platform/IpAddress.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int FIELD_COUNT = 4;
constexpr int FIELD_MAX = 255;
constexpr int MAX_DIGITS = 3;
constexpr int BITS_PER_FIELD = 8;

int FieldShift(int index) {
    return BITS_PER_FIELD * (FIELD_COUNT - 1 - index);
}

unsigned Field(DWORD address, int index) {
    return (address >> FieldShift(index)) & FIELD_MAX;
}

} // namespace

BOOL ParseDottedAddress(const char* text, DWORD& address) {
    if (text == nullptr)
        return FALSE;
    DWORD result = 0;
    const char* p = text;
    for (int i = 0; i < FIELD_COUNT; ++i) {
        const std::size_t digits = std::strspn(p, "0123456789");
        if (digits == 0 || digits > MAX_DIGITS)
            return FALSE;
        const int value = std::atoi(p);
        if (value > FIELD_MAX)
            return FALSE;
        result |= static_cast<DWORD>(value) << FieldShift(i);
        p += digits;
        const char expected = i + 1 < FIELD_COUNT ? '.' : '\0';
        if (*p != expected)
            return FALSE;
        ++p;
    }
    address = result;
    return TRUE;
}

CString DottedAddress(DWORD address) {
    CString text;
    text.Format("%u.%u.%u.%u", Field(address, 0), Field(address, 1), Field(address, 2),
                Field(address, 3));
    return text;
}
