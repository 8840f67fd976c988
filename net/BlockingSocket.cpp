#include "net/BlockingSocket.h"

#include "net/SystemSocket.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <utility>

IMPLEMENT_DYNAMIC(CBlockingSocketException, CException)
IMPLEMENT_DYNAMIC(CBlockingSocket, CObject)

namespace {

// The failed operation's name for a person, by kind.
constexpr std::pair<SocketFailure, const char*> OPERATION_NAMES[] = {
    {SocketFailure::Create, "Create"},
    {SocketFailure::Close, "Close"},
    {SocketFailure::Connect, "Connect"},
    {SocketFailure::Send, "Send"},
    {SocketFailure::SendTimedOut, "Send timeout"},
    {SocketFailure::Receive, "Receive"},
    {SocketFailure::ReceiveTimedOut, "Receive timeout"},
    {SocketFailure::LocalAddress, "GetSockName"},
    {SocketFailure::HostLookup, "GetHostByName"},
};

const char* OperationName(SocketFailure kind) {
    for (const auto& [named, name] : OPERATION_NAMES)
        if (named == kind)
            return name;
    return "Socket";
}

// The error number is read before new, which may itself change it.
[[noreturn]] void Throw(SocketFailure kind) {
    const int error = netsys::LastError();
    throw new CBlockingSocketException(kind, error);
}

[[noreturn]] void Throw(SocketFailure kind, SocketError error) {
    netsys::SetLastError(SocketErrorNumber(error));
    Throw(kind);
}

// RFC 6761: names under .invalid never resolve; don't wait on a resolver to say so.
bool IsReservedInvalid(const char* name) {
    static constexpr char SUFFIX[] = ".invalid";
    const std::size_t n = std::strlen(name);
    const std::size_t s = sizeof SUFFIX - 1;
    if (n < s)
        return false;
    return std::equal(name + n - s, name + n, SUFFIX, [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
}

int SecondsToMs(int seconds) {
    constexpr int MS_PER_SECOND = 1000;
    return seconds > INT_MAX / MS_PER_SECOND ? INT_MAX : seconds * MS_PER_SECOND;
}

} // namespace

sockaddr_in MakeSocketAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = IPV4_FAMILY;
    result.sin_port = NetOrder16(port);
    result.sin_addr.s_addr = NetOrder32(address);
    return result;
}

CBlockingSocketException::CBlockingSocketException(SocketFailure kind)
    : CBlockingSocketException(kind, netsys::LastError()) {}

CBlockingSocketException::CBlockingSocketException(SocketFailure kind, int error)
    : m_nError(error), m_strError(OperationName(kind)), m_kind(kind) {}

BOOL CBlockingSocketException::GetErrorMessage(char* text, UINT maxChars,
                                               UINT* /*helpContext*/) const {
    return FormatErrorMessage(m_strError, m_nError, text, maxChars);
}

void CBlockingSocket::Create() {
    SOCKET s = 0;
    if (!netsys::Open(s))
        Throw(SocketFailure::Create);
    m_hSocket = s;
}

void CBlockingSocket::Close() {
    if (m_hSocket == 0)
        Throw(SocketFailure::Close, SocketError::NotSocket);
    if (!netsys::Close(m_hSocket))
        Throw(SocketFailure::Close);
    m_hSocket = 0;
}

void CBlockingSocket::Cleanup() {
    if (m_hSocket != 0)
        netsys::Close(m_hSocket);
    m_hSocket = 0;
}

void CBlockingSocket::Connect(const sockaddr_in& peer, int timeoutMs,
                              const ConnectCancelled& cancelled) {
    if (m_hSocket == 0)
        Throw(SocketFailure::Connect, SocketError::NotSocket);
    const int error = ConnectNonBlocking(peer, timeoutMs, cancelled);
    // The in-progress step of a connect that then succeeds is not a failure: keep it out of
    // the number that a later time-out reports.
    netsys::SetLastError(error);
    if (error != 0)
        Throw(SocketFailure::Connect);
}

// Returns 0 or the error number of the failed attempt.
int CBlockingSocket::ConnectNonBlocking(const sockaddr_in& peer, int timeoutMs,
                                        const ConnectCancelled& cancelled) {
    switch (netsys::StartConnect(m_hSocket, peer)) {
    case netsys::Started::Connected:
        return 0;
    case netsys::Started::Failed:
        return netsys::LastError();
    case netsys::Started::Pending:
        break;
    }
    if (const int waited = WaitConnected(timeoutMs, cancelled); waited != 0)
        return waited;
    const int result = netsys::ConnectResult(m_hSocket);
    return result < 0 ? netsys::LastError() : result;
}

// Waits in short slices while the connection is being made, so that a cancel is seen soon.
int CBlockingSocket::WaitConnected(int timeoutMs, const ConnectCancelled& cancelled) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return SocketErrorNumber(SocketError::TimedOut);
        const int slice = cancelled ? std::min(static_cast<int>(left), CONNECT_CANCEL_CHECK_MS)
                                    : static_cast<int>(left);
        if (netsys::Wait(m_hSocket, netsys::Direction::Connect, slice))
            return 0;
        if (cancelled && cancelled())
            return SocketErrorNumber(SocketError::Cancelled);
    }
}

int CBlockingSocket::Send(const void* data, int length, int seconds) {
    return SendMs(data, length, seconds > 0 ? SecondsToMs(seconds) : 0);
}

int CBlockingSocket::Receive(void* data, int length, int seconds) {
    return ReceiveMs(data, length, seconds > 0 ? SecondsToMs(seconds) : netsys::WAIT_FOREVER);
}

int CBlockingSocket::SendMs(const void* data, int length, int timeoutMs) {
    if (m_hSocket == 0)
        Throw(SocketFailure::Send, SocketError::NotSocket);
    // A socket that takes the data at once, the usual case, needs no readiness wait: one
    // system call per exchange fewer.
    int n = netsys::Send(m_hSocket, data, length);
    if (n >= 0)
        return n;
    if (!netsys::WouldBlock(netsys::LastError()))
        Throw(SocketFailure::Send);
    if (!netsys::Wait(m_hSocket, netsys::Direction::Write, timeoutMs < 0 ? 0 : timeoutMs))
        Throw(SocketFailure::SendTimedOut);
    n = netsys::Send(m_hSocket, data, length);
    if (n < 0)
        Throw(SocketFailure::Send);
    return n;
}

int CBlockingSocket::ReceiveMs(void* data, int length, int timeoutMs) {
    if (m_hSocket == 0)
        Throw(SocketFailure::Receive, SocketError::NotSocket);
    if (!netsys::Wait(m_hSocket, netsys::Direction::Read, timeoutMs))
        Throw(SocketFailure::ReceiveTimedOut);
    const int n = netsys::Receive(m_hSocket, data, length);
    if (n < 0)
        Throw(SocketFailure::Receive);
    return n;
}

void CBlockingSocket::GetSockName(sockaddr_in& local) {
    if (!netsys::LocalAddress(m_hSocket, local))
        Throw(SocketFailure::LocalAddress);
}

sockaddr_in CBlockingSocket::GetHostByName(const char* name, USHORT port) {
    if (name == nullptr || *name == '\0' || IsReservedInvalid(name))
        Throw(SocketFailure::HostLookup, SocketError::NoSuchHost);
    std::uint32_t address = 0;
    if (!netsys::Resolve(name, address))
        Throw(SocketFailure::HostLookup);
    sockaddr_in result{};
    result.sin_family = IPV4_FAMILY;
    result.sin_port = NetOrder16(port);
    result.sin_addr.s_addr = address;
    return result;
}
