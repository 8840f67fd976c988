#pragma once
// orx-transfer's command line: upload, download, check and verify.

#include <ostream>
#include <string>
#include <vector>

constexpr int EXIT_USAGE = 64;        // the command line was wrong
constexpr int EXIT_INTERRUPTED = 130; // a second Ctrl-C (SIGTERM, SIGHUP) during a transfer

// Where a command writes: its report on out, status texts and errors on err (redrawn as one
// progress line when err is a terminal); the download's question is read from questionFd.
struct CliStreams {
    std::ostream& out;
    std::ostream& err;
    int questionFd;
    bool errIsTerminal;
};

// args without the program name; returns the exit status. The interrupt signals must have
// been blocked (BlockInterrupts) before any thread started.
int RunOrxTransfer(const std::vector<std::string>& args, const CliStreams& io);
