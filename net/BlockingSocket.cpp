#include "net/BlockingSocket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

IMPLEMENT_DYNAMIC(CBlockingSocketException, CException)
IMPLEMENT_DYNAMIC(CBlockingSocket, CObject)

namespace {

// errno is read before new, which may itself touch errno.
[[noreturn]] void Throw(const char* operation) {
    int error = errno;
    throw new CBlockingSocketException(operation, error);
}

// RFC 6761: names under .invalid never resolve; don't wait on a resolver to say so.
bool IsReservedInvalid(const char* name) {
    static constexpr char SUFFIX[] = ".invalid";
    std::size_t n = std::strlen(name);
    std::size_t s = sizeof SUFFIX - 1;
    return n >= s && strcasecmp(name + n - s, SUFFIX) == 0;
}

int SecondsToMs(int seconds) {
    constexpr int MS_PER_SECOND = 1000;
    return seconds > INT_MAX / MS_PER_SECOND ? INT_MAX : seconds * MS_PER_SECOND;
}

} // namespace

CBlockingSocketException::CBlockingSocketException(const char* operation)
    : CBlockingSocketException(operation, errno) {}

CBlockingSocketException::CBlockingSocketException(const char* operation, int error)
    : m_nError(error), m_strError(operation) {}

BOOL CBlockingSocketException::GetErrorMessage(char* text, UINT maxChars,
                                               UINT* /*helpContext*/) const {
    return FormatErrorMessage(m_strError, m_nError, text, maxChars);
}

void CBlockingSocket::Create() {
    SOCKET s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0)
        Throw("Create");
    if (s == 0) {
        // 0 stands for "no socket"; move off it when stdin was closed.
        SOCKET moved = fcntl(s, F_DUPFD_CLOEXEC, 1);
        int error = errno;
        close(s);
        if (moved < 0) {
            errno = error;
            Throw("Create");
        }
        s = moved;
    }
    m_hSocket = s;
}

void CBlockingSocket::Close() {
    if (m_hSocket == 0) {
        errno = EBADF;
        Throw("Close");
    }
    if (close(m_hSocket) != 0 && errno != EINTR)
        Throw("Close");
    m_hSocket = 0; // after EINTR the descriptor is gone on Linux all the same
}

void CBlockingSocket::Cleanup() {
    if (m_hSocket != 0)
        close(m_hSocket);
    m_hSocket = 0;
}

void CBlockingSocket::Connect(const sockaddr_in& peer, int timeoutMs,
                              const ConnectCancelled& cancelled) {
    if (m_hSocket == 0) {
        errno = ENOTSOCK;
        Throw("Connect");
    }
    int flags = fcntl(m_hSocket, F_GETFL);
    if (flags < 0 || fcntl(m_hSocket, F_SETFL, flags | O_NONBLOCK) < 0)
        Throw("Connect");
    int error = ConnectNonBlocking(peer, timeoutMs, cancelled);
    fcntl(m_hSocket, F_SETFL, flags); // the waits rely on a blocking socket again
    // The in-progress step of a connect that then succeeds is not a failure: keep it out of
    // the number that a later time-out reports.
    errno = error;
    if (error != 0)
        Throw("Connect");
}

// Returns 0 or the errno of the failed attempt; ETIMEDOUT when the time ran out, ECANCELED
// when it was cancelled.
int CBlockingSocket::ConnectNonBlocking(const sockaddr_in& peer, int timeoutMs,
                                        const ConnectCancelled& cancelled) {
    if (connect(m_hSocket, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0)
        return 0;
    if (errno != EINPROGRESS)
        return errno;
    if (const int waited = WaitConnected(timeoutMs, cancelled); waited != 0)
        return waited;
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(m_hSocket, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return errno;
    return error;
}

// Waits in short slices while the connection is being made, so that a cancel is seen soon.
int CBlockingSocket::WaitConnected(int timeoutMs, const ConnectCancelled& cancelled) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return ETIMEDOUT;
        const int slice = cancelled ? std::min(static_cast<int>(left), CONNECT_CANCEL_CHECK_MS)
                                    : static_cast<int>(left);
        if (WaitReady(POLLOUT, slice))
            return 0;
        if (cancelled && cancelled())
            return ECANCELED;
    }
}

// Waits for one socket; false only when the time ran out. A failing poll goes on to the
// send/recv that follows, which then reports the error.
bool CBlockingSocket::WaitReady(short events, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pollfd p{m_hSocket, events, 0};
        int r = poll(&p, 1, timeoutMs);
        if (r != 0 && !(r < 0 && errno == EINTR))
            return true;
        if (r == 0)
            return false;
        if (timeoutMs != WAIT_FOREVER) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            timeoutMs = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
    }
}

int CBlockingSocket::SendOnce(const void* data, int length) {
    // A peer that has gone away must give an error, not SIGPIPE.
    ssize_t n = send(m_hSocket, data, static_cast<std::size_t>(length), MSG_NOSIGNAL);
    if (n < 0)
        Throw("Send");
    return static_cast<int>(n);
}

int CBlockingSocket::ReceiveOnce(void* data, int length) {
    ssize_t n;
    do {
        n = recv(m_hSocket, data, static_cast<std::size_t>(length), 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        Throw("Receive");
    return static_cast<int>(n);
}

int CBlockingSocket::Send(const void* data, int length, int seconds) {
    return SendMs(data, length, seconds > 0 ? SecondsToMs(seconds) : 0);
}

int CBlockingSocket::Receive(void* data, int length, int seconds) {
    return ReceiveMs(data, length, seconds > 0 ? SecondsToMs(seconds) : WAIT_FOREVER);
}

int CBlockingSocket::SendMs(const void* data, int length, int timeoutMs) {
    if (m_hSocket == 0) {
        errno = ENOTSOCK;
        Throw("Send");
    }
    // A socket that takes the data at once, the usual case, needs no readiness wait: one
    // system call per exchange fewer. Otherwise wait as before.
    const ssize_t n =
        send(m_hSocket, data, static_cast<std::size_t>(length), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0)
        return static_cast<int>(n);
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
        Throw("Send");
    if (!WaitReady(POLLOUT, timeoutMs < 0 ? 0 : timeoutMs))
        Throw("Send timeout");
    return SendOnce(data, length);
}

int CBlockingSocket::ReceiveMs(void* data, int length, int timeoutMs) {
    if (m_hSocket == 0) {
        errno = ENOTSOCK;
        Throw("Receive");
    }
    if (!WaitReady(POLLIN, timeoutMs))
        Throw("Receive timeout");
    return ReceiveOnce(data, length);
}

void CBlockingSocket::GetSockName(sockaddr_in& local) {
    socklen_t size = sizeof local;
    if (getsockname(m_hSocket, reinterpret_cast<sockaddr*>(&local), &size) != 0)
        Throw("GetSockName");
}

sockaddr_in CBlockingSocket::GetHostByName(const char* name, USHORT port) {
    if (name == nullptr || *name == '\0' || IsReservedInvalid(name)) {
        errno = ENOENT;
        Throw("GetHostByName");
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr)
        Throw("GetHostByName");
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = htons(port);
    result.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return result;
}
