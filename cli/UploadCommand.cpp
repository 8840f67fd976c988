// orx-transfer upload [--port N] HOST FILE

#include "app/Resource.h"
#include "cli/CliCommand.h"
#include "cli/InterruptWatch.h"
#include "cli/TransferRunner.h"
#include "transfer/ConfigCheck.h"
#include "transfer/TransferResults.h"

#include <cstdio>

namespace {

int RunUpload(const std::vector<std::string>& args);

const CliCommand UPLOAD{
    "upload", "upload [--port N] HOST FILE",
    "Reads the 32 alarm definitions, the serial number and the identity of the ORX device at\n"
    "HOST (A.B.C.D) and saves them in FILE as comma-separated text. An existing FILE is\n"
    "replaced without asking, and only when the whole upload succeeded; otherwise it is left\n"
    "as it was. The replacement keeps the file's owner and permissions; where FILE is a\n"
    "symbolic link, the file it leads to is replaced. Ctrl-C, SIGTERM or SIGHUP cancels\n"
    "(a second one makes the exit status 130). After a complete upload, every row of FILE\n"
    "that a download would refuse is named on stderr, as `check` does.\n"
    "\n"
    "  --port N   the device's Modbus TCP port (default 502)\n"
    "\n"
    "Exit status: 0 complete, 1 no file named, 2 file error, 3 device error (no connection,\n"
    "not an ORX, failed read), 5 cancelled, 8 internal error, 64 usage error, 130 second\n"
    "Ctrl-C.\n",
    &RunUpload};

const CliCommandRegistration registration{UPLOAD};

// A device may hold what no download accepts (NaN in an enabled alarm, a mode of 3): the
// file is kept as the device holds it, and the user learns now which rows it would refuse.
void WarnOfRefusedRows(const std::string& path) {
    const ConfigCheckResult check = CheckConfigFile(path);
    if (!check.fileError.empty())
        std::fprintf(stderr, "warning: cannot read %s back: %s\n", path.c_str(),
                     check.fileError.c_str());
    for (const RowReport& report : check.problems)
        std::fprintf(stderr, "warning: a download would refuse %s\n",
                     DescribeRowReport(report).c_str());
}

int RunUpload(const std::vector<std::string>& args) {
    TransferOptions options;
    const std::string problem = ParseTransferOptions(args, options);
    if (!problem.empty())
        return UsageError(UPLOAD, problem);
    if (options.help) {
        std::printf("usage: orx-transfer %s\n\n%s", UPLOAD.synopsis, UPLOAD.help);
        return 0;
    }
    BlockInterrupts(); // before any thread: the transfer takes them
    const int result = RunTransfer(options, IDC_UPLOAD);
    if (result == static_cast<int>(RESULT_OK))
        WarnOfRefusedRows(options.file);
    return result;
}

} // namespace
