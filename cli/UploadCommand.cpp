// orx-transfer upload [OPTIONS] HOST[:PORT] FILE: device to file.

#include "cli/TransferRun.h"
#include "transfer/ConfigCheck.h"

#include <CLI/CLI.hpp>

namespace {

using UploadOptions = TransferCommandOptions;

// A device may hold what no download accepts (NaN in an enabled alarm, a mode of 3): the
// file is kept as the device holds it, and the user learns now which rows it would refuse.
void WarnOfRefusedRows(const std::string& path, CTerminalView& view) {
    const ConfigCheckResult check = CheckConfigFile(path);
    if (!check.fileError.empty())
        view.Notice("warning: cannot read " + path + " back: " + check.fileError);
    for (const RowReport& report : check.problems)
        view.Notice("warning: a download would refuse " + DescribeRowReport(report));
}

int RunUpload(const UploadOptions& options, const CliStreams& io) {
    const std::string& trace = options.device.connection.trace;
    RefuseSharedFiles({{"--trace", trace}, {"FILE", options.file}});
    const DeviceEndpoint device = options.device.Endpoint();
    CTerminalView view(options.file, io.err, Settings(options.quiet, false, trace, io));
    const int result = WithClient(trace, io, [&](CModbus& modbus) {
        return RunTransfer(RunUploadJob, device, modbus, view);
    });
    if (result == static_cast<int>(RESULT_OK))
        WarnOfRefusedRows(options.file, view);
    return result;
}

} // namespace

void AddUploadCommand(CLI::App& command, CommandRun& run) {
    const auto options = std::make_shared<UploadOptions>();
    AddTransferOptions(command, *options, "the configuration file to write");
    command.footer(UPLOAD_HELP);
    command.callback([options, &run] { run.status = RunUpload(*options, run.io); });
}
