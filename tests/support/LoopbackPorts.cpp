#include "support/LoopbackPorts.h"

#include "net/SystemSocket.h"
#include "platform/SocketLibrary.h"

#include <stdexcept>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
constexpr int NO_SIGNAL = 0, CLOSE_ON_EXEC = 0;
#else
#include <sys/socket.h>
constexpr int NO_SIGNAL = MSG_NOSIGNAL, CLOSE_ON_EXEC = SOCK_CLOEXEC;
#endif

namespace {

SOCKET S(RawSocket s) {
    return static_cast<SOCKET>(s);
}

template <class T> void SetOption(RawSocket s, int name, const T& value) {
    ::setsockopt(S(s), SOL_SOCKET, name, reinterpret_cast<const char*>(&value), sizeof value);
}

RawSocket NewSocket() {
    StartSocketLibrary();
    return static_cast<RawSocket>(::socket(AF_INET, SOCK_STREAM | CLOSE_ON_EXEC, 0));
}

} // namespace

RawSocket ListenOnLoopback(int backlog, unsigned short& port) {
    const RawSocket s = NewSocket();
    sockaddr_in address = MakeSocketAddress(LOOPBACK_ADDRESS, 0);
    socklen_t length = sizeof address;
    if (s == NO_RAW_SOCKET || ::bind(S(s), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(S(s), backlog) != 0 ||
        ::getsockname(S(s), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        CloseRaw(s);
        throw std::runtime_error("test listener: cannot listen on 127.0.0.1");
    }
    port = NetOrder16(address.sin_port);
    return s;
}

unsigned short RefusingPort() {
    unsigned short port = 0;
    CloseRaw(ListenOnLoopback(1, port));
    return port;
}

RawSocket AcceptWithin(RawSocket listener, int timeoutMs) {
    SetReceiveTimeout(listener, timeoutMs); // bounds accept() too
    return static_cast<RawSocket>(::accept(S(listener), nullptr, nullptr));
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
        ::recv(S(socket), static_cast<char*>(data), static_cast<int>(length), 0));
}

int SendRaw(RawSocket socket, const void* data, std::size_t length) {
    return static_cast<int>(
        ::send(S(socket), static_cast<const char*>(data), static_cast<int>(length), NO_SIGNAL));
}

void SetSendBuffer(RawSocket socket, int bytes) {
    SetOption(socket, SO_SNDBUF, bytes);
}

void ResetOnClose(RawSocket socket) {
    SetOption(socket, SO_LINGER, linger{1, 0});
}

void CloseRaw(RawSocket socket) {
    netsys::Close(S(socket));
}

// A backlog of 0 still queues one connection: the filler's fills the queue.
UnansweredPort::UnansweredPort() : m_listener(ListenOnLoopback(0, m_port)), m_filler(NewSocket()) {
    const sockaddr_in address = MakeSocketAddress(LOOPBACK_ADDRESS, m_port);
    if (::connect(S(m_filler), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("test listener: the queue does not fill");
}

UnansweredPort::~UnansweredPort() {
    CloseRaw(m_filler);
    CloseRaw(m_listener);
}
