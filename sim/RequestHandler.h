#pragma once
// What the simulated device does with one request: the unit identifier and PDU in, the
// unit identifier and PDU of the reply out. No I/O, so the network server and in-process
// callers share it.

#include "modbus/FunctionCodes.h"
#include "sim/DeviceImage.h"

#include <vector>

constexpr BYTE SIM_UNIT_ID = 1;

constexpr BYTE EXCEPTION_FLAG = 0x80;

constexpr BYTE EXC_ILLEGAL_FUNCTION = 1;
constexpr BYTE EXC_ILLEGAL_DATA_ADDRESS = 2;
constexpr BYTE EXC_ILLEGAL_DATA_VALUE = 3;
constexpr BYTE EXC_SERVER_DEVICE_FAILURE = 4;
// Any unit identifier other than SIM_UNIT_ID: the device answers like a gateway whose
// target does not exist, so a client learns its mistake at once instead of timing out.
constexpr BYTE EXC_GATEWAY_TARGET_FAILED = 0x0B;

constexpr WORD COIL_ON = 0xFF00;
constexpr WORD COIL_OFF = 0x0000;
constexpr WORD MAX_READ_BITS = 2000;
constexpr WORD MAX_READ_REGISTERS = 125;
constexpr WORD MAX_WRITE_REGISTERS = 123;

// The fields of a request that the request log keeps. Address and quantity are 0 when the
// request is too short to carry them; a single-coil write has quantity 1.
struct RequestSummary {
    BYTE unit = 0;
    BYTE function = 0;
    WORD address = 0;
    WORD quantity = 0;

    friend bool operator==(const RequestSummary&, const RequestSummary&) = default;
};

// An accepted coil write, in the order the device took them.
struct CoilEvent {
    WORD address = 0;
    WORD value = 0; // COIL_ON or COIL_OFF

    friend bool operator==(const CoilEvent&, const CoilEvent&) = default;
};

RequestSummary SummarizeRequest(const std::vector<BYTE>& request);

// Carries out the request on the image. A write that covers an address in failWrite is
// refused with EXC_SERVER_DEVICE_FAILURE and changes nothing. Accepted coil writes are
// appended to coilEvents. Returns an empty reply for a request without a function code.
std::vector<BYTE> HandleRequest(DeviceImage& image, const std::vector<WORD>& failWrite,
                                const std::vector<BYTE>& request,
                                std::vector<CoilEvent>& coilEvents);
