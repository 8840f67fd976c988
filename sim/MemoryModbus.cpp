#include "sim/MemoryModbus.h"

#include "sim/RequestHandler.h"

namespace {
constexpr std::size_t EXCEPTION_REPLY_LENGTH = 3;
}

WORD CMemoryModbus::TxRx(const CByteArray& request, WORD requestLength, CByteArray& response,
                         WORD responseLength) {
    std::vector<BYTE> bytes;
    for (INT_PTR i = 0; i < requestLength && i < request.GetSize(); ++i)
        bytes.push_back(request[i]);
    std::vector<CoilEvent> events;
    const std::vector<BYTE> reply = HandleRequest(m_image, {}, bytes, events);
    if (reply.size() >= EXCEPTION_REPLY_LENGTH && (reply[1] & EXCEPTION_FLAG))
        return static_cast<WORD>(MODBUS_EXCEPTION + reply[2]);
    if (reply.size() < responseLength)
        return MODBUS_BAD_RESPONSE;
    if (response.GetSize() < responseLength)
        response.SetSize(responseLength);
    for (WORD i = 0; i < responseLength; ++i)
        response[i] = reply[i];
    return MODBUS_OK;
}
