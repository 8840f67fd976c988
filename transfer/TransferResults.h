#pragma once
// Results of the transfers (the command line's exit codes), and the dialog's transfer states.

#include "platform/AfxTypes.h"

constexpr UINT RESULT_OK = 0;
constexpr UINT RESULT_NO_FILE = 1;
constexpr UINT RESULT_FILE_ERROR = 2;
constexpr UINT RESULT_DEVICE_ERROR = 3;
constexpr UINT RESULT_LOCKED = 4;
constexpr UINT RESULT_CANCELLED = 5;
constexpr UINT RESULT_CONFIG_ERROR = 6;
// The verify's answer when the device holds other values than the file.
constexpr UINT RESULT_DIFFERENT = 7;
// Something the transfer did not foresee (no memory, a failed stream), reported with its
// text.
constexpr UINT RESULT_INTERNAL_ERROR = 8;

constexpr int TRANSFER_IDLE = 0;
constexpr int TRANSFER_UPLOAD = 1;
constexpr int TRANSFER_DOWNLOAD = 2;
constexpr int TRANSFER_CANCEL = 3;

// MODBUS_TCP_PORT (502) is in modbus/TcpFrame.h.
constexpr DWORD EXCHANGE_TIMEOUT_MS = 300;
// One attempt per exchange, as the device's makers specified.
constexpr WORD DEFAULT_ATTEMPTS = 1;
