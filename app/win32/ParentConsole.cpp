#include "app/win32/ParentConsole.h"

#include <windows.h>

#include <cstdio>

namespace {

bool IsSent(DWORD stream) {
    const HANDLE handle = GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

} // namespace

void UseParentConsole() {
    if (IsSent(STD_OUTPUT_HANDLE) || IsSent(STD_ERROR_HANDLE) ||
        !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}
