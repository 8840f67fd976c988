// orx-transfer: the transfers of the configuration tool without a window.

#include "cli/CliCommand.h"
#include "cli/InterruptWatch.h"
#include "orx/Version.h"

#include <cstdio>
#include <string>

namespace {

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: orx-transfer COMMAND [ARGS]\n       orx-transfer COMMAND --help\n"
                      "       orx-transfer --version\n\ncommands:\n");
    for (const CliCommand& command : CliCommands())
        std::fprintf(out, "  orx-transfer %s\n", command.synopsis);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintUsage(stderr);
        return EXIT_USAGE;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintUsage(stdout);
        return 0;
    }
    if (args[0] == "--version") {
        std::printf("orx-transfer %s (%s)\n", ORX_VERSION_TEXT, ORX_GIT_DESCRIPTION);
        return 0;
    }
    for (const CliCommand& command : CliCommands()) {
        if (args[0] == command.name)
            return command.run(std::vector<std::string>(args.begin() + 1, args.end()));
    }
    std::fprintf(stderr, "orx-transfer: unknown command: %s\n", args[0].c_str());
    PrintUsage(stderr);
    return EXIT_USAGE;
}
