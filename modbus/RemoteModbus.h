#pragma once
// Modbus TCP/IP master over one blocking TCP connection.

#include "modbus/Modbus.h"
#include "modbus/TcpFrame.h"
#include "net/BlockingSocket.h"

#include <chrono>

constexpr DWORD MODBUS_TCP_DEFAULT_TIMEOUT_MS = 10000;
constexpr BYTE MODBUS_TCP_EXCEPTION_CODE_BASE = 128;
constexpr int MODBUS_TCP_BUFFER_SIZE = 1024;

class CRemoteModbus : public CModbus {
    DECLARE_DYNAMIC(CRemoteModbus)
public:
    CRemoteModbus();
    ~CRemoteModbus() override;
    CRemoteModbus(const CRemoteModbus&) = delete;
    CRemoteModbus& operator=(const CRemoteModbus&) = delete;

    void Serialize(CArchive& ar) override;

    WORD TxRx(const CByteArray& request, WORD requestLength, CByteArray& response,
              WORD responseLength) override;
    CString ErrorMessage(WORD code) override;
    BOOL IsConnected() override;

    // The connection attempt has its own bound (CONNECT_TIMEOUT_MS).
    BOOL Connect(CString host, WORD port, DWORD timeoutMs,
                 const ConnectCancelled& cancelled = {}) override;
    BOOL Disconnect() override;
    std::string PeerName() override;

    BOOL m_bAutoReconnect = FALSE;
    CString m_strHost;
    WORD m_wPort = MODBUS_TCP_PORT;
    DWORD m_dwTimeout = MODBUS_TCP_DEFAULT_TIMEOUT_MS;
    BOOL m_bMapExceptionCodes = TRUE;
    BYTE m_byExceptionCodeBase = MODBUS_TCP_EXCEPTION_CODE_BASE;
    sockaddr_in m_addrRemote{};
    sockaddr_in m_addrLocal{};
    CBlockingSocket m_socket;
    CByteArray m_rxBuffer;
    CByteArray m_txBuffer;

protected:
    // Only a time-out or a lost connection is tried again, and on a fresh connection, so that
    // a late reply is never taken for the next request's; a device's refusal stands.
    bool PrepareRetry(WORD code) override;

private:
    int ExchangeLimitMs() const;
    WORD SendFrame(int frameLength);
    WORD ReceiveReply(WORD responseLength, CByteArray& response);
    bool ReceiveAll(BYTE* data, int length, std::chrono::steady_clock::time_point deadline,
                    int& got);
    WORD Exchange(const CByteArray& request, WORD requestLength, CByteArray& response,
                  WORD responseLength);
    WORD PeerClosed();
    std::string ExchangeFailure(const CBlockingSocketException& e) const;
    static std::string ConnectFailure(const CBlockingSocketException& e);
};
