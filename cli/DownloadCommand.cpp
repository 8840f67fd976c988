// orx-transfer download [--port N] [--yes] HOST FILE

#include "app/Resource.h"
#include "cli/CliCommand.h"
#include "cli/DownloadCommands.h"
#include "cli/InterruptWatch.h"
#include "cli/TransferRunner.h"
#include "transfer/ConfigCheck.h"
#include "transfer/TransferResults.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr const char* DOWNLOAD_QUESTION =
    "Please verify you wish to download the configuration to the ORX.";
constexpr int PROMPT_POLL_MS = 100; // how soon a Ctrl-C at the prompt is noticed

int RunDownload(const std::vector<std::string>& args);

const CliCommand DOWNLOAD{
    "download", "download [--port N] [--yes] HOST FILE",
    "Checks every row of FILE and writes them into the ORX device at HOST (A.B.C.D), as\n"
    "\"Download to ORX\" does: a FILE with any refused row, or without any row, writes\n"
    "nothing; a locked device, or one whose lock cannot be read, is refused; a failed write\n"
    "stops the download (the alarms before it stay written) and sets the device's abort\n"
    "coil; a finished download sets its completion coil. `orx-transfer check FILE` names\n"
    "the refused rows. Fields that the download reads otherwise than their text says are\n"
    "named in warnings before anything is written.\n"
    "Before writing it asks for confirmation on the terminal; without a terminal it writes\n"
    "only with --yes. Ctrl-C, SIGTERM or SIGHUP cancels: the alarm being written is finished\n"
    "and the abort coil set (a second one makes the exit status 130; the coil is still set).\n"
    "\n"
    "  --port N   the device's Modbus TCP port (default 502)\n"
    "  --yes      do not ask for confirmation\n"
    "\n"
    "Exit status: 0 complete, 2 FILE cannot be opened, 3 device error (no connection, not an\n"
    "ORX, lock input not readable, failed write), 4 device configuration locked, 5 cancelled\n"
    "or not confirmed, 6 a row of FILE refused, 8 internal error, 64 usage error or no\n"
    "confirmation possible (no terminal and no --yes), 130 second Ctrl-C.\n",
    &RunDownload};

const CliCommandRegistration registration{DOWNLOAD};

int RunDownload(const std::vector<std::string>& args) {
    BlockInterrupts(); // before any thread: the prompt and the transfer take them
    return RunDownloadCommand(args, STDIN_FILENO);
}

// One line from fd; false at its end, on an error or on Ctrl-C (SIGTERM, SIGHUP).
bool ReadAnswer(int fd, std::string& answer) {
    for (;;) {
        if (TakePendingInterrupt())
            return false;
        pollfd ready{fd, POLLIN, 0};
        const int polled = poll(&ready, 1, PROMPT_POLL_MS);
        if (polled < 0 && errno != EINTR)
            return false;
        if (polled <= 0)
            continue;
        char c = 0;
        if (read(fd, &c, 1) != 1)
            return false;
        if (c == '\n')
            return true;
        answer += c;
    }
}

bool AskOnTerminal(int fd) {
    std::fprintf(stderr, "%s [y/N] ", DOWNLOAD_QUESTION);
    std::fflush(stderr);
    std::string answer;
    const bool answered = ReadAnswer(fd, answer);
    if (!answered)
        std::fputc('\n', stderr);
    return answered && (answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes");
}

// What the file says otherwise than the download will write it, before the user confirms.
void PrintLossyReadings(const std::string& path) {
    for (const RowWarning& warning : CheckConfigFile(path).warnings)
        std::fprintf(stderr, "warning: %s\n", DescribeRowWarning(warning).c_str());
}

} // namespace

int RunDownloadCommand(const std::vector<std::string>& args, int terminalFd) {
    std::vector<std::string> rest;
    std::copy_if(args.begin(), args.end(), std::back_inserter(rest),
                 [](const std::string& arg) { return arg != "--yes" && arg != "-y"; });
    const bool yes = rest.size() != args.size();
    TransferOptions options;
    const std::string problem = ParseTransferOptions(rest, options);
    if (!problem.empty())
        return UsageError(DOWNLOAD, problem);
    if (options.help) {
        std::printf("usage: orx-transfer %s\n\n%s", DOWNLOAD.synopsis, DOWNLOAD.help);
        return 0;
    }
    PrintLossyReadings(options.file);
    if (!yes) {
        if (isatty(terminalFd) != 1)
            return UsageError(DOWNLOAD, "not on a terminal: give --yes to write to the device");
        if (!AskOnTerminal(terminalFd)) {
            std::fprintf(stderr, "Download not confirmed; nothing was written.\n");
            return static_cast<int>(RESULT_CANCELLED);
        }
    }
    return RunTransfer(options, IDC_DOWNLOAD);
}
