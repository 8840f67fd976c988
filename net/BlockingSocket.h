#pragma once
// One IPv4 TCP connection with time-limited waits; every failure is thrown as a
// CBlockingSocketException* carrying the kind of failure, the failed operation's name and the
// system's error number. The same on every system; the system's side is net/SystemSocket.h.

#include "net/SocketTypes.h"
#include "platform/Exception.h"
#include "platform/String.h"

#include <functional>
#include <string>

// The system's own connect can hang for minutes on an address that never answers.
constexpr int CONNECT_TIMEOUT_MS = 5000;
// How often a connect that has not yet succeeded asks whether it is still wanted.
constexpr int CONNECT_CANCEL_CHECK_MS = 50;

// True when a connection being made is no longer wanted.
using ConnectCancelled = std::function<bool()>;

// What failed: callers tell failures apart by this, never by the operation's name.
enum class SocketFailure {
    Create,
    Close,
    Connect,
    Send,
    SendTimedOut,
    Receive,
    ReceiveTimedOut,
    LocalAddress,
    HostLookup
};

class CBlockingSocketException : public CException {
    DECLARE_DYNAMIC(CBlockingSocketException)
public:
    // Takes the error number of the thread's last socket call.
    explicit CBlockingSocketException(SocketFailure kind);
    CBlockingSocketException(SocketFailure kind, int error);

    BOOL GetErrorMessage(char* text, UINT maxChars, UINT* helpContext = nullptr) const override;
    bool Is(SocketError error) const { return m_nError == SocketErrorNumber(error); }
    SocketFailure Kind() const { return m_kind; }

    int m_nError;
    CString m_strError; // the failed operation's name, for a person ("Receive timeout")

protected:
    ~CBlockingSocketException() override = default;

private:
    SocketFailure m_kind;
};

class CBlockingSocket : public CObject {
    DECLARE_DYNAMIC(CBlockingSocket)
public:
    CBlockingSocket() = default;
    // Leaves the socket alone: the owner closes it first.
    ~CBlockingSocket() override = default;

    void Create();
    void Close();
    void Cleanup(); // never throws
    // Gives up after timeoutMs (SocketError::TimedOut), or once cancelled, if given, returns
    // true (SocketError::Cancelled).
    void Connect(const sockaddr_in& peer, int timeoutMs = CONNECT_TIMEOUT_MS,
                 const ConnectCancelled& cancelled = {});

    // One send/recv after a readiness wait of whole seconds. Send with 0 only polls;
    // Receive with 0 or less waits without limit. Receive returns 0 when the peer closed.
    int Send(const void* data, int length, int seconds);
    int Receive(void* data, int length, int seconds);

    // The same with a wait of at most timeoutMs milliseconds (0 only polls).
    int SendMs(const void* data, int length, int timeoutMs);
    int ReceiveMs(void* data, int length, int timeoutMs);

    void GetSockName(sockaddr_in& local);
    static sockaddr_in GetHostByName(const char* name, USHORT port);

    SOCKET m_hSocket = 0; // 0: no socket

private:
    int ConnectNonBlocking(const sockaddr_in& peer, int timeoutMs,
                           const ConnectCancelled& cancelled);
    int WaitConnected(int timeoutMs, const ConnectCancelled& cancelled);
};
