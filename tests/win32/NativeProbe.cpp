#include "NativeProbe.h"

#include <winsock2.h>

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <thread>

namespace probe {

namespace {

constexpr auto WAIT_STEP = std::chrono::milliseconds(20);
constexpr int TEXT_CHARS = 1024;

HWND Hwnd(Window window) {
    return static_cast<HWND>(window);
}

struct OwnedSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwned(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<OwnedSearch*>(lParam);
    if (GetWindow(window, GW_OWNER) != search->owner || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

std::string ClassOf(Window window) {
    wchar_t name[TEXT_CHARS] = {};
    GetClassNameW(Hwnd(window), name, TEXT_CHARS);
    return orxwin::Narrow(name);
}

std::string TextOf(Window window) {
    wchar_t text[TEXT_CHARS] = {};
    GetWindowTextW(Hwnd(window), text, TEXT_CHARS);
    return orxwin::Narrow(text);
}

std::string HeldText(Window window) {
    wchar_t text[TEXT_CHARS] = {};
    InternalGetWindowText(Hwnd(window), text, TEXT_CHARS);
    return orxwin::Narrow(text);
}

bool IsEnabled(Window window) {
    return IsWindowEnabled(Hwnd(window)) != FALSE;
}

std::intptr_t Send(Window window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return SendMessageW(Hwnd(window), message, wParam, lParam);
}

void Post(Window window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    PostMessageW(Hwnd(window), message, wParam, lParam);
}

Rect PlaceOf(Window control) {
    RECT rect{};
    GetWindowRect(Hwnd(control), &rect);
    MapWindowPoints(nullptr, GetParent(Hwnd(control)), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

Rect DialogUnitsToPixels(Window dialog, int x, int y, int cx, int cy) {
    RECT rect{x, y, cx, cy}; // origin and size each, as the dialog manager maps them
    MapDialogRect(Hwnd(dialog), &rect);
    return {rect.left, rect.top, rect.left + rect.right, rect.top + rect.bottom};
}

std::string LastSystemMenuItem(Window dialog) {
    HMENU menu = GetSystemMenu(Hwnd(dialog), FALSE);
    wchar_t text[TEXT_CHARS] = {};
    GetMenuStringW(menu, static_cast<UINT>(GetMenuItemCount(menu) - 1), text, TEXT_CHARS,
                   MF_BYPOSITION);
    return orxwin::Narrow(text);
}

bool HasIcons(Window window) {
    return SendMessageW(Hwnd(window), WM_GETICON, ICON_BIG, 0) != 0 &&
           SendMessageW(Hwnd(window), WM_GETICON, ICON_SMALL, 0) != 0;
}

void TypeInto(Window address, const std::string& keys) {
    SetFocus(Hwnd(address));
    for (const char key : keys)
        SendMessageW(GetFocus(), WM_CHAR, static_cast<WPARAM>(key), 0);
}

Window WaitForOwnedWindow(Window owner, std::chrono::milliseconds limit) {
    OwnedSearch search{Hwnd(owner), nullptr};
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (search.found == nullptr && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(WAIT_STEP);
        EnumWindows(FindOwned, reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}

Window WaitForTopWindow(const std::string& caption) {
    const std::wstring wide = orxwin::Widen(caption);
    HWND found = nullptr;
    const auto deadline = std::chrono::steady_clock::now() + WAIT_LIMIT;
    while (found == nullptr && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(WAIT_STEP);
        found = FindWindowW(nullptr, wide.c_str());
    }
    return found;
}

bool WaitForText(Window window, const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + WAIT_LIMIT;
    while (TextOf(window) != text && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(WAIT_STEP);
    return TextOf(window) == text;
}

Program StartProgram(const std::string& commandLine) {
    std::wstring line = orxwin::Widen(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

int FinishProgram(Program program) {
    DWORD code = 0;
    const bool ended =
        program != nullptr &&
        WaitForSingleObject(program, static_cast<DWORD>(WAIT_LIMIT.count() * 1000)) ==
            WAIT_OBJECT_0 &&
        GetExitCodeProcess(program, &code);
    if (program == nullptr)
        return -1;
    if (!ended)
        TerminateProcess(program, 1);
    CloseHandle(program);
    return ended ? static_cast<int>(code) : -1;
}

std::string TemporaryFolder() {
    wchar_t path[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, path);
    return orxwin::Narrow(path);
}

Window Item(Window dialog, int id) {
    return GetDlgItem(Hwnd(dialog), id);
}

std::vector<int> IconSizes(unsigned id) {
    std::vector<int> sizes;
    for (const int size : {32, 16}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
        ICONINFO info{};
        BITMAP bitmap{};
        if (icon != nullptr && GetIconInfo(icon, &info) &&
            GetObjectW(info.hbmColor, sizeof bitmap, &bitmap) != 0 && bitmap.bmWidth == size)
            sizes.push_back(size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    return sizes;
}

std::string VersionText(const std::string& name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::vector<char> data(GetFileVersionInfoSizeW(path, nullptr));
    wchar_t* text = nullptr;
    UINT length = 0;
    const std::wstring key = L"\\StringFileInfo\\040904e4\\" + orxwin::Widen(name);
    if (data.empty() ||
        !GetFileVersionInfoW(path, 0, static_cast<DWORD>(data.size()), data.data()) ||
        !VerQueryValueW(data.data(), key.c_str(), reinterpret_cast<void**>(&text), &length))
        return {};
    return orxwin::Narrow(text);
}

bool CanMakeSocket() {
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return false;
    closesocket(s);
    return true;
}

unsigned CodePage() {
    return GetACP();
}

std::string CommonControlsPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH);
    return orxwin::Narrow(path);
}

} // namespace probe
