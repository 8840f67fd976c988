#include "platform/Exception.h"

#include <cstdio>
#include <cstring>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

namespace {
constexpr std::size_t FORMAT_BUFFER_CHARS = 200;
}

void CopyToBuffer(const char* source, char* text, UINT maxChars) {
    if (text == nullptr || maxChars == 0)
        return;
    std::size_t n = std::strlen(source);
    if (n > maxChars - 1)
        n = maxChars - 1;
    std::memcpy(text, source, n);
    text[n] = '\0';
}

BOOL CException::GetErrorMessage(char* text, UINT maxChars, UINT* /*helpContext*/) const {
    CopyToBuffer("", text, maxChars);
    return FALSE;
}

BOOL CArchiveException::GetErrorMessage(char* text, UINT maxChars, UINT* /*helpContext*/) const {
    CopyToBuffer(m_cause == endOfFile ? "Archive read past its end" : "Archive error", text,
                 maxChars);
    return TRUE;
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
