#include "modbus/ModbusException.h"

#include <cstdio>

IMPLEMENT_DYNAMIC(CModbusException, CException)

namespace {
constexpr std::size_t FORMAT_BUFFER_CHARS = 200;
}

BOOL FormatErrorMessage(const char* what, long number, char* text, UINT maxChars) {
    char formatted[FORMAT_BUFFER_CHARS];
    if (number == 0)
        std::snprintf(formatted, sizeof formatted, "%s error", what);
    else
        std::snprintf(formatted, sizeof formatted, "%s error #%ld", what, number);
    CopyToBuffer(formatted, text, maxChars);
    return TRUE;
}

BOOL CModbusException::GetErrorMessage(char* text, UINT maxChars, UINT* /*helpContext*/) const {
    return FormatErrorMessage(m_strError, static_cast<long>(m_nError), text, maxChars);
}
