#include "support/LoopbackPorts.h"

#include "net/SocketTypes.h"
#include "platform/SocketLibrary.h"

#include <stdexcept>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

constexpr int FILL_LIMIT_MS = 2000;

#ifdef _WIN32
constexpr int NO_SIGNAL = 0;
constexpr int CLOSE_ON_EXEC = 0;
#else
constexpr int NO_SIGNAL = MSG_NOSIGNAL;
constexpr int CLOSE_ON_EXEC = SOCK_CLOEXEC;
#endif

RawSocket NewSocket(bool nonBlocking = false) {
    StartSocketLibrary();
    const auto s = static_cast<RawSocket>(::socket(AF_INET, SOCK_STREAM | CLOSE_ON_EXEC, 0));
    if (s == NO_RAW_SOCKET) // INVALID_SOCKET too
        throw std::runtime_error("test socket: none");
#ifdef _WIN32
    u_long on = nonBlocking ? 1 : 0;
    ioctlsocket(static_cast<SOCKET>(s), FIONBIO, &on);
#else
    if (nonBlocking)
        ::fcntl(static_cast<int>(s), F_SETFL, O_NONBLOCK);
#endif
    return s;
}

sockaddr_in Loopback(unsigned short port = 0) {
    return MakeSocketAddress(LOOPBACK_ADDRESS, port);
}

unsigned short BoundPort(RawSocket s) {
    sockaddr_in address = Loopback();
    socklen_t length = sizeof address;
    if (::getsockname(static_cast<SOCKET>(s), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("test socket: getsockname");
    return NetOrder16(address.sin_port);
}

template <class T> void SetOption(RawSocket s, int name, const T& value) {
    ::setsockopt(static_cast<SOCKET>(s), SOL_SOCKET, name, reinterpret_cast<const char*>(&value),
                 sizeof value);
}

} // namespace

unsigned short RefusingPort() {
    const RawSocket s = NewSocket();
    const sockaddr_in address = Loopback();
    const bool bound = ::bind(static_cast<SOCKET>(s), reinterpret_cast<const sockaddr*>(&address),
                              sizeof address) == 0;
    const unsigned short port = bound ? BoundPort(s) : 0;
    CloseRaw(s);
    if (!bound)
        throw std::runtime_error("test socket: bind");
    return port;
}

RawSocket ListenOnLoopback(int backlog, unsigned short& port) {
    const RawSocket s = NewSocket();
    const sockaddr_in address = Loopback();
    if (::bind(static_cast<SOCKET>(s), reinterpret_cast<const sockaddr*>(&address),
               sizeof address) != 0 ||
        ::listen(static_cast<SOCKET>(s), backlog) != 0) {
        CloseRaw(s);
        throw std::runtime_error("test listener: cannot listen on 127.0.0.1");
    }
    port = BoundPort(s);
    return s;
}

RawSocket AcceptWithin(RawSocket listener, int timeoutMs) {
    SetReceiveTimeout(listener, timeoutMs); // bounds accept() too
    return static_cast<RawSocket>(::accept(static_cast<SOCKET>(listener), nullptr, nullptr));
}

void SetReceiveTimeout(RawSocket socket, int timeoutMs) {
#ifdef _WIN32
    SetOption(socket, SO_RCVTIMEO, static_cast<DWORD>(timeoutMs));
#else
    SetOption(socket, SO_RCVTIMEO, timeval{timeoutMs / 1000, (timeoutMs % 1000) * 1000});
#endif
}

int ReceiveSome(RawSocket socket, void* data, std::size_t length) {
    return static_cast<int>(
        ::recv(static_cast<SOCKET>(socket), static_cast<char*>(data), static_cast<int>(length), 0));
}

int SendRaw(RawSocket socket, const void* data, std::size_t length) {
    return static_cast<int>(::send(static_cast<SOCKET>(socket), static_cast<const char*>(data),
                                   static_cast<int>(length), NO_SIGNAL));
}

bool ReceiveExactly(RawSocket socket, void* data, std::size_t length) {
    return ::recv(static_cast<SOCKET>(socket), static_cast<char*>(data), static_cast<int>(length),
                  MSG_WAITALL) == static_cast<int>(length);
}

void SetSendBuffer(RawSocket socket, int bytes) {
    SetOption(socket, SO_SNDBUF, bytes);
}

void ResetOnClose(RawSocket socket) {
    SetOption(socket, SO_LINGER, linger{1, 0});
}

void CloseRaw(RawSocket socket) {
#ifdef _WIN32
    ::closesocket(static_cast<SOCKET>(socket));
#else
    ::close(static_cast<int>(socket));
#endif
}

UnansweredPort::UnansweredPort() {
    m_listener = ListenOnLoopback(0, m_port);
    // A backlog of 0 still queues one connection: that one fills the queue.
    const RawSocket filler = NewSocket(true);
    m_fillers.push_back(filler);
    const sockaddr_in address = Loopback(m_port);
    ::connect(static_cast<SOCKET>(filler), reinterpret_cast<const sockaddr*>(&address),
              sizeof address);
#ifdef _WIN32
    fd_set connected;
    FD_ZERO(&connected);
    FD_SET(static_cast<SOCKET>(filler), &connected);
    timeval limit{FILL_LIMIT_MS / 1000, 0};
    if (::select(0, nullptr, &connected, nullptr, &limit) != 1)
#else
    pollfd connected{static_cast<int>(filler), POLLOUT, 0};
    if (::poll(&connected, 1, FILL_LIMIT_MS) != 1)
#endif
        throw std::runtime_error("filler");
}

UnansweredPort::~UnansweredPort() {
    for (const RawSocket s : m_fillers)
        CloseRaw(s);
    CloseRaw(m_listener);
}
