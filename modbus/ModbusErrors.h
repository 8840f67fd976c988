#pragma once
// Result codes of the Modbus client: 0 success, small codes of the client, 1000-1004 of the
// TCP/IP transport, 0x8000 + n for device exception code n.

#include "platform/AfxTypes.h"

constexpr WORD MODBUS_OK = 0;
constexpr WORD MODBUS_TIMEOUT = 1;
constexpr WORD MODBUS_BAD_RESPONSE = 2;
constexpr WORD MODBUS_CRC_ERROR = 3;
constexpr WORD MODBUS_WRITE_ERROR = 8;
constexpr WORD MODBUS_READ_ERROR = 9;
constexpr WORD MODBUS_PORT_NOT_OPEN = 10;
constexpr WORD MODBUS_LOCK_TIMEOUT = 11;
constexpr WORD MODBUS_EXCEPTION = 0x8000;

constexpr WORD MODBUS_TCP_BUFFER_OVERFLOW = 1000;
constexpr WORD MODBUS_TCP_SOCKET_ERROR = 1001;
constexpr WORD MODBUS_TCP_WRITE_ERROR = 1002;
constexpr WORD MODBUS_TCP_READ_ERROR = 1003;
constexpr WORD MODBUS_TCP_NOT_CONNECTED = 1004;
