#include "transfer/FileReplacement.h"

#include <windows.h>

#include <cwctype>

namespace replacing {

namespace {

constexpr DWORD TEXT_CHARS = 512;

std::wstring Wide(const std::string& utf8) {
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), result.data(),
                            size);
    return result;
}

// The system's message for the error, as Windows words it elsewhere.
Failure Fail(DWORD error = GetLastError()) {
    wchar_t text[TEXT_CHARS] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, TEXT_CHARS, nullptr);
    while (length > 0 && (std::iswspace(text[length - 1]) || text[length - 1] == L'.'))
        --length;
    if (length == 0)
        return {RESULT_FILE_ERROR, "system error " + std::to_string(error)};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    std::string cause(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), cause.data(), size, nullptr,
                        nullptr);
    return {RESULT_FILE_ERROR, cause};
}

// path named from the drive on; path itself when the system cannot name it so, for the
// operation to report.
std::wstring FullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = size == 0 ? 0 : GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    return full;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Flushed through the system's cache to the disk.
bool FlushToDisk(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool flushed = FlushFileBuffers(file) != FALSE;
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return flushed;
}

} // namespace

const char* const PATH_SEPARATORS = "/\\";

OrFailure<std::string> Destination(const std::string& chosen) {
    if (chosen.empty())
        return Failure{RESULT_FILE_ERROR, "no file name"};
    return chosen;
}

std::optional<Failure> MayReplace(const std::string& destination) {
    const DWORD attributes = GetFileAttributesW(Wide(destination).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return Failure{RESULT_FILE_ERROR, "not a regular file"};
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return Fail(ERROR_ACCESS_DENIED);
    return std::nullopt;
}

// The replaced file's attributes and security come over in PutInPlace (ReplaceFileW).
OrFailure<Created> CreateFor(const std::string& path, const std::string& /*destination*/) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return Created::Yes;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return Created::NameTaken;
    return Fail(error);
}

// ReplaceFileW keeps what the replaced file had (attributes, security, creation time); a new
// destination is moved there, through the cache to the disk. ReplaceFileW refuses a file named
// without a folder ("The directory name is invalid"): both are named from the drive on.
std::optional<Failure> PutInPlace(const std::string& path, const std::string& destination) {
    const std::wstring from = FullPath(Wide(path));
    const std::wstring to = FullPath(Wide(destination));
    if (!FlushToDisk(from))
        return Fail();
    const bool placed =
        Exists(to) ? ReplaceFileW(to.c_str(), from.c_str(), nullptr,
                                  REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != FALSE
                   : MoveFileExW(from.c_str(), to.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    if (!placed)
        return Fail();
    return std::nullopt;
}

} // namespace replacing
