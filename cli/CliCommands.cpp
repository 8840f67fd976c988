#include "cli/CliCommand.h"

#include <cstdio>

std::vector<CliCommand>& CliCommands() {
    static std::vector<CliCommand> commands;
    return commands;
}

int UsageError(const CliCommand& command, const std::string& problem) {
    std::fprintf(stderr, "orx-transfer %s: %s\nusage: orx-transfer %s\n", command.name,
                 problem.c_str(), command.synopsis);
    return EXIT_USAGE;
}
