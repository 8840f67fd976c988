#pragma once
// What the Modbus TCP/IP client must make of a byte stream that holds everything the peer
// will ever send and then ends. Written from the protocol, not from the client's code, so
// the fuzzer compares two independent readings of the same bytes.

#include "platform/AfxTypes.h"

#include <cstddef>
#include <vector>

using ByteVector = std::vector<BYTE>;

enum class FuzzOp { ReadRegisters, ReadFloats, ReadStatus, PresetRegisters, PresetFloat, Coil };
constexpr int FUZZ_OP_COUNT = 6;

struct OpRequest {
    FuzzOp op;
    ByteVector pdu;             // unit identifier and PDU, as the client must send it
    std::size_t responseLength; // what the client expects back
    bool fitsBuffer;            // false: refused before anything is sent
};

struct ModelResult {
    WORD code = 0;
    ByteVector data; // the accepted reply (responseLength bytes) when code is 0
};

// Reads one reply from stream at pos, as the client must; advances pos past what it takes.
ModelResult ModelReply(const ByteVector& stream, std::size_t& pos, const OpRequest& request);

// The read request (function 2 or 4) and the write requests as the wire carries them.
ByteVector ReadPdu(BYTE function, WORD address, WORD quantity);
ByteVector PresetPdu(WORD address, const std::vector<WORD>& values);
ByteVector CoilPdu(WORD address, bool on);
