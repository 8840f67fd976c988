#pragma once
// The exception a client throws instead of returning a failure code when told to.

#include "platform/Exception.h"
#include "platform/String.h"

class CModbusException : public CException {
    DECLARE_DYNAMIC(CModbusException)
public:
    CModbusException(const CString& text, DWORD code) : m_nError(code), m_strError(text) {}

    BOOL GetErrorMessage(char* text, UINT maxChars, UINT* helpContext = nullptr) const override;

    DWORD m_nError;     // the 16-bit result code, zero-extended
    CString m_strError; // its text when the exception was made
};
