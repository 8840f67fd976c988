#pragma once
// Exceptions are made with new, thrown as pointers and freed by the catcher with Delete().

#include "platform/Object.h"

class CException : public CObject {
    DECLARE_DYNAMIC(CException)
public:
    CException() = default;

    // Frees an exception caught by pointer.
    void Delete() { delete this; }

    virtual BOOL GetErrorMessage(char* text, UINT maxChars, UINT* helpContext = nullptr) const;

protected:
    ~CException() override = default; // only Delete() frees an exception
};

// Thrown by CArchive when loading runs past the end of its data.
class CArchiveException : public CException {
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum { none = 0, endOfFile = 3 };
    explicit CArchiveException(int cause) : m_cause(cause) {}
    BOOL GetErrorMessage(char* text, UINT maxChars, UINT* helpContext = nullptr) const override;
    int m_cause;
};

// Copies text into a caller's buffer of maxChars characters, cut and zero-terminated.
void CopyToBuffer(const char* source, char* text, UINT maxChars);

// The one error-text routine of the Modbus and socket exceptions: "%s error #%d", or
// "%s error" when number is 0, cut to the caller's buffer. Always TRUE.
BOOL FormatErrorMessage(const char* what, long number, char* text, UINT maxChars);
