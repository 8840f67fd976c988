// orx-transfer verify [--port N] HOST FILE

#include "cli/CliCommand.h"
#include "cli/DownloadCommands.h"
#include "cli/TerminalView.h"
#include "cli/TransferOptions.h"
#include "modbus/RemoteModbus.h"
#include "platform/ui/WinApp.h"
#include "transfer/TransferJobs.h"

#include <iostream>

namespace {

int RunVerify(const std::vector<std::string>& args);

const CliCommand VERIFY{
    "verify", "verify [--port N] HOST FILE",
    "Reads the ORX device at HOST (A.B.C.D) without writing to it and compares it with FILE\n"
    "alarm by alarm and field by field, printing each difference, e.g.\n"
    "  alarm 3 trip point: file 75.5000, device 75.4000\n"
    "Only the rows a download would write are compared: a file with k rows compares alarms\n"
    "1 to k. Every field is compared, also those of a disabled alarm. Trip point and deadband\n"
    "are compared as the file's text rounded to single precision, as a download writes them.\n"
    "FILE is checked first, as `check` does; a row a download would refuse stops the verify\n"
    "before the device is contacted.\n"
    "\n"
    "  --port N   the device's Modbus TCP port (default 502)\n"
    "\n"
    "Exit status: 0 the device holds what FILE says, 2 FILE cannot be opened or the report\n"
    "cannot be written, 3 device error (no connection, not an ORX, failed read), 6 a row of\n"
    "FILE would be refused, 7 the device differs from FILE, 64 usage error.\n",
    &RunVerify};

const CliCommandRegistration registration{VERIFY};

int RunVerify(const std::vector<std::string>& args) {
    return RunVerifyCommand(args, std::cout, std::cerr);
}

int CompareWithDevice(const TransferOptions& options, std::ostream& out, std::ostream& err) {
    AfxSocketInit();
    CRemoteModbus modbus;
    CTerminalView view(options.file, err, TerminalSettings{});
    VerifyReport report;
    const DeviceEndpoint device{options.host, options.port != 0 ? options.port : MODBUS_TCP_PORT,
                                EXCHANGE_TIMEOUT_MS};
    const UINT result = RunVerifyJob(device, modbus, view, report);
    for (const FieldDifference& difference : report.differences)
        out << DescribeDifference(difference) << '\n';
    if (result == RESULT_OK)
        out << "The device holds what the file says (" << report.compared
            << " alarm(s) compared).\n";
    else if (result == RESULT_DIFFERENT)
        out << "The device differs from the file.\n";
    return static_cast<int>(result);
}

} // namespace

int RunVerifyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TransferOptions options;
    const std::string problem = ParseTransferOptions(args, options);
    if (!problem.empty())
        return UsageError(VERIFY, problem);
    if (options.help) {
        out << "usage: orx-transfer " << VERIFY.synopsis << "\n\n" << VERIFY.help;
        return 0;
    }
    const int result = CompareWithDevice(options, out, err);
    return FlushReport(out, err, VERIFY.name) ? result : static_cast<int>(RESULT_FILE_ERROR);
}
