#pragma once
// The system's side of CBlockingSocket: one TCP socket's calls as POSIX sockets
// (PosixSocket.cpp) or Windows Sockets (WinsockSocket.cpp) make them, in standard types.
// Sockets are non-blocking from the start; every wait is an explicit Wait. A failing call
// leaves its error number in LastError: errno here, WSAGetLastError on Windows.

#include "net/SocketTypes.h"

namespace netsys {

constexpr int WAIT_FOREVER = -1;

// The call would have had to wait.
bool WouldBlock(int error);
int LastError();
void SetLastError(int error);

// A non-blocking IPv4 TCP socket; never the handle 0, which stands for none.
bool Open(SOCKET& socket);
bool Close(SOCKET socket);

enum class Started { Connected, Pending, Failed };
Started StartConnect(SOCKET socket, const sockaddr_in& peer);
// Once a pending connect is over: 0 or its error; -1 when that cannot be read (LastError).
int ConnectResult(SOCKET socket);

enum class Direction { Read, Write, Connect };
// False when the time ran out. A failing wait counts as ready: the call that follows
// reports the error.
bool Wait(SOCKET socket, Direction direction, int timeoutMs);

// One send or recv; -1 on failure.
int Send(SOCKET socket, const void* data, int length);
int Receive(SOCKET socket, void* data, int length);

bool LocalAddress(SOCKET socket, sockaddr_in& local);
// The first IPv4 address of name, in network order.
bool Resolve(const char* name, std::uint32_t& address);

} // namespace netsys
