#pragma once
// The commands of orx-transfer, each given its parsed options.

#include "cli/OrxTransfer.h"
#include "transfer/Backups.h"
#include "transfer/DeviceAddress.h"
#include "transfer/ExchangeTrace.h"
#include "transfer/TransferResults.h"

#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <vector>

constexpr unsigned DEFAULT_BACKUP_JOBS = 8;

struct CliOptions {
    std::string host; // "A.B.C.D", also when given as a host name
    WORD port = MODBUS_TCP_PORT;
    DWORD timeoutMs = EXCHANGE_TIMEOUT_MS;
    WORD attempts = DEFAULT_ATTEMPTS; // --retries: of each exchange
    bool blockReads = false;
    std::string file;
    bool quiet = false;                  // errors only
    bool yes = false;                    // download: confirmed beforehand
    bool json = false;                   // check, verify: the report as JSON
    bool strict = false;                 // check: warnings refuse the file too
    std::string trace;                   // every command with a device: "-" for err
    std::string backupFile;              // download: the backup's file
    bool noBackup = false;               // download: none
    int keep = DEFAULT_BACKUPS_KEPT;     // download, restore: backups kept per device
    std::string into;                    // backup: the folder
    unsigned jobs = DEFAULT_BACKUP_JOBS; // backup: devices at a time
    std::string hostsFile;               // backup: HOST[:PORT] per line
    std::vector<std::string> hosts;      // backup: HOST[:PORT]...

    DeviceEndpoint Device() const { return {host, port, timeoutMs, attempts, blockReads}; }
};

int RunUploadCommand(const CliOptions& options, const CliStreams& io);
int RunDownloadCommand(const CliOptions& options, const CliStreams& io);
int RunCheckCommand(const CliOptions& options, const CliStreams& io);
int RunVerifyCommand(const CliOptions& options, const CliStreams& io);
int RunRestoreCommand(const CliOptions& options, const CliStreams& io);
int RunBackupCommand(const CliOptions& options, const CliStreams& io);

// Runs body with the command's client, traced as --trace asks; without running it,
// RESULT_FILE_ERROR when the trace cannot be written.
int WithClient(const CliOptions& options, const CliStreams& io,
               const std::function<int(CModbus&)>& body);

// The trace that --trace asks for, opened once per command and attached to each client.
class CCommandTrace {
public:
    CCommandTrace(const CliOptions& options, const CliStreams& io);
    ~CCommandTrace(); // says on err when lines of it were lost
    CCommandTrace(const CCommandTrace&) = delete;
    CCommandTrace& operator=(const CCommandTrace&) = delete;

    // False, with the reason on err, when a trace was asked for and cannot be written.
    bool Opened() const { return m_opened; }
    void Attach(CModbus& modbus);

private:
    const CliStreams& m_io;
    std::string m_path;
    std::unique_ptr<CExchangeTrace> m_trace;
    bool m_opened = true;
};

// Flushes a command's report; false, with the reason on err, when any of it could not be
// written (standard output on a full disk or a closed pipe). earlierError: the system's
// reason when an earlier write of the report failed, 0 when unknown.
bool FlushReport(const CliStreams& io, const char* command, int earlierError = 0);

// A JSON report on out, valid for any bytes in its texts: a byte that is not part of a
// UTF-8 character becomes U+FFFD.
void PrintJson(const nlohmann::json& report, std::ostream& out);

// What each command does and how it ends, for its --help.
extern const char* const UPLOAD_HELP;
extern const char* const DOWNLOAD_HELP;
extern const char* const CHECK_HELP;
extern const char* const VERIFY_HELP;
extern const char* const RESTORE_HELP;
extern const char* const BACKUP_HELP;
