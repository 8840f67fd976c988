#include "cli/Terminal.h"

#include <cerrno>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

bool IsTerminal(int fd) {
    return isatty(fd) == 1;
}

bool PrepareRedrawing(int fd) {
    return IsTerminal(fd);
}

int WaitForInput(int fd, int timeoutMs) {
    pollfd ready{fd, POLLIN, 0};
    const int polled = poll(&ready, 1, timeoutMs);
    if (polled < 0)
        return errno == EINTR ? 0 : -1;
    return polled > 0 ? 1 : 0;
}

bool ReadByte(int fd, char& c) {
    return read(fd, &c, 1) == 1;
}

int TerminalColumns(int fd) {
    winsize size{};
    return ioctl(fd, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}
