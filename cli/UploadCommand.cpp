// orx-transfer upload [--port N] HOST FILE

#include "app/Resource.h"
#include "cli/CliCommand.h"
#include "cli/InterruptWatch.h"
#include "cli/TransferRunner.h"

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
    "(a second one makes the exit status 130).\n"
    "\n"
    "  --port N   the device's Modbus TCP port (default 502)\n"
    "\n"
    "Exit status: 0 complete, 1 no file named, 2 file error, 3 device error (no connection,\n"
    "not an ORX, failed read), 5 cancelled, 8 internal error, 64 usage error, 130 second\n"
    "Ctrl-C.\n",
    &RunUpload};

const CliCommandRegistration registration{UPLOAD};

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
    return RunTransfer(options, IDC_UPLOAD);
}

} // namespace
