#pragma once
// A CModbus whose TxRx records each request and answers from a script, so the real
// operations can be driven byte for byte without a network.

#include "modbus/Modbus.h"

#include <algorithm>
#include <deque>
#include <vector>

struct ScriptedReply {
    WORD code = MODBUS_OK;   // what TxRx returns
    std::vector<BYTE> bytes; // copied into the response (none for a failure)
};

struct RecordedRequest {
    std::vector<BYTE> request; // the first requestLength bytes
    WORD responseLength = 0;   // what the operation expected
};

class ScriptedModbus : public CModbus {
public:
    // Queue one reply. An empty script answers every request with noReplyCode.
    void Reply(std::vector<BYTE> bytes) { m_script.push_back({MODBUS_OK, std::move(bytes)}); }
    void Fail(WORD code) { m_script.push_back({code, {}}); }

    WORD TxRx(const CByteArray& request, WORD requestLength, CByteArray& response,
              WORD responseLength) override {
        const auto sent = std::min<INT_PTR>(requestLength, request.GetSize());
        requests.push_back({{request.GetData(), request.GetData() + sent}, responseLength});
        if (response.GetSize() < responseLength)
            response.SetSize(responseLength);
        if (m_script.empty())
            return noReplyCode;
        const ScriptedReply reply = m_script.front();
        m_script.pop_front();
        for (std::size_t i = 0; i < reply.bytes.size() && i < responseLength; ++i)
            response[static_cast<INT_PTR>(i)] = reply.bytes[i];
        return reply.code;
    }
    BOOL IsConnected() override { return TRUE; }

    std::vector<RecordedRequest> requests;
    WORD noReplyCode = MODBUS_TCP_SOCKET_ERROR;

private:
    std::deque<ScriptedReply> m_script;
};
