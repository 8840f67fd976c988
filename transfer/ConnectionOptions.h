#pragma once
// How a command line says to reach a device, the same in every program: --port (-p),
// --timeout, --retries, --block-reads and --trace, and a HOST that may carry its port.

#include "transfer/DeviceAddress.h"

#include <string>

namespace CLI {
class App;
class Validator;
} // namespace CLI

struct ConnectionOptions {
    WORD port = 0; // 0: not given, the device's port
    DWORD timeoutMs = EXCHANGE_TIMEOUT_MS;
    WORD attempts = DEFAULT_ATTEMPTS; // --retries: of each exchange
    bool blockReads = false;
    std::string trace; // "-": standard error; empty: none

    // The device at host ("A.B.C.D") on port, or on the --port given, or on the device's own.
    DeviceEndpoint At(const std::string& host, WORD port = 0) const;
};

void AddConnectionOptions(CLI::App& app, ConnectionOptions& options);

// A whole decimal number, checked before the option's own range: "--port: abc is not a number".
const CLI::Validator& WholeNumber();

// "HOST" or "HOST:PORT", blanks around the colon allowed. port stays 0 without one. A failure
// (RESULT_DEVICE_ERROR) for a port that is none, or for an IPv6 address, which a device on
// IPv4 never has.
struct HostAndPort {
    std::string host;
    WORD port = 0;
};
OrFailure<HostAndPort> SplitHostAndPort(const std::string& entry);

// text without the blanks (spaces, tabs, CR) around it, as lists of HOST[:PORT] are read.
std::string TrimmedBlanks(const std::string& text);
