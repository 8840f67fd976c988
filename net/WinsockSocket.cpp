#include "net/SystemSocket.h"

#include "platform/SocketLibrary.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cwctype>

namespace {

constexpr DWORD TEXT_CHARS = 512;
constexpr long MICROSECONDS_PER_MS = 1000;
constexpr int MS_PER_SECOND = 1000;

std::string Utf8(const wchar_t* text, int length) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

// Windows Sockets for the calls that come before any socket exists.
bool SocketsStarted() {
    int error = 0;
    if (StartSocketLibrary(&error))
        return true;
    WSASetLastError(error);
    return false;
}

} // namespace

int SocketErrorNumber(SocketError error) {
    switch (error) {
    case SocketError::TimedOut:
        return WSAETIMEDOUT;
    case SocketError::Cancelled:
        return WSAECANCELLED;
    case SocketError::Refused:
        return WSAECONNREFUSED;
    case SocketError::NotSocket:
        return WSAENOTSOCK;
    case SocketError::NoSuchHost:
        return WSAHOST_NOT_FOUND;
    }
    return 0;
}

bool IsPeerGoneError(int error) {
    return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAESHUTDOWN;
}

// The system's message for the number, as Windows words it elsewhere.
std::string SocketErrorText(int error) {
    wchar_t text[TEXT_CHARS] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(error), 0, text, TEXT_CHARS, nullptr);
    while (length > 0 && (std::iswspace(text[length - 1]) || text[length - 1] == L'.'))
        --length;
    if (length == 0)
        return "error " + std::to_string(error);
    text[0] = static_cast<wchar_t>(std::towlower(text[0]));
    return Utf8(text, static_cast<int>(length));
}

std::uint32_t InetAddr(const char* text) {
    SocketsStarted();
    return inet_addr(text);
}

namespace netsys {

bool WouldBlock(int error) {
    return error == WSAEWOULDBLOCK;
}

int LastError() {
    return WSAGetLastError();
}

void SetLastError(int error) {
    WSASetLastError(error);
}

bool Open(SOCKET& socket) {
    if (!SocketsStarted())
        return false;
    const SOCKET s = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET)
        return false;
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        const int error = WSAGetLastError();
        closesocket(s);
        WSASetLastError(error);
        return false;
    }
    socket = s;
    return true;
}

bool Close(SOCKET socket) {
    return closesocket(socket) == 0;
}

Started StartConnect(SOCKET socket, const sockaddr_in& peer) {
    if (connect(socket, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0)
        return Started::Connected;
    return WSAGetLastError() == WSAEWOULDBLOCK ? Started::Pending : Started::Failed;
}

int ConnectResult(SOCKET socket) {
    int error = 0;
    int size = sizeof error;
    return getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) == 0
               ? error
               : -1;
}

// A connection attempt that fails shows in the exception set, not the write set.
bool Wait(SOCKET socket, Direction direction, int timeoutMs) {
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket, &ready);
    FD_SET(socket, &failed);
    timeval limit{timeoutMs / MS_PER_SECOND, (timeoutMs % MS_PER_SECOND) * MICROSECONDS_PER_MS};
    const bool read = direction == Direction::Read;
    const int r = select(0, read ? &ready : nullptr, read ? nullptr : &ready,
                         direction == Direction::Connect ? &failed : nullptr,
                         timeoutMs == WAIT_FOREVER ? nullptr : &limit);
    return r != 0;
}

int Send(SOCKET socket, const void* data, int length) {
    const int n = send(socket, static_cast<const char*>(data), length, 0);
    return n == SOCKET_ERROR ? -1 : n;
}

int Receive(SOCKET socket, void* data, int length) {
    const int n = recv(socket, static_cast<char*>(data), length, 0);
    return n == SOCKET_ERROR ? -1 : n;
}

bool LocalAddress(SOCKET socket, sockaddr_in& local) {
    int size = sizeof local;
    return getsockname(socket, reinterpret_cast<sockaddr*>(&local), &size) == 0;
}

bool Resolve(const char* name, std::uint32_t& address) {
    if (!SocketsStarted())
        return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int error = getaddrinfo(name, nullptr, &hints, &found);
    if (error != 0 || found == nullptr) {
        WSASetLastError(error != 0 ? error : WSAHOST_NOT_FOUND);
        return false;
    }
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return true;
}

} // namespace netsys
