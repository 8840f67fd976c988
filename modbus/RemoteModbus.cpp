#include "modbus/RemoteModbus.h"

#include "modbus/FailureText.h"
#include "platform/Archive.h"

#include <chrono>
#include <climits>
#include <cstring>
#include <stdexcept>

IMPLEMENT_DYNAMIC(CRemoteModbus, CModbus)

namespace {

// A name, not dotted text, so that a new client's addresses are INADDR_NONE.
constexpr char PLACEHOLDER_HOST[] = "unconnected-orx";
constexpr DWORD MS_PER_SECOND = 1000;

sockaddr_in MakeAddress(const char* host, WORD port) {
    sockaddr_in address = MakeSocketAddress(0, port);
    address.sin_addr.s_addr = InetAddr(host);
    return address;
}

class LockGuard {
public:
    explicit LockGuard(CCriticalSection& cs) : m_cs(cs), m_locked(cs.Lock()) {}
    ~LockGuard() {
        if (m_locked)
            m_cs.Unlock();
    }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;
    bool Locked() const { return m_locked; }

private:
    CCriticalSection& m_cs;
    bool m_locked;
};

using Clock = std::chrono::steady_clock;

int MsLeft(Clock::time_point deadline) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

void ZeroFill(CByteArray& bytes) {
    if (bytes.GetSize() > 0)
        std::memset(bytes.GetData(), 0, static_cast<std::size_t>(bytes.GetSize()));
}

} // namespace

CRemoteModbus::CRemoteModbus() {
    m_addrRemote = MakeAddress(PLACEHOLDER_HOST, MODBUS_TCP_PORT);
    m_addrLocal = m_addrRemote;
    m_rxBuffer.SetSize(MODBUS_TCP_BUFFER_SIZE);
    m_txBuffer.SetSize(MODBUS_TCP_BUFFER_SIZE);
}

CRemoteModbus::~CRemoteModbus() {
    Disconnect();
}

BOOL CRemoteModbus::IsConnected() {
    return m_addrRemote.sin_addr.s_addr != NO_IPV4_ADDRESS;
}

BOOL CRemoteModbus::Connect(CString host, WORD port, DWORD timeoutMs,
                            const ConnectCancelled& cancelled) {
    if (host.IsEmpty())
        host = m_strHost;
    if (port == 0)
        port = m_wPort;
    Disconnect();
    LockGuard lock(m_cs);
    if (!lock.Locked())
        return FALSE;
    sockaddr_in target = MakeAddress(host, port);
    if (timeoutMs == 0)
        timeoutMs = m_dwTimeout;
    m_dwTimeout = timeoutMs;
    m_strHost = host;
    m_wPort = port;
    try {
        m_socket.Create();
        if (target.sin_addr.s_addr == NO_IPV4_ADDRESS)
            target = CBlockingSocket::GetHostByName(host, port);
        m_socket.Connect(target, CONNECT_TIMEOUT_MS, cancelled);
        m_socket.GetSockName(m_addrLocal);
        m_addrRemote = target;
        return TRUE;
    } catch (CBlockingSocketException* e) {
        SetLastFailure(host.str() + ":" + std::to_string(port) + ": " + ConnectFailure(*e));
        e->Delete();
        m_socket.Cleanup();
        return FALSE;
    }
}

BOOL CRemoteModbus::Disconnect() {
    sockaddr_in reset = MakeAddress(m_strHost, m_wPort);
    LockGuard lock(m_cs);
    if (!lock.Locked())
        return FALSE;
    if (!IsConnected())
        return TRUE;
    m_addrLocal = reset;
    m_addrRemote = reset;
    try {
        m_socket.Close();
        return TRUE;
    } catch (CBlockingSocketException* e) {
        e->Delete();
        m_socket.Cleanup();
        return FALSE;
    }
}

std::string CRemoteModbus::PeerName() {
    return m_strHost.str() + ':' + std::to_string(m_wPort);
}

// Whole seconds as a rule; a time-out under a second bounds the waits to itself, so that no
// exchange waits without limit.
int CRemoteModbus::ExchangeLimitMs() const {
    DWORD ms = m_dwTimeout == 0 ? MODBUS_TCP_DEFAULT_TIMEOUT_MS : m_dwTimeout;
    if (ms >= MS_PER_SECOND)
        ms = ms / MS_PER_SECOND * MS_PER_SECOND;
    return ms > static_cast<DWORD>(INT_MAX) ? INT_MAX : static_cast<int>(ms);
}

WORD CRemoteModbus::TxRx(const CByteArray& request, WORD requestLength, CByteArray& response,
                         WORD responseLength) {
    if (m_bAutoReconnect)
        Connect(m_strHost, m_wPort, m_dwTimeout);
    if (request.GetSize() < 1)
        throw std::invalid_argument("CRemoteModbus::TxRx: empty request");
    if (response.GetSize() < responseLength) {
        response.SetSize(responseLength);
        ZeroFill(response);
    }
    LockGuard lock(m_cs);
    if (!lock.Locked())
        return MODBUS_LOCK_TIMEOUT;
    if (!IsConnected()) {
        NoteExchangeFailure("not connected");
        return MODBUS_TCP_NOT_CONNECTED;
    }
    return Exchange(request, requestLength, response, responseLength);
}

// The part of an exchange that runs under the lock on a connected client.
WORD CRemoteModbus::Exchange(const CByteArray& request, WORD requestLength, CByteArray& response,
                             WORD responseLength) {
    ZeroFill(m_txBuffer);
    ZeroFill(m_rxBuffer);
    if (requestLength > MODBUS_TCP_BUFFER_SIZE ||
        responseLength > MODBUS_TCP_BUFFER_SIZE - MBAP_HEADER_SIZE)
        return MODBUS_TCP_BUFFER_OVERFLOW;
    const int frameLength = MBAP_HEADER_SIZE + requestLength;
    if (m_txBuffer.GetSize() < frameLength)
        m_txBuffer.SetSize(frameLength);
    WriteTcpFrame(request.GetData(), static_cast<std::size_t>(request.GetSize()), requestLength,
                  m_txBuffer.GetData());
    try {
        WORD code = SendFrame(frameLength);
        if (code != MODBUS_OK)
            return code;
        return ReceiveReply(responseLength, response);
    } catch (CBlockingSocketException* e) {
        if (e->Kind() == SocketFailure::ReceiveTimedOut || e->Kind() == SocketFailure::SendTimedOut)
            NoteTimedOut();
        NoteExchangeFailure(ExchangeFailure(*e));
        e->Delete();
        m_socket.Cleanup();
        return MODBUS_TCP_SOCKET_ERROR;
    }
}

WORD CRemoteModbus::SendFrame(int frameLength) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(ExchangeLimitMs());
    int total = 0;
    while (total < frameLength) {
        int sent =
            m_socket.SendMs(m_txBuffer.GetData() + total, frameLength - total, MsLeft(deadline));
        if (sent <= 0)
            break; // nothing taken: the count check below reports it
        total += sent;
    }
    if (static_cast<WORD>(total) != static_cast<WORD>(frameLength)) {
        NoteExchangeFailure("only " + std::to_string(total) + " of " + std::to_string(frameLength) +
                            " bytes sent");
        return MODBUS_TCP_WRITE_ERROR;
    }
    return MODBUS_OK;
}

// Reads exactly length bytes unless the peer closes first (false); got counts the bytes
// read. Throws on time-out.
bool CRemoteModbus::ReceiveAll(BYTE* data, int length,
                               std::chrono::steady_clock::time_point deadline, int& got) {
    got = 0;
    while (got < length) {
        int n = m_socket.ReceiveMs(data + got, length - got, MsLeft(deadline));
        if (n == 0)
            return false;
        got += n;
    }
    return true;
}

WORD CRemoteModbus::ReceiveReply(WORD responseLength, CByteArray& response) {
    // One limit for the whole reply, however many segments it comes in.
    const auto deadline = Clock::now() + std::chrono::milliseconds(ExchangeLimitMs());
    BYTE* reply = m_rxBuffer.GetData();
    int got = 0;
    if (!ReceiveAll(reply, MBAP_HEADER_SIZE, deadline, got))
        return PeerClosed();
    const int bodyLength = TcpReplyBodyLength(reply);
    if (MBAP_HEADER_SIZE + bodyLength > m_rxBuffer.GetSize())
        return MODBUS_TCP_BUFFER_OVERFLOW;
    BYTE* body = reply + MBAP_HEADER_SIZE;
    bool whole = false;
    try {
        whole = ReceiveAll(body, bodyLength, deadline, got);
    } catch (CBlockingSocketException*) {
        NoteReply(body, got); // what came before the time ran out
        throw;
    }
    NoteReply(body, got);
    if (!whole)
        return PeerClosed();
    WORD code = CheckTcpReply(body, bodyLength, responseLength, m_bMapExceptionCodes != FALSE,
                              m_byExceptionCodeBase);
    if (code == MODBUS_BAD_RESPONSE)
        NoteExchangeFailure("reply of " + std::to_string(bodyLength) + " bytes, " +
                            std::to_string(responseLength) + " expected");
    if (code == MODBUS_OK && !IsTcpExceptionReply(body, bodyLength) && responseLength > 0)
        std::memcpy(response.GetData(), body, responseLength);
    return code;
}

bool CRemoteModbus::PrepareRetry(WORD code) {
    switch (code) {
    case MODBUS_TCP_SOCKET_ERROR:
    case MODBUS_TCP_WRITE_ERROR:
    case MODBUS_TCP_READ_ERROR:
    case MODBUS_TCP_NOT_CONNECTED:
        break;
    default:
        return false;
    }
    const std::string failure = NotedExchangeFailure();
    if (Connect(m_strHost, m_wPort, m_dwTimeout))
        return true;
    NoteExchangeFailure(failure + "; reconnecting to " + LastFailure());
    return false;
}

WORD CRemoteModbus::PeerClosed() {
    NoteExchangeFailure("the device closed the connection");
    return MODBUS_TCP_READ_ERROR;
}

std::string CRemoteModbus::ExchangeFailure(const CBlockingSocketException& e) const {
    const std::string limit = " within " + std::to_string(ExchangeLimitMs()) + " ms";
    if (e.Kind() == SocketFailure::ReceiveTimedOut)
        return "no reply" + limit;
    if (e.Kind() == SocketFailure::SendTimedOut)
        return "the request could not be sent" + limit;
    if (IsPeerGoneError(e.m_nError))
        return "the device closed the connection";
    if (e.Is(SocketError::NotSocket))
        return "the connection was closed by an earlier failure";
    return (e.Kind() == SocketFailure::Send ? "sending: " : "receiving: ") +
           SocketErrorText(e.m_nError);
}

std::string CRemoteModbus::ConnectFailure(const CBlockingSocketException& e) {
    if (e.Kind() == SocketFailure::HostLookup)
        return "no such host";
    if (e.Is(SocketError::TimedOut))
        return "no answer within " + std::to_string(CONNECT_TIMEOUT_MS) + " ms";
    if (e.Is(SocketError::Cancelled))
        return "cancelled";
    return SocketErrorText(e.m_nError);
}

CString CRemoteModbus::ErrorMessage(WORD code) {
    switch (code) {
    case MODBUS_TCP_BUFFER_OVERFLOW:
        return "Modbus TCP/IP: buffer overflow";
    case MODBUS_TCP_SOCKET_ERROR:
        return "Modbus TCP/IP: socket error";
    case MODBUS_TCP_WRITE_ERROR:
        return "Modbus TCP/IP: write socket error";
    case MODBUS_TCP_READ_ERROR:
        return "Modbus TCP/IP: read socket Error";
    case MODBUS_TCP_NOT_CONNECTED:
        return "Modbus TCP/IP: socket not connected";
    default:
        return CModbus::ErrorMessage(code);
    }
}

void CRemoteModbus::Serialize(CArchive& ar) {
    CModbus::Serialize(ar);
    if (ar.IsStoring()) {
        ar << m_bAutoReconnect << m_strHost << m_wPort << m_dwTimeout << m_bMapExceptionCodes
           << m_byExceptionCodeBase;
    } else {
        ar >> m_bAutoReconnect >> m_strHost >> m_wPort >> m_dwTimeout >> m_bMapExceptionCodes >>
            m_byExceptionCodeBase;
    }
    Connect(CString(), 0, 0);
}
