#pragma once
// The system's socket handle, its IPv4 socket address (sockaddr_in) and error numbers, and
// what their users need to fill and read them, without the rest of the system's socket
// interface: on Windows that interface brings <windows.h>, whose types and macros (DWORD,
// LOWORD...) the platform layer defines otherwise. Standard types only, so that the
// system's side of the sockets can include it too.

#ifdef _WIN32
#include <psdk_inc/_ip_types.h> // MinGW-w64's home of sockaddr_in, as <winsock2.h> takes it
#else
#include <netinet/in.h>
#endif

#include <bit>
#include <cstdint>
#include <string>

#ifdef _WIN32
using SOCKET = std::uintptr_t; // as Windows Sockets defines it
#else
using SOCKET = int;
#endif

constexpr std::uint16_t IPV4_FAMILY = 2;               // AF_INET on every system
constexpr std::uint32_t LOOPBACK_ADDRESS = 0x7F000001; // 127.0.0.1, host order
constexpr std::uint32_t NO_IPV4_ADDRESS = 0xFFFFFFFF;  // INADDR_NONE

// Between host and network byte order (the same swap both ways), as htons/ntohl do it.
constexpr std::uint16_t NetOrder16(std::uint16_t value) {
    if constexpr (std::endian::native == std::endian::big)
        return value;
    return static_cast<std::uint16_t>((value << 8) | (value >> 8));
}
constexpr std::uint32_t NetOrder32(std::uint32_t value) {
    if constexpr (std::endian::native == std::endian::big)
        return value;
    return (value << 24) | ((value << 8) & 0xFF0000) | ((value >> 8) & 0xFF00) | (value >> 24);
}

// An IPv4 address, given in host order, and a port, as sockaddr_in holds them.
sockaddr_in MakeSocketAddress(std::uint32_t address, std::uint16_t port);
// The address that text gives by the system's inet_addr rule, in network order;
// NO_IPV4_ADDRESS when text is not such an address.
std::uint32_t InetAddr(const char* text);

// The errors that the socket's users tell apart. Their numbers are the system's: errno
// values, or Windows Sockets numbers on Windows.
enum class SocketError { TimedOut, Cancelled, Refused, NotSocket, NoSuchHost };
int SocketErrorNumber(SocketError error);
// A reset or closed connection: the peer has gone.
bool IsPeerGoneError(int error);
// The system's words for an error number, starting in lower case, without a full stop.
std::string SocketErrorText(int error);
