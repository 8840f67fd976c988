#pragma once
// The real windows of the Win32 front end, looked at and worked as the system or a user
// would, in standard types: <windows.h> and the window layer do not mix (see
// platform/win32/Native.h). Message numbers are the window layer's, which are the system's.

#include "platform/win32/Native.h"

#include <chrono>
#include <thread>

namespace probe {

using orxwin::Window;
using Rect = std::array<long, 4>; // left, top, right, bottom

// The window's class name, its text (WM_GETTEXT, through its thread), or its system menu's
// last item.
enum What { Class, Caption, LastMenuItem };
std::string Text(What what, Window window);
bool IsEnabled(Window window);
// SendMessage, or PostMessage (then 0) when post.
std::intptr_t Send(Window window, unsigned message, std::uintptr_t wParam = 0,
                   std::intptr_t lParam = 0, bool post = false);
// A control's place in its dialog, and the place x, y, cx, cy in dialog units maps to there.
std::pair<Rect, Rect> Places(Window control, int x, int y, int cx, int cy);
// One WM_CHAR for each key, from the address control's first field on.
void TypeInto(Window address, const std::string& keys);
// The first visible window that owner owns, or a top-level window by its caption; or nullptr.
Window OwnedWindow(Window owner);
Window TopWindow(const std::string& caption);
unsigned CodePage(); // as the program's manifest asks

// What find gives once it is not empty, within limit; else that empty value.
template <class Find>
auto Wait(Find find, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto found = find();
    for (; !found && std::chrono::steady_clock::now() < deadline; found = find())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return found;
}

constexpr int MESSAGE_TEXT_ID = 0xFFFF; // the message box's text
constexpr int FILE_TYPE_ID = 0x470;     // the file dialog's type list
constexpr int FILE_NAME_ID = 0x47C;     // its name box
constexpr unsigned GET_ICON = 0x007F;   // WM_GETICON

} // namespace probe
