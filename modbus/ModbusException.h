#pragma once
// The exception a client throws instead of returning a failure code when told to.

#include "platform/Exception.h"
#include "platform/String.h"

// The one error-text routine of the Modbus and socket exceptions: "%s error #%d", or
// "%s error" when number is 0, cut to the caller's buffer. Always TRUE.
BOOL FormatErrorMessage(const char* what, long number, char* text, UINT maxChars);

class CModbusException : public CException {
    DECLARE_DYNAMIC(CModbusException)
public:
    CModbusException(const CString& text, DWORD code) : m_nError(code), m_strError(text) {}

    BOOL GetErrorMessage(char* text, UINT maxChars, UINT* helpContext = nullptr) const override;

    DWORD m_nError;     // the 16-bit result code, zero-extended
    CString m_strError; // its text when the exception was made
};
