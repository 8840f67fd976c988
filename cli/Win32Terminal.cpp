#include "cli/Terminal.h"

#include <windows.h>

#include <io.h>

namespace {

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

} // namespace

// A console, not just a character device: the null device is one too.
bool IsTerminal(int fd) {
    DWORD mode = 0;
    return GetConsoleMode(HandleOf(fd), &mode) != FALSE;
}

bool PrepareRedrawing(int fd) {
    DWORD mode = 0;
    const HANDLE console = HandleOf(fd);
    return GetConsoleMode(console, &mode) != FALSE &&
           SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != FALSE;
}

int WaitForInput(int fd, int timeoutMs) {
    switch (WaitForSingleObject(HandleOf(fd), static_cast<DWORD>(timeoutMs))) {
    case WAIT_OBJECT_0:
        return 1;
    case WAIT_TIMEOUT:
        return 0;
    default:
        return -1;
    }
}

bool ReadByte(int fd, char& c) {
    return _read(fd, &c, 1) == 1;
}

int TerminalColumns(int fd) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(HandleOf(fd), &info) == FALSE)
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}
