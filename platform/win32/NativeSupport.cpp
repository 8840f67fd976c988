#include "platform/win32/Native.h"

#include <windows.h>

#include <commctrl.h>

namespace orxwin {

namespace {
constexpr DWORD PATH_CHARS = 32768;
}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), length);
    return text;
}

std::string Narrow(const std::wstring& utf16) {
    if (utf16.empty())
        return {};
    const int size = static_cast<int>(utf16.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

std::string ProgramName() {
    std::wstring path(PATH_CHARS, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), PATH_CHARS));
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    return Narrow(name.substr(0, name.rfind(L'.')));
}

bool InitControls() {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
}

} // namespace orxwin
