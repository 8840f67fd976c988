#include "platform/Archive.h"

#include "platform/Exception.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace {
constexpr BYTE SHORT_LENGTH_ESCAPE = 0xFF;
constexpr WORD WORD_LENGTH_ESCAPE = 0xFFFF;
} // namespace

CArchive::CArchive(std::vector<BYTE>& buffer, Mode mode) : m_mode(mode), m_buffer(buffer) {}

CArchive::CArchive(const std::string& path, Mode mode)
    : m_mode(mode), m_buffer(m_own), m_path(path) {
    if (mode == load) {
        std::ifstream in(path, std::ios::binary);
        m_own.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
}

CArchive::~CArchive() {
    if (!m_closed)
        Close();
}

bool CArchive::Close() {
    m_closed = true;
    if (m_path.empty() || m_mode != store)
        return true;
    std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(m_own.data()),
              static_cast<std::streamsize>(m_own.size()));
    out.close();
    return static_cast<bool>(out);
}

void CArchive::Write(const void* data, std::size_t size) {
    const BYTE* p = static_cast<const BYTE*>(data);
    m_buffer.insert(m_buffer.end(), p, p + size);
}

void CArchive::Read(void* data, std::size_t size) {
    if (size > m_buffer.size() - m_readPos)
        throw new CArchiveException(CArchiveException::endOfFile);
    std::memcpy(data, m_buffer.data() + m_readPos, size);
    m_readPos += size;
}

template <class T> void CArchive::PutLE(T v) {
    BYTE bytes[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<BYTE>((static_cast<std::uint64_t>(v) >> (8 * i)) & 0xFF);
    Write(bytes, sizeof(T));
}

template <class T> T CArchive::GetLE() {
    BYTE bytes[sizeof(T)];
    Read(bytes, sizeof(T));
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        v |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    return static_cast<T>(v);
}

CArchive& CArchive::operator<<(BYTE v) {
    PutLE(v);
    return *this;
}
CArchive& CArchive::operator<<(WORD v) {
    PutLE(v);
    return *this;
}
CArchive& CArchive::operator<<(DWORD v) {
    PutLE(v);
    return *this;
}
CArchive& CArchive::operator<<(int v) {
    PutLE(static_cast<DWORD>(v));
    return *this;
}

CArchive& CArchive::operator<<(const CString& s) {
    const auto length = static_cast<std::size_t>(s.GetLength());
    if (length < SHORT_LENGTH_ESCAPE) {
        PutLE(static_cast<BYTE>(length));
    } else if (length < WORD_LENGTH_ESCAPE) {
        PutLE(SHORT_LENGTH_ESCAPE);
        PutLE(static_cast<WORD>(length));
    } else {
        PutLE(SHORT_LENGTH_ESCAPE);
        PutLE(WORD_LENGTH_ESCAPE);
        PutLE(static_cast<DWORD>(length));
    }
    Write(s.GetString(), length);
    return *this;
}

CArchive& CArchive::operator>>(BYTE& v) {
    v = GetLE<BYTE>();
    return *this;
}
CArchive& CArchive::operator>>(WORD& v) {
    v = GetLE<WORD>();
    return *this;
}
CArchive& CArchive::operator>>(DWORD& v) {
    v = GetLE<DWORD>();
    return *this;
}
CArchive& CArchive::operator>>(int& v) {
    v = static_cast<int>(GetLE<DWORD>());
    return *this;
}

CArchive& CArchive::operator>>(CString& s) {
    std::size_t length = GetLE<BYTE>();
    if (length == SHORT_LENGTH_ESCAPE) {
        length = GetLE<WORD>();
        if (length == WORD_LENGTH_ESCAPE)
            length = GetLE<DWORD>();
    }
    if (length > m_buffer.size() - m_readPos)
        throw new CArchiveException(CArchiveException::endOfFile);
    s = CString(reinterpret_cast<const char*>(m_buffer.data() + m_readPos),
                static_cast<int>(length));
    m_readPos += length;
    return *this;
}
