// orx-transfer upload and download: the job on this thread, presented on the terminal.

#include "cli/CliCommands.h"
#include "cli/InterruptWatch.h"
#include "cli/Terminal.h"
#include "cli/TerminalView.h"
#include "modbus/RemoteModbus.h"
#include "transfer/ConfigCheck.h"
#include "transfer/TransferJobs.h"

namespace {

using Job = UINT (*)(const DeviceEndpoint&, CModbus&, CTransferView&);

// The job with Ctrl-C, SIGTERM and SIGHUP as its Cancel button. However many signals come,
// the job ends its own way (a download tells the device); after a second one the exit
// status is EXIT_INTERRUPTED.
int RunTransfer(Job job, const CliOptions& options, CTerminalView& view) {
    CRemoteModbus modbus;
    CInterruptWatch watch([&view](int count) { view.Interrupted(count); });
    const UINT result = job(options.Device(), modbus, view);
    return watch.Interrupts() > 1 ? EXIT_INTERRUPTED : static_cast<int>(result);
}

TerminalSettings Settings(const CliOptions& options, const CliStreams& io) {
    TerminalSettings settings;
    settings.quiet = options.quiet;
    settings.redraw = io.errIsTerminal;
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

} // namespace

int RunUploadCommand(const CliOptions& options, const CliStreams& io) {
    CTerminalView view(options.file, io.err, Settings(options, io));
    const int result = RunTransfer(RunUploadJob, options, view);
    if (result == static_cast<int>(RESULT_OK))
        WarnOfRefusedRows(options.file, view);
    return result;
}

int RunDownloadCommand(const CliOptions& options, const CliStreams& io) {
    if (!options.yes && !IsTerminal(io.questionFd)) {
        io.err << "orx-transfer download: not on a terminal: give --yes to write to the device\n"
               << std::flush;
        return EXIT_USAGE;
    }
    CTerminalView view(options.file, io.err, Settings(options, io));
    return RunTransfer(RunDownloadJob, options, view);
}
