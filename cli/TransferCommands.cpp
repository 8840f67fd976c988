// orx-transfer upload, download and restore: the job on this thread, presented on the
// terminal.

#include "cli/CliCommands.h"
#include "cli/InterruptWatch.h"
#include "cli/Terminal.h"
#include "cli/TerminalView.h"
#include "modbus/RemoteModbus.h"
#include "transfer/ConfigCheck.h"
#include "transfer/TransferJobs.h"

#include <iterator>

namespace {

using Job = std::function<UINT(const DeviceEndpoint&, CModbus&, CTransferView&)>;

// The job with Ctrl-C, SIGTERM and SIGHUP as its Cancel button once it works on the device.
// However many signals come then, the job ends its own way (a download tells the device);
// after a second one the exit status is EXIT_INTERRUPTED. Before, the job only reads its file
// or waits for an answer, and a signal ends the program at once.
int RunTransfer(const Job& job, const CliOptions& options, CModbus& modbus, CTerminalView& view) {
    CInterruptWatch watch([&view](int count) {
        if (!view.Working())
            EndInterrupted();
        view.Interrupted(count);
    });
    const UINT result = job(options.Device(), modbus, view);
    return watch.Interrupts() > 1 ? EXIT_INTERRUPTED : static_cast<int>(result);
}

TerminalSettings Settings(const CliOptions& options, const CliStreams& io) {
    TerminalSettings settings;
    settings.quiet = options.quiet;
    // A trace on the terminal would cut through a redrawn line.
    settings.redraw = io.errIsTerminal && options.trace != "-";
    settings.yes = options.yes;
    settings.questionFd = io.questionFd;
    return settings;
}

// A device may hold what no download accepts (NaN in an enabled alarm, a mode of 3): the
// file is kept as the device holds it, and the user learns now which rows it would refuse.
void WarnOfRefusedRows(const std::string& path, CTerminalView& view) {
    const ConfigCheckResult check = CheckConfigFile(path);
    if (!check.fileError.empty())
        view.Notice("warning: cannot read " + path + " back: " + check.fileError);
    for (const RowReport& report : check.problems)
        view.Notice("warning: a download would refuse " + DescribeRowReport(report));
}

// The writing commands ask on a terminal unless confirmed beforehand.
bool CanConfirm(const CliOptions& options, const CliStreams& io, const char* command) {
    if (options.yes || IsTerminal(io.questionFd))
        return true;
    io.err << "orx-transfer " << command
           << ": not on a terminal: give --yes to write to the device\n"
           << std::flush;
    return false;
}

BackupPlan PlannedBackup(const CliOptions& options) {
    if (options.noBackup)
        return {};
    if (!options.backupFile.empty())
        return {BackupPlan::Kind::File, options.backupFile, options.keep};
    return BackupPlan::IntoFolder(DefaultBackupFolder(), options.keep);
}

// The backup's path is the download's report: the undo of what it wrote.
void ReportBackup(const DownloadReport& report, const CliStreams& io, CTerminalView& view) {
    if (!report.backupPath.empty())
        io.out << "Backup: " << report.backupPath << '\n' << std::flush;
    if (!report.warning.empty())
        view.Notice("warning: " + report.warning);
}

int Download(const CliOptions& options, const CliStreams& io, CModbus& modbus,
             const std::string& path, const DownloadOptions& download) {
    CTerminalView view(path, io.err, Settings(options, io));
    DownloadReport report;
    const int result = RunTransfer(
        [&](const DeviceEndpoint& device, CModbus& client, CTransferView& shown) {
            return RunDownloadJob(device, client, shown, download, &report);
        },
        options, modbus, view);
    ReportBackup(report, io, view);
    return result;
}

// After the newest backup was refused: the next older one a restore would take, if any.
void NameOlderBackup(const std::vector<BackupFile>& backups, DWORD serial, const CliStreams& io) {
    for (auto older = std::next(backups.rbegin()); older != backups.rend(); ++older) {
        if (CheckBackupFile(older->path, serial).Accepted()) {
            io.err << "Next older backup of ORX " << serial << " that would do: made "
                   << older->Made() << ", " << older->path << '\n'
                   << std::flush;
            return;
        }
    }
    io.err << "No older backup of ORX " << serial << " would do\n" << std::flush;
}

// The device's serial number first, to find its newest backup (or to check the one given); the
// download of that backup then backs the device up as any download does, and refuses another
// device.
int Restore(const CliOptions& options, const CliStreams& io, CModbus& modbus) {
    DWORD serial = 0;
    CTerminalView identifying({}, io.err, Settings(options, io));
    const int identified = RunTransfer(
        [&serial](const DeviceEndpoint& device, CModbus& client, CTransferView& view) {
            return RunIdentifyJob(device, client, view, serial);
        },
        options, modbus, identifying);
    if (identified != static_cast<int>(RESULT_OK))
        return identified;
    const std::string folder = DefaultBackupFolder();
    const DownloadOptions restore{BackupPlan::IntoFolder(folder, options.keep), serial};
    if (!options.file.empty())
        return Download(options, io, modbus, options.file, restore);
    const std::vector<BackupFile> backups = ListBackups(folder, serial);
    if (backups.empty()) {
        io.err << "orx-transfer restore: no backup of ORX " << serial << " in " << folder << '\n'
               << std::flush;
        return static_cast<int>(RESULT_NO_FILE);
    }
    // Shown even when quiet: it is what the confirmation is about.
    io.err << "Newest backup of ORX " << serial << ": made " << backups.back().Made() << ", "
           << backups.back().path << '\n'
           << std::flush;
    const int restored = Download(options, io, modbus, backups.back().path, restore);
    if (restored == static_cast<int>(RESULT_CONFIG_ERROR))
        NameOlderBackup(backups, serial, io);
    return restored;
}

} // namespace

CCommandTrace::CCommandTrace(const CliOptions& options, const CliStreams& io)
    : m_io(io), m_path(options.trace) {
    if (m_path.empty())
        return;
    std::string why;
    m_trace = CExchangeTrace::Open(m_path, io.err, why);
    m_opened = m_trace != nullptr;
    if (!m_opened)
        io.err << "orx-transfer: cannot write the trace: " << why << '\n' << std::flush;
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

int WithClient(const CliOptions& options, const CliStreams& io,
               const std::function<int(CModbus&)>& body) {
    CCommandTrace trace(options, io);
    if (!trace.Opened())
        return static_cast<int>(RESULT_FILE_ERROR);
    CRemoteModbus modbus;
    trace.Attach(modbus);
    return body(modbus);
}

int RunUploadCommand(const CliOptions& options, const CliStreams& io) {
    CTerminalView view(options.file, io.err, Settings(options, io));
    const int result = WithClient(options, io, [&](CModbus& modbus) {
        return RunTransfer(RunUploadJob, options, modbus, view);
    });
    if (result == static_cast<int>(RESULT_OK))
        WarnOfRefusedRows(options.file, view);
    return result;
}

int RunDownloadCommand(const CliOptions& options, const CliStreams& io) {
    if (!CanConfirm(options, io, "download"))
        return EXIT_USAGE;
    return WithClient(options, io, [&](CModbus& modbus) {
        return Download(options, io, modbus, options.file, {PlannedBackup(options), {}});
    });
}

int RunRestoreCommand(const CliOptions& options, const CliStreams& io) {
    if (!CanConfirm(options, io, "restore"))
        return EXIT_USAGE;
    return WithClient(options, io, [&](CModbus& modbus) { return Restore(options, io, modbus); });
}
