#pragma once
// Stores or loads values over a byte buffer or a file. Integers are little-endian; strings
// use a length prefix: one byte below 0xFF, else 0xFF and 16 bits below 0xFFFF, else 0xFF,
// 0xFFFF and 32 bits.

#include "platform/AfxTypes.h"
#include "platform/String.h"

#include <string>
#include <vector>

class CArchive {
public:
    enum Mode { store = 0, load = 1 };

    // Over a caller's buffer: storing appends to it, loading reads it from the start.
    CArchive(std::vector<BYTE>& buffer, Mode mode);
    // Over a file: loading reads the whole file now; storing writes it on Close().
    CArchive(const std::string& path, Mode mode);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }

    // Flushes a storing file archive; returns false when the file cannot be written.
    bool Close();

    CArchive& operator<<(BYTE v);
    CArchive& operator<<(WORD v);
    CArchive& operator<<(DWORD v);
    CArchive& operator<<(int v);
    CArchive& operator<<(const CString& s);

    CArchive& operator>>(BYTE& v);
    CArchive& operator>>(WORD& v);
    CArchive& operator>>(DWORD& v);
    CArchive& operator>>(int& v);
    CArchive& operator>>(CString& s);

    void Write(const void* data, std::size_t size);
    void Read(void* data, std::size_t size); // throws CArchiveException* past the end

private:
    template <class T> void PutLE(T v);
    template <class T> T GetLE();

    Mode m_mode;
    std::vector<BYTE> m_own;
    std::vector<BYTE>& m_buffer;
    std::size_t m_readPos = 0;
    std::string m_path;
    bool m_closed = false;
};
