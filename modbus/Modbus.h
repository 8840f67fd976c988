#pragma once
// The abstract Modbus master: builds requests, checks responses, unpacks values. How the
// bytes reach the device is the transport's TxRx.

#include "modbus/ModbusErrors.h"
#include "platform/Array.h"
#include "platform/CriticalSection.h"
#include "platform/String.h"

#include <chrono>
#include <functional>
#include <string>

constexpr BYTE MODBUS_UNIT_ID = 1;

// The float that two registers hold, the lower register holding the low half.
float FloatFromRegisters(WORD low, WORD high);

// True when a connection being made is no longer wanted.
using ConnectCancelled = std::function<bool()>;

// One attempt of an exchange as the client saw it, for a record of the traffic.
struct ExchangeRecord {
    std::chrono::system_clock::time_point started;
    std::chrono::microseconds elapsed;
    std::string peer;           // the transport's "host:port", empty when it has none
    const CByteArray& request;  // unit id + PDU
    const CByteArray* response; // from the unit id on; nullptr when no reply was taken
    WORD code;
    std::string text;   // the code's text
    std::string detail; // what went wrong beyond the code, when known
};
using ExchangeObserver = std::function<void(const ExchangeRecord&)>;

class CModbus : public CObject {
    DECLARE_DYNAMIC(CModbus)
public:
    CModbus();
    ~CModbus() override;

    void Serialize(CArchive& ar) override;

    // One request/response exchange. request: unit id + PDU; response: filled from the unit
    // id on, grown to responseLength when shorter. Returns a result code.
    virtual WORD TxRx(const CByteArray& request, WORD requestLength, CByteArray& response,
                      WORD responseLength) = 0;
    virtual CString ErrorMessage(WORD code);
    virtual BOOL IsConnected() = 0;
    // Empty host, port 0 or timeout 0 mean the stored setting. timeoutMs bounds each
    // exchange; a connection being made gives up once cancelled, if given, returns true.
    // A transport without connections is always connected.
    virtual BOOL Connect(CString host, WORD port, DWORD timeoutMs,
                         const ConnectCancelled& cancelled = {});
    virtual BOOL Disconnect();

    WORD ReadInputRegisters(WORD address, WORD quantity, CWordArray& values);
    WORD ReadInputFloats(WORD address, CArray<float, float>& values);
    WORD ReadInputStatus(WORD address, CByteArray& values);
    // quantity inputs from address, one per byte of values (0 or 1).
    WORD ReadInputStatuses(WORD address, WORD quantity, CByteArray& values);
    WORD PresetMultipleRegisters(WORD address, WORD quantity, const CWordArray& values);
    WORD PresetFloat(WORD address, float value);
    WORD ForceSingleCoil(WORD address, BOOL on);

    // Why the last operation that failed did, for a person: the request and what went
    // wrong ("read input registers 3000 x4: no reply within 300 ms"), or the connection
    // that could not be made ("127.0.0.1:502: connection refused").
    const std::string& LastFailure() const { return m_strLastFailure; }
    // Whether an attempt of an exchange got no reply in time (not a refusal, not a lost
    // connection) since ForgetTimeOuts: what a longer time-out or more attempts mend.
    bool TimedOut() const { return m_bTimedOut; }
    void ForgetTimeOuts() { m_bTimedOut = false; }

    // Called after every attempt of every exchange, on the thread that made it; empty: none.
    // Also called for each remark, as a record without request or reply.
    void SetExchangeObserver(ExchangeObserver observer) { m_observer = std::move(observer); }
    // A remark on the traffic for its record ("device refused a read of ..."), code MODBUS_OK.
    void Remark(const std::string& text);
    // Where the exchanges go, for a person ("127.0.0.1:502"); empty when unknown.
    virtual std::string PeerName() { return {}; }

    CCriticalSection m_cs;
    WORD m_wRetries = 1;
    DWORD m_dwReserved = 0;
    BOOL m_bThrowException = FALSE;

protected:
    // A transport tells, during TxRx, what went wrong beyond its result code.
    void NoteExchangeFailure(std::string detail) { m_strExchangeFailure = std::move(detail); }
    const std::string& NotedExchangeFailure() const { return m_strExchangeFailure; }
    // A transport tells, during TxRx, that the attempt failed for want of time.
    void NoteTimedOut() { m_bTimedOut = true; }
    // Whether an attempt that failed with code is worth another (m_wRetries allowing), made
    // ready for it. Which failures a repeat can mend is the transport's call: here, all.
    virtual bool PrepareRetry(WORD /*code*/) { return true; }
    void SetLastFailure(std::string cause) { m_strLastFailure = std::move(cause); }
    // A transport tells, during TxRx, the bytes of the reply it took in from the unit id on,
    // however many came, for the observer. Without it, the observer gets the response.
    void NoteReply(const BYTE* bytes, int length);

private:
    template <class Accept>
    WORD Transact(const CByteArray& request, WORD responseLength, Accept accept);
    std::string FailureCause(WORD code);
    void Observe(std::chrono::steady_clock::time_point start, const CByteArray& request,
                 const CByteArray& response, WORD code);

    std::string m_strLastFailure;
    std::string m_strExchangeFailure;
    ExchangeObserver m_observer;
    CByteArray m_reply;
    bool m_replyNoted = false;
    bool m_bTimedOut = false;
};
