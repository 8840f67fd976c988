#pragma once
// orx-config's command line: [--host HOST] [--port N] [--timeout MS] [--retries N]
// [--block-reads] [--trace FILE] [--screenshot FILE] [--help] [--version], --screenshot where the
// front end can take one.

#include "transfer/DeviceAddress.h"

#include <string>

struct GuiOptions {
    std::string host; // "A.B.C.D"; empty: the address field starts at 0.0.0.0
    WORD port = 0;    // 0: the device's port
    DWORD timeoutMs = EXCHANGE_TIMEOUT_MS;
    WORD attempts = DEFAULT_ATTEMPTS; // --retries: of each exchange
    bool blockReads = false;
    std::string screenshot;
    std::string trace; // "-": standard error; empty: none
};

// Exit status of a usage error, as the command-line tool uses.
constexpr int GUI_USAGE_EXIT = 64;
// Exit status when the trace file cannot be written, the command-line tool's file error.
constexpr int GUI_TRACE_EXIT = 2;
// ParseGuiCommandLine's answer when the program is to run.
constexpr int GUI_RUN = -1;

// What the front end adds to the command line: the end of --help (how the front end shows
// the About box, what it remembers), and whether it takes --screenshot.
struct GuiFrontEndHelp {
    const char* footer;
    bool screenshot;
};

// Fills options, or prints help, the version or a usage error and returns the exit status.
int ParseGuiCommandLine(int argc, char** argv, GuiOptions& options, const GuiFrontEndHelp& help);
