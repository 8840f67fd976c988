#include "cli/TransferRun.h"

#include "cli/InterruptWatch.h"
#include "cli/Terminal.h"

#include <cstdlib>

namespace {

constexpr long COLUMNS_MAX = 10000;

// The width of the progress line: COLUMNS when set to a number, else the terminal's.
int ProgressColumns() {
    if (const char* given = std::getenv("COLUMNS"); given != nullptr && *given != '\0') {
        char* end = nullptr;
        const long columns = std::strtol(given, &end, 10);
        if (*end == '\0' && columns > 0 && columns <= COLUMNS_MAX)
            return static_cast<int>(columns);
    }
    return TerminalColumns(STANDARD_ERROR);
}

// The backup's path is the download's report: the undo of what it wrote.
void ReportBackup(const DownloadReport& report, const CliStreams& io, CTerminalView& view) {
    if (!report.backupPath.empty())
        io.out << "Backup: " << report.backupPath << '\n' << std::flush;
    if (!report.warning.empty())
        view.Notice("warning: " + report.warning);
}

} // namespace

int RunTransfer(const Job& job, const DeviceEndpoint& device, CModbus& modbus,
                CTerminalView& view) {
    CInterruptWatch watch([&view](int count) {
        if (!view.Working())
            EndInterrupted();
        view.Interrupted(count);
    });
    const UINT result = job(device, modbus, view);
    return watch.Interrupts() > 1 ? EXIT_INTERRUPTED : static_cast<int>(result);
}

TerminalSettings Settings(bool quiet, bool yes, const std::string& trace, const CliStreams& io) {
    TerminalSettings settings;
    settings.quiet = quiet;
    // A trace on the terminal would cut through a redrawn line.
    settings.redraw = io.errIsTerminal && trace != "-";
    settings.columns = settings.redraw ? ProgressColumns() : 0;
    settings.yes = yes;
    settings.questionFd = io.questionFd;
    return settings;
}

bool CanConfirm(bool yes, const CliStreams& io, const char* command) {
    if (yes || IsTerminal(io.questionFd))
        return true;
    io.err << "orx-transfer " << command
           << ": not on a terminal: give --yes to write to the device\n"
           << std::flush;
    return false;
}

int Download(const DeviceEndpoint& device, const TerminalSettings& settings, const CliStreams& io,
             CModbus& modbus, const std::string& path, const DownloadOptions& download) {
    CTerminalView view(path, io.err, settings);
    DownloadReport report;
    const int result = RunTransfer(
        [&](const DeviceEndpoint& endpoint, CModbus& client, CTransferView& shown) {
            return RunDownloadJob(endpoint, client, shown, download, &report);
        },
        device, modbus, view);
    ReportBackup(report, io, view);
    return result;
}
