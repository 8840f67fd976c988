#pragma once
// Results of the transfers (the command line's exit codes).

// AfxTypes.h's UINT, and the system's on Windows, declared again (the same type) so that files
// that include the system's headers may include this one.
using UINT = unsigned int;

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
