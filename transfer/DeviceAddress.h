#pragma once
// The IPv4 address of an ORX device: which addresses can be one, and connecting to one.

#include "modbus/Modbus.h"
#include "modbus/TcpFrame.h"
#include "platform/IpAddress.h"
#include "transfer/Failure.h"

#include <string>

// How long an exchange may take, and how often it is tried, unless a person says otherwise;
// the port is MODBUS_TCP_PORT.
constexpr DWORD EXCHANGE_TIMEOUT_MS = 300;
// One attempt per exchange, as the device's makers specified.
constexpr WORD DEFAULT_ATTEMPTS = 1;

// Where a transfer finds its device.
struct DeviceEndpoint {
    std::string host; // "A.B.C.D"
    WORD port = MODBUS_TCP_PORT;
    DWORD timeoutMs = EXCHANGE_TIMEOUT_MS; // for each exchange
    // Of each exchange that fails by time-out or a lost connection, each on a fresh connection.
    WORD attempts = DEFAULT_ATTEMPTS;
    bool blockReads = false; // the alarm table in as few reads as the protocol allows
};

// The port and exchange time-out a person may give, on every front end.
constexpr WORD DEVICE_PORT_MIN = 1;
constexpr WORD DEVICE_PORT_MAX = 65535;
constexpr DWORD EXCHANGE_TIMEOUT_MIN_MS = 1;
constexpr DWORD EXCHANGE_TIMEOUT_MAX_MS = 60000;
constexpr WORD ATTEMPTS_MIN = 1;
constexpr WORD ATTEMPTS_MAX = 100;
constexpr const char* RETRIES_HELP = "attempts of an exchange that times out or loses the "
                                     "connection, each on a fresh connection (1: no repeat)";
constexpr const char* BLOCK_READS_HELP =
    "read the alarm table in 4 requests, not 96 (slow links; per alarm for a device that "
    "refuses)";

// "A.B.C.D", with ":PORT" when the port is not the device's own, as a question names it.
std::string DeviceName(const DeviceEndpoint& device);

// HOST as given by a person: "A.B.C.D" (decimal fields: 010 is ten), or a host name,
// resolved once to its first IPv4 address: "A.B.C.D", or a failure (RESULT_DEVICE_ERROR) when
// HOST names no IPv4 address.
OrFailure<std::string> ResolveDeviceHost(const std::string& host);
// The same in place, as a command-line check takes it: host becomes "A.B.C.D"; the result is
// why it cannot, or empty.
std::string ResolveDeviceHostInPlace(std::string& host);

// Why no device can have address, or nullptr when one can.
const char* WhyNeverADevice(DWORD address);

// Connects the client to the device, with device.attempts for each exchange. An address that no
// device can have is not tried. The attempt gives up once cancelled() is true. A failure
// (RESULT_DEVICE_ERROR) when not connected, its cause empty when none is known.
std::optional<Failure> ConnectToOrx(CModbus& modbus, const DeviceEndpoint& device,
                                    const ConnectCancelled& cancelled);
