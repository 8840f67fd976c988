// What the commands of orx-transfer share: their common options and their client.

#include "cli/CliCommands.h"

#include "modbus/RemoteModbus.h"
#include "transfer/Backups.h"
#include "transfer/FileIdentity.h"

#include <CLI/CLI.hpp>

namespace {

constexpr int KEEP_MAX = 100000;

} // namespace

DeviceEndpoint DeviceOptions::Endpoint() const {
    const WORD given = connection.port;
    if (hostPort != 0 && given != 0 && hostPort != given)
        throw CLI::ValidationError("HOST " + host + ':' + std::to_string(hostPort) +
                                   " and --port " + std::to_string(given) +
                                   " name two ports: give one");
    return connection.At(host, hostPort);
}

void AddDeviceOptions(CLI::App& command, DeviceOptions& options) {
    AddConnectionOptions(command, options.connection);
    // HOST becomes "A.B.C.D", a host name being resolved here, once; its port is kept apart.
    const auto resolve = [&options](std::string& text) {
        OrFailure<HostAndPort> given = SplitHostAndPort(text);
        if (!given)
            return given.Error().cause;
        const std::string refused = ResolveDeviceHostInPlace(given->host);
        text = given->host;
        options.hostPort = given->port;
        return refused;
    };
    command
        .add_option("HOST", options.host,
                    "the device: A.B.C.D or a host name, with :PORT when not --port's")
        ->type_name("")
        ->required()
        ->transform(CLI::Validator(resolve, ""));
}

void AddTransferOptions(CLI::App& command, TransferCommandOptions& options, const char* fileHelp) {
    AddDeviceOptions(command, options.device);
    AddFileArgument(command, options.file, fileHelp);
    AddQuiet(command, options.quiet);
}

void AddFileArgument(CLI::App& command, std::string& file, const char* help) {
    command.add_option("FILE", file, help)->type_name("")->required();
}

void AddQuiet(CLI::App& command, bool& quiet) {
    command.add_flag("-q,--quiet", quiet, "errors only");
}

void AddYes(CLI::App& command, bool& yes) {
    command.add_flag("-y,--yes", yes, "do not ask for confirmation");
}

CLI::Option* AddKeep(CLI::App& command, int& keep) {
    return command
        .add_option("--keep", keep,
                    "backups kept per device in the folder (default " +
                        std::to_string(DEFAULT_BACKUPS_KEPT) + ")")
        ->option_text("N")
        ->check(WholeNumber())
        ->check(CLI::Range(1, KEEP_MAX));
}

void RefuseSharedFiles(const std::vector<NamedFile>& given) {
    std::vector<NamedFile> files;
    for (const NamedFile& file : given)
        if (!file.path.empty() && file.path != "-")
            files.push_back(file);
    for (std::size_t i = 0; i < files.size(); ++i)
        for (std::size_t j = i + 1; j < files.size(); ++j)
            if (SameFile(files[i].path, files[j].path))
                throw CLI::ValidationError(
                    std::string(files[i].option) + ' ' + files[i].path + " and " + files[j].option +
                    ' ' + files[j].path +
                    " are one file: writing one would destroy the other; give another path");
}

CCommandTrace::CCommandTrace(const std::string& trace, const CliStreams& io)
    : m_io(io), m_path(trace) {
    if (m_path.empty())
        return;
    auto opened = CExchangeTrace::Open(m_path, io.err);
    m_opened = static_cast<bool>(opened);
    if (m_opened)
        m_trace = std::move(*opened);
    else
        io.err << "orx-transfer: cannot write the trace: " << opened.Error().cause << '\n'
               << std::flush;
}

CCommandTrace::~CCommandTrace() {
    if (m_trace && !m_trace->Good())
        m_io.err << "orx-transfer: lines of the trace " << m_path << " could not be written\n"
                 << std::flush;
}

void CCommandTrace::Attach(CModbus& modbus) {
    if (m_trace)
        m_trace->Attach(modbus);
}

int WithClient(const std::string& trace, const CliStreams& io,
               const std::function<int(CModbus&)>& body) {
    CCommandTrace commandTrace(trace, io);
    if (!commandTrace.Opened())
        return static_cast<int>(RESULT_FILE_ERROR);
    CRemoteModbus modbus;
    commandTrace.Attach(modbus);
    return body(modbus);
}
