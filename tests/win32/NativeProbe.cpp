#include "NativeProbe.h"

#include <windows.h>

namespace probe {

std::string Text(What what, Window window) {
    constexpr int CHARS = 1024;
    wchar_t text[CHARS] = {};
    const auto hwnd = static_cast<HWND>(window);
    if (what == Class)
        GetClassNameW(hwnd, text, CHARS);
    else if (what == Caption)
        SendMessageW(hwnd, WM_GETTEXT, CHARS, reinterpret_cast<LPARAM>(text));
    else if (const HMENU menu = GetSystemMenu(hwnd, FALSE))
        GetMenuStringW(menu, GetMenuItemCount(menu) - 1, text, CHARS, MF_BYPOSITION);
    return orxwin::Narrow(text);
}

bool IsEnabled(Window window) {
    return IsWindowEnabled(static_cast<HWND>(window)) != FALSE;
}

std::intptr_t Send(Window window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                   bool post) {
    const auto hwnd = static_cast<HWND>(window);
    return post ? (PostMessageW(hwnd, message, wParam, lParam), 0)
                : SendMessageW(hwnd, message, wParam, lParam);
}

std::pair<Rect, Rect> Places(Window control, int x, int y, int cx, int cy) {
    const auto hwnd = static_cast<HWND>(control);
    RECT is{}, planned{x, y, cx, cy}; // origin and size each, as the dialog manager maps them
    GetWindowRect(hwnd, &is);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&is), 2);
    MapDialogRect(GetParent(hwnd), &planned);
    return {
        {is.left, is.top, is.right, is.bottom},
        {planned.left, planned.top, planned.left + planned.right, planned.top + planned.bottom}};
}

void TypeInto(Window address, const std::string& keys) {
    SetFocus(static_cast<HWND>(address));
    for (const char key : keys)
        SendMessageW(GetFocus(), WM_CHAR, static_cast<WPARAM>(key), 0);
}

Window OwnedWindow(Window owner) {
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
        if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w))
            return w;
    return nullptr;
}

Window TopWindow(const std::string& caption) {
    return FindWindowW(nullptr, orxwin::Widen(caption).c_str());
}

unsigned CodePage() {
    return GetACP();
}

} // namespace probe
