#pragma once
// Subcommands of orx-transfer. Each lives in a file of its own and registers itself:
//   static const CliCommandRegistration reg{{"name", "synopsis", "help text", &RunName}};

#include <ostream>
#include <string>
#include <vector>

constexpr int EXIT_USAGE = 64;        // the command line was wrong
constexpr int EXIT_INTERRUPTED = 130; // a second Ctrl-C (SIGTERM, SIGHUP) during a transfer

struct CliCommand {
    const char* name;
    const char* synopsis;                             // e.g. "upload [--port N] HOST FILE"
    const char* help;                                 // what it does, shown by --help
    int (*run)(const std::vector<std::string>& args); // args after the name
};

std::vector<CliCommand>& CliCommands();

struct CliCommandRegistration {
    explicit CliCommandRegistration(const CliCommand& command) { CliCommands().push_back(command); }
};

// "usage: orx-transfer <synopsis>" to stderr; returns EXIT_USAGE.
int UsageError(const CliCommand& command, const std::string& problem);

// Flushes a command's report; false, with the reason on err, when any of it could not be
// written (standard output on a full disk or a closed pipe).
bool FlushReport(std::ostream& out, std::ostream& err, const char* command);
