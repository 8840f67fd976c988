#include "platform/SocketLibrary.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <cerrno>
#include <csignal>
#endif

namespace {

// 0 or the system's error number; the first call decides for the whole program.
int Start() {
#ifdef _WIN32
    constexpr WORD VERSION_2_2 = MAKEWORD(2, 2);
    WSADATA data{};
    return WSAStartup(VERSION_2_2, &data);
#else
    return std::signal(SIGPIPE, SIG_IGN) == SIG_ERR ? errno : 0;
#endif
}

} // namespace

bool StartSocketLibrary(int* error) {
    static const int started = Start();
    if (error != nullptr)
        *error = started;
    return started == 0;
}
