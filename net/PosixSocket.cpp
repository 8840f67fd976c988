#include "net/SystemSocket.h"

#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

int SocketErrorNumber(SocketError error) {
    switch (error) {
    case SocketError::TimedOut:
        return ETIMEDOUT;
    case SocketError::Cancelled:
        return ECANCELED;
    case SocketError::Refused:
        return ECONNREFUSED;
    case SocketError::NotSocket:
        return ENOTSOCK;
    case SocketError::NoSuchHost:
        return ENOENT;
    }
    return 0;
}

bool IsPeerGoneError(int error) {
    return error == ECONNRESET || error == EPIPE;
}

std::string SocketErrorText(int error) {
    std::string text = std::strerror(error);
    if (!text.empty())
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

std::uint32_t InetAddr(const char* text) {
    return inet_addr(text);
}

namespace netsys {

bool WouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

int LastError() {
    return errno;
}

void SetLastError(int error) {
    errno = error;
}

bool Open(SOCKET& socket) {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0)
        return false;
    if (s == 0) {
        // 0 stands for "no socket"; move off it when stdin was closed.
        const SOCKET moved = fcntl(s, F_DUPFD_CLOEXEC, 1);
        const int error = errno;
        close(s);
        errno = error;
        if (moved < 0)
            return false;
        s = moved;
    }
    socket = s;
    return true;
}

bool Close(SOCKET socket) {
    // After EINTR the descriptor is gone on Linux all the same.
    return close(socket) == 0 || errno == EINTR;
}

Started StartConnect(SOCKET socket, const sockaddr_in& peer) {
    if (connect(socket, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0)
        return Started::Connected;
    return errno == EINPROGRESS ? Started::Pending : Started::Failed;
}

int ConnectResult(SOCKET socket) {
    int error = 0;
    socklen_t size = sizeof error;
    return getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size) == 0 ? error : -1;
}

bool Wait(SOCKET socket, Direction direction, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const short events = direction == Direction::Read ? POLLIN : POLLOUT;
    for (;;) {
        pollfd p{socket, events, 0};
        const int r = poll(&p, 1, timeoutMs);
        if (r != 0 && !(r < 0 && errno == EINTR))
            return true;
        if (r == 0)
            return false;
        if (timeoutMs != WAIT_FOREVER) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            timeoutMs = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
    }
}

int Send(SOCKET socket, const void* data, int length) {
    // A peer that has gone away must give an error, not SIGPIPE.
    return static_cast<int>(send(socket, data, static_cast<std::size_t>(length), MSG_NOSIGNAL));
}

int Receive(SOCKET socket, void* data, int length) {
    ssize_t n;
    do {
        n = recv(socket, data, static_cast<std::size_t>(length), 0);
    } while (n < 0 && errno == EINTR);
    return static_cast<int>(n);
}

bool LocalAddress(SOCKET socket, sockaddr_in& local) {
    socklen_t size = sizeof local;
    return getsockname(socket, reinterpret_cast<sockaddr*>(&local), &size) == 0;
}

bool Resolve(const char* name, std::uint32_t& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return true;
}

} // namespace netsys
