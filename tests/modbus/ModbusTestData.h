#pragma once
// Addresses and codes shared by the client-core tests.

#include "modbus/ModbusErrors.h"

#include <vector>

using Bytes = std::vector<BYTE>;

constexpr WORD REGISTER_ADDRESS = 3000; // 0B B8
constexpr WORD FLOAT_ADDRESS = 3004;    // 0B BC
constexpr WORD INPUT_ADDRESS = 3389;    // 0D 3D
constexpr WORD COIL_ADDRESS = 3396;     // 0D 44
constexpr WORD FOUR_REGISTERS = 4;

// Transport failures as a transport would return them.
constexpr WORD TRANSPORT_SOCKET_ERROR = MODBUS_TCP_SOCKET_ERROR;
constexpr WORD TRANSPORT_WRITE_ERROR = MODBUS_TCP_WRITE_ERROR;
constexpr WORD TRANSPORT_READ_ERROR = MODBUS_TCP_READ_ERROR;
constexpr WORD ILLEGAL_ADDRESS_EXCEPTION = MODBUS_EXCEPTION + 2;
constexpr WORD CODE_WITHOUT_TEXT = 4;

constexpr float ONE_TENTH = 0.1f;             // bit pattern 3DCC CCCD
constexpr float MINUS_TWO_AND_A_HALF = -2.5f; // bit pattern C020 0000
constexpr float STALE_FLOAT = 5.0f;
constexpr WORD STALE_WORD = 0x5A5A;
constexpr BYTE STALE_BYTE = 7;
