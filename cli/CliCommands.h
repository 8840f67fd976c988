#pragma once
// The commands of orx-transfer: each declares its options on its own subcommand and binds the
// callback that runs it (a file of its own each, registered in OrxTransfer.cpp), and what
// they share.

#include "cli/OrxTransfer.h"
#include "transfer/ConnectionOptions.h"
#include "transfer/ExchangeTrace.h"
#include "transfer/TransferResults.h"

#include <functional>
#include <memory>

namespace CLI {
class App;
class Option;
} // namespace CLI

// Where a command's callback writes, and the exit status it leaves.
struct CommandRun {
    const CliStreams& io;
    int status = static_cast<int>(RESULT_INTERNAL_ERROR);
};

// Declares the command's options on command and binds its callback.
using AddCommand = void (*)(CLI::App& command, CommandRun& run);
void AddUploadCommand(CLI::App& command, CommandRun& run);
void AddDownloadCommand(CLI::App& command, CommandRun& run);
void AddCheckCommand(CLI::App& command, CommandRun& run);
void AddVerifyCommand(CLI::App& command, CommandRun& run);
void AddRestoreCommand(CLI::App& command, CommandRun& run);
void AddSiteBackupCommand(CLI::App& command, CommandRun& run);

// A device command's HOST (or HOST:PORT) and connection.
struct DeviceOptions {
    std::string host;  // "A.B.C.D", also when given as a host name
    WORD hostPort = 0; // the port given in HOST, 0 when none
    ConnectionOptions connection;

    // The device; a usage error (CLI::ValidationError) when HOST and --port name two ports.
    DeviceEndpoint Endpoint() const;
};
// The connection's options, then HOST.
void AddDeviceOptions(CLI::App& command, DeviceOptions& options);

// What a transfer between a device and a file takes: HOST, FILE and --quiet.
struct TransferCommandOptions {
    DeviceOptions device;
    std::string file;
    bool quiet = false;
};
void AddTransferOptions(CLI::App& command, TransferCommandOptions& options, const char* fileHelp);
void AddFileArgument(CLI::App& command, std::string& file, const char* help);
void AddQuiet(CLI::App& command, bool& quiet);
void AddYes(CLI::App& command, bool& yes);
CLI::Option* AddKeep(CLI::App& command, int& keep);

// A file that a command names, with the option that names it.
struct NamedFile {
    const char* option;
    std::string path;
};
// Throws a usage error (CLI::ValidationError) naming both when two of the command's files are
// one: writing one (a trace, a backup, an upload) would destroy the other before it is read, or
// both would write over each other. Files with empty paths (not given) and "-" are left out.
void RefuseSharedFiles(const std::vector<NamedFile>& files);

// Runs body with the command's client, traced as trace asks; without running it,
// RESULT_FILE_ERROR when the trace cannot be written.
int WithClient(const std::string& trace, const CliStreams& io,
               const std::function<int(CModbus&)>& body);

// The trace that --trace asks for, opened once per command and attached to each client.
class CCommandTrace {
public:
    CCommandTrace(const std::string& trace, const CliStreams& io);
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

// What each command does and how it ends, for its --help.
extern const char* const UPLOAD_HELP;
extern const char* const DOWNLOAD_HELP;
extern const char* const CHECK_HELP;
extern const char* const VERIFY_HELP;
extern const char* const RESTORE_HELP;
extern const char* const BACKUP_HELP;
