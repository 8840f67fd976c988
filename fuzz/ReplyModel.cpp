#include "fuzz/ReplyModel.h"

#include "modbus/ModbusErrors.h"

namespace {
constexpr std::size_t HEADER = 6;
constexpr std::size_t LENGTH_LOW = 5;
constexpr BYTE EXCEPTION_ABOVE = 0x80;
constexpr BYTE MAPPED_FROM = 128;
constexpr std::size_t WRITE_ECHO = 6;
constexpr std::size_t FUNCTION = 1;
constexpr std::size_t BYTE_COUNT = 2;    // in a read reply
constexpr std::size_t QUANTITY_HIGH = 4; // in a read request
constexpr BYTE READ_REGISTERS = 4;
constexpr std::size_t BITS_PER_BYTE = 8;

void Push(ByteVector& bytes, WORD value) {
    bytes.push_back(static_cast<BYTE>(value >> 8));
    bytes.push_back(static_cast<BYTE>(value & 0xFF));
}

// The data bytes a read reply must announce: two a register, one for every eight inputs begun.
std::size_t ReadByteCount(const ByteVector& pdu) {
    const std::size_t quantity = std::size_t{pdu[QUANTITY_HIGH]} << 8 | pdu[QUANTITY_HIGH + 1];
    return pdu[FUNCTION] == READ_REGISTERS ? 2 * quantity
                                           : (quantity + BITS_PER_BYTE - 1) / BITS_PER_BYTE;
}

// The client core's check of an accepted reply: reads name unit and function and announce
// the data asked for, writes echo the first six bytes of their request.
bool Answers(const ByteVector& reply, const OpRequest& request) {
    const bool isRead = request.op == FuzzOp::ReadRegisters || request.op == FuzzOp::ReadFloats ||
                        request.op == FuzzOp::ReadStatus;
    if (isRead && reply[BYTE_COUNT] != ReadByteCount(request.pdu))
        return false;
    const std::size_t n = isRead ? BYTE_COUNT : WRITE_ECHO;
    for (std::size_t i = 0; i < n; ++i)
        if (reply[i] != request.pdu[i])
            return false;
    return true;
}
} // namespace

ByteVector ReadPdu(BYTE function, WORD address, WORD quantity) {
    ByteVector pdu{1, function};
    Push(pdu, address);
    Push(pdu, quantity);
    return pdu;
}

ByteVector PresetPdu(WORD address, const std::vector<WORD>& values) {
    ByteVector pdu{1, 16};
    Push(pdu, address);
    Push(pdu, static_cast<WORD>(values.size()));
    pdu.push_back(static_cast<BYTE>(2 * values.size()));
    for (WORD v : values)
        Push(pdu, v);
    return pdu;
}

ByteVector CoilPdu(WORD address, bool on) {
    ByteVector pdu{1, 5};
    Push(pdu, address);
    Push(pdu, on ? 0xFF00 : 0x0000);
    return pdu;
}

ModelResult ModelReply(const ByteVector& stream, std::size_t& pos, const OpRequest& request) {
    if (!request.fitsBuffer)
        return {MODBUS_TCP_BUFFER_OVERFLOW, {}};
    const std::size_t left = stream.size() - pos;
    if (left < HEADER) {
        pos = stream.size(); // the stream ends inside the header
        return {MODBUS_TCP_READ_ERROR, {}};
    }
    const std::size_t bodyLength = stream[pos + LENGTH_LOW];
    if (left - HEADER < bodyLength) {
        pos = stream.size(); // the stream ends inside the body
        return {MODBUS_TCP_READ_ERROR, {}};
    }
    const ByteVector body(stream.begin() + static_cast<std::ptrdiff_t>(pos + HEADER),
                          stream.begin() + static_cast<std::ptrdiff_t>(pos + HEADER + bodyLength));
    pos += HEADER + bodyLength;
    if (bodyLength > 1 && body[1] > EXCEPTION_ABOVE) {
        const BYTE exception = bodyLength > 2 ? body[2] : 0;
        if (exception < MAPPED_FROM)
            return {static_cast<WORD>(MODBUS_EXCEPTION + exception), {}};
        // 128 maps to 0 with nothing copied: the core then sees zeros, which answer nothing.
        const WORD mapped = static_cast<WORD>(exception - MAPPED_FROM);
        return {mapped == MODBUS_OK ? MODBUS_BAD_RESPONSE : mapped, {}};
    }
    if (bodyLength < request.responseLength)
        return {MODBUS_BAD_RESPONSE, {}};
    ByteVector reply(body.begin(),
                     body.begin() + static_cast<std::ptrdiff_t>(request.responseLength));
    if (!Answers(reply, request))
        return {MODBUS_BAD_RESPONSE, {}};
    return {MODBUS_OK, reply};
}
