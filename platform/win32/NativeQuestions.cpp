#include "platform/win32/Native.h"

#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

namespace orxwin {

namespace {

// Room for a long path, as the wide file functions take it.
constexpr DWORD PATH_CHARS = 32768;

// "Name\0patterns\0...\0\0", as the common dialog takes its filter.
std::wstring FilterText(const FileRequest& request) {
    std::wstring text;
    for (const auto& [name, patterns] : request.filters) {
        text += Widen(name);
        text += L'\0';
        text += Widen(patterns);
        text += L'\0';
    }
    return text;
}

} // namespace

bool ShowFolder(const std::string& path) {
    // ShellExecute reports success as a value above 32.
    constexpr INT_PTR SHELL_EXECUTE_OK = 32;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", Widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > SHELL_EXECUTE_OK;
}

int ShowMessageBox(Window owner, const std::string& text, const std::string& caption,
                   unsigned type) {
    return MessageBoxW(static_cast<HWND>(owner), Widen(text).c_str(), Widen(caption).c_str(), type);
}

bool ShowFileDialog(Window owner, const FileRequest& request, std::string& path) {
    const std::wstring filter = FilterText(request);
    const std::wstring extension = Widen(request.defaultExtension);
    std::wstring file = Widen(request.fileName);
    const std::wstring title = Widen(request.title);
    file.resize(PATH_CHARS, L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = static_cast<HWND>(owner);
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = PATH_CHARS;
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
    // The working folder stays where it was, whichever folder the user visits.
    dialog.Flags =
        request.flags | OFN_EXPLORER | OFN_ENABLESIZING | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    const BOOL chosen = request.open ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog);
    if (!chosen)
        return false;
    path = Narrow(file.c_str());
    return true;
}

} // namespace orxwin
