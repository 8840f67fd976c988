#pragma once
// The commands of orx-transfer, each given its parsed options.

#include "cli/OrxTransfer.h"
#include "transfer/DeviceAddress.h"

struct CliOptions {
    std::string host; // "A.B.C.D", also when given as a host name
    WORD port = MODBUS_TCP_PORT;
    DWORD timeoutMs = EXCHANGE_TIMEOUT_MS;
    std::string file;
    bool quiet = false;  // errors only
    bool yes = false;    // download: confirmed beforehand
    bool json = false;   // check, verify: the report as JSON
    bool strict = false; // check: warnings refuse the file too

    DeviceEndpoint Device() const { return {host, port, timeoutMs}; }
};

int RunUploadCommand(const CliOptions& options, const CliStreams& io);
int RunDownloadCommand(const CliOptions& options, const CliStreams& io);
int RunCheckCommand(const CliOptions& options, const CliStreams& io);
int RunVerifyCommand(const CliOptions& options, const CliStreams& io);

// Flushes a command's report; false, with the reason on err, when any of it could not be
// written (standard output on a full disk or a closed pipe).
bool FlushReport(const CliStreams& io, const char* command);

// What each command does and how it ends, for its --help.
extern const char* const UPLOAD_HELP;
extern const char* const DOWNLOAD_HELP;
extern const char* const CHECK_HELP;
extern const char* const VERIFY_HELP;
