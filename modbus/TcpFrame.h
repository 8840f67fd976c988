#pragma once
// Modbus TCP/IP framing: the six leading bytes of the MBAP header in front of a request, and
// the reading of a reply's header and body. Pure functions over byte buffers.

#include "modbus/ModbusErrors.h"

#include <cstddef>
#include <cstring>

constexpr WORD MODBUS_TCP_PORT = 502; // the port a Modbus TCP device listens on
constexpr int MBAP_HEADER_SIZE = 6;
constexpr int MBAP_LENGTH_HI = 4;
constexpr int MBAP_LENGTH_LO = 5;
constexpr int REPLY_FUNCTION = 1;               // in the body, after the unit identifier
constexpr int REPLY_EXCEPTION_CODE = 2;         // in the body of an exception reply
constexpr BYTE EXCEPTION_FUNCTION_LIMIT = 0x80; // function codes above it mark exceptions

// Writes the frame for the first requestLength bytes of a request into frame, which has room
// for MBAP_HEADER_SIZE + requestLength bytes. Transaction and protocol identifiers are 0;
// request bytes beyond requestSize are sent as zeros.
inline void WriteTcpFrame(const BYTE* request, std::size_t requestSize, WORD requestLength,
                          BYTE* frame) {
    std::memset(frame, 0, MBAP_HEADER_SIZE + static_cast<std::size_t>(requestLength));
    frame[MBAP_LENGTH_HI] = HIBYTE(requestLength);
    frame[MBAP_LENGTH_LO] = LOBYTE(requestLength);
    std::size_t n = requestSize < requestLength ? requestSize : requestLength;
    if (n > 0)
        std::memcpy(frame + MBAP_HEADER_SIZE, request, n);
}

// Body length of a reply: the length field's low byte alone.
inline int TcpReplyBodyLength(const BYTE* header) {
    return header[MBAP_LENGTH_LO];
}

inline bool IsTcpExceptionReply(const BYTE* body, int bodyLength) {
    return bodyLength > REPLY_FUNCTION && body[REPLY_FUNCTION] > EXCEPTION_FUNCTION_LIMIT;
}

// Result code of an exception reply. Codes at or above the base become code - base when
// mapping is on; all others MODBUS_EXCEPTION + code.
inline WORD MapTcpException(const BYTE* body, int bodyLength, bool mapExceptionCodes,
                            BYTE exceptionCodeBase) {
    BYTE code = bodyLength > REPLY_EXCEPTION_CODE ? body[REPLY_EXCEPTION_CODE] : 0;
    if (mapExceptionCodes && code >= exceptionCodeBase)
        return static_cast<WORD>(code - exceptionCodeBase);
    return static_cast<WORD>(MODBUS_EXCEPTION + code);
}

// Result of a whole reply body: an exception's code, MODBUS_BAD_RESPONSE for a normal reply
// shorter than the caller expects, else MODBUS_OK (the first responseLength bytes are data).
inline WORD CheckTcpReply(const BYTE* body, int bodyLength, WORD responseLength,
                          bool mapExceptionCodes, BYTE exceptionCodeBase) {
    if (IsTcpExceptionReply(body, bodyLength))
        return MapTcpException(body, bodyLength, mapExceptionCodes, exceptionCodeBase);
    if (bodyLength < responseLength)
        return MODBUS_BAD_RESPONSE;
    return MODBUS_OK;
}
