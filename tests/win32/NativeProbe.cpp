#include "NativeProbe.h"

#include <windows.h>

namespace probe {

std::string Text(What what, Window window) {
    constexpr int CHARS = 1024;
    wchar_t text[CHARS] = {};
    const auto hwnd = static_cast<HWND>(window);
    const HMENU menu = what == LastMenuItem ? GetSystemMenu(hwnd, FALSE) : nullptr;
    if (what == Class)
        GetClassNameW(hwnd, text, CHARS);
    else if (what == Caption)
        SendMessageW(hwnd, WM_GETTEXT, CHARS, reinterpret_cast<LPARAM>(text));
    else
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

Rect PlaceOf(Window control) {
    RECT r{};
    GetWindowRect(static_cast<HWND>(control), &r);
    MapWindowPoints(nullptr, GetParent(static_cast<HWND>(control)), reinterpret_cast<POINT*>(&r),
                    2);
    return {r.left, r.top, r.right, r.bottom};
}

Rect DialogUnitsToPixels(Window dialog, int x, int y, int cx, int cy) {
    RECT r{x, y, cx, cy}; // origin and size each, as the dialog manager maps them
    MapDialogRect(static_cast<HWND>(dialog), &r);
    return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

void TypeInto(Window address, const std::string& keys) {
    SetFocus(static_cast<HWND>(address));
    for (const char key : keys)
        SendMessageW(GetFocus(), WM_CHAR, static_cast<WPARAM>(key), 0);
}

Window OwnedWindow(Window owner) {
    std::pair<Window, HWND> search{owner, nullptr};
    EnumWindows(
        [](HWND window, LPARAM lParam) {
            auto& [owner, found] = *reinterpret_cast<std::pair<Window, HWND>*>(lParam);
            if (GetWindow(window, GW_OWNER) == owner && IsWindowVisible(window))
                found = window;
            return found == nullptr ? TRUE : FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

Window TopWindow(const std::string& caption) {
    return FindWindowW(nullptr, orxwin::Widen(caption).c_str());
}

unsigned CodePage() {
    return GetACP();
}

} // namespace probe
