#pragma once
// The real windows of the Win32 front end, looked at and worked as the system or a user
// would. In standard types, since <windows.h> and the window layer do not mix (see
// platform/win32/Native.h); message numbers are the window layer's, which are the system's.

#include "platform/win32/Native.h"

#include <chrono>

namespace probe {

using orxwin::Window;

struct Rect {
    long left, top, right, bottom;
    friend bool operator==(const Rect&, const Rect&) = default;
};

std::string ClassOf(Window window);
std::string TextOf(Window window);
// What IsEnabled and HeldText read now, without a message to the window's thread.
bool IsEnabled(Window window);
std::string HeldText(Window window);
std::intptr_t Send(Window window, unsigned message, std::uintptr_t wParam = 0,
                   std::intptr_t lParam = 0);
void Post(Window window, unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
// A control's place in its dialog's client area.
Rect PlaceOf(Window control);
// A rectangle in the dialog's units, in pixels as MapDialogRect gives them.
Rect DialogUnitsToPixels(Window dialog, int x, int y, int cx, int cy);
std::string LastSystemMenuItem(Window dialog);
bool HasIcons(Window window);
// Keys typed into an address control from its first field on, one WM_CHAR each.
void TypeInto(Window address, const std::string& keys);
constexpr auto WAIT_LIMIT = std::chrono::seconds(10);
// Off the interface thread: the first visible window that owner owns, within limit.
Window WaitForOwnedWindow(Window owner, std::chrono::milliseconds limit = WAIT_LIMIT);
// A top-level window of any program by its caption, within a few seconds; or nullptr.
Window WaitForTopWindow(const std::string& caption);
// Waits until text shows in window (of any program), within a few seconds.
bool WaitForText(Window window, const std::string& text);

// Another program, started with its command line; FinishProgram waits a few seconds at most
// for its end and gives its exit code, or ends it and gives -1.
using Program = void*;
Program StartProgram(const std::string& commandLine);
int FinishProgram(Program program);
// The system's folder for temporary files, with its separator at the end.
std::string TemporaryFolder();
Window Item(Window dialog, int id);
constexpr int MESSAGE_TEXT_ID = 0xFFFF; // the message box's text
constexpr int FILE_TYPE_ID = 0x470;     // the file dialog's type list
constexpr int FILE_NAME_ID = 0x47C;     // its name box

// True when a socket can be made, which Windows Sockets refuse until started.
bool CanMakeSocket();

// The program's own resources: sizes held by icon id, a version text, the code page and the
// file of the common controls in use.
std::vector<int> IconSizes(unsigned id);
std::string VersionText(const std::string& name);
unsigned CodePage();
std::string CommonControlsPath();

} // namespace probe
