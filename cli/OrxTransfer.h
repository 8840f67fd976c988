#pragma once
// orx-transfer's command line: upload, download, check and verify.

#include <ostream>
#include <string>
#include <vector>

constexpr int EXIT_USAGE = 64; // the command line was wrong
// A second Ctrl-C (SIGTERM, SIGHUP) during a transfer, or one while nothing needs finishing.
constexpr int EXIT_INTERRUPTED = 130;

// Where a command writes: its report on out, status texts and errors on err (redrawn as one
// progress line when err is a terminal); the download's question is read from questionFd.
struct CliStreams {
    std::ostream& out;
    std::ostream& err;
    int questionFd;
    bool errIsTerminal;
};

// args without the program name; returns the exit status. The interrupts must be watched
// (WatchInterrupts) from before any thread started.
int RunOrxTransfer(const std::vector<std::string>& args, const CliStreams& io);
