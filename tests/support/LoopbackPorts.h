#pragma once
// Raw TCP sockets on 127.0.0.1 that the tests play themselves, on the system's own sockets
// (POSIX or Windows Sockets); standard types only.

#include <cstddef>
#include <cstdint>

using RawSocket = std::intptr_t;
constexpr RawSocket NO_RAW_SOCKET = -1;

// A loopback port that was free a moment ago and has no listener: connecting is refused.
unsigned short RefusingPort();
// A listener on a port the system picks; throws when there is none.
RawSocket ListenOnLoopback(int backlog, unsigned short& port);
// The next connection within timeoutMs, or NO_RAW_SOCKET.
RawSocket AcceptWithin(RawSocket listener, int timeoutMs);
void SetReceiveTimeout(RawSocket socket, int timeoutMs);
// One recv/send; -1 on failure.
int ReceiveSome(RawSocket socket, void* data, std::size_t length);
int SendRaw(RawSocket socket, const void* data, std::size_t length);
void SetSendBuffer(RawSocket socket, int bytes);
// Closing then resets the connection instead of ending it in order.
void ResetOnClose(RawSocket socket);
void CloseRaw(RawSocket socket);

// A listener that never accepts, with its queue full: a connect to it neither succeeds nor
// fails until the connecting side gives up.
class UnansweredPort {
public:
    UnansweredPort();
    ~UnansweredPort();
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;
    unsigned short Port() const { return m_port; }

private:
    unsigned short m_port = 0; // before m_listener, which sets it
    RawSocket m_listener, m_filler;
};
