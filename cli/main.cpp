// orx-transfer: the transfers of the configuration tool without a window.

#include "cli/InterruptWatch.h"
#include "cli/OrxTransfer.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    BlockInterrupts(); // before any thread: a transfer's watcher takes them
    const CliStreams io{std::cout, std::cerr, STDIN_FILENO, isatty(STDERR_FILENO) == 1};
    return RunOrxTransfer(std::vector<std::string>(argv + 1, argv + argc), io);
}
