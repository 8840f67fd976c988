#include "cli/CliCommand.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

std::vector<CliCommand>& CliCommands() {
    static std::vector<CliCommand> commands;
    return commands;
}

int UsageError(const CliCommand& command, const std::string& problem) {
    std::fprintf(stderr, "orx-transfer %s: %s\nusage: orx-transfer %s\n", command.name,
                 problem.c_str(), command.synopsis);
    return EXIT_USAGE;
}

bool FlushReport(std::ostream& out, std::ostream& err, const char* command) {
    errno = 0;
    out.flush();
    if (out)
        return true;
    err << "orx-transfer " << command
        << ": cannot write the report: " << (errno != 0 ? std::strerror(errno) : "write error")
        << '\n';
    return false;
}
