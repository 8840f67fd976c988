// orx-transfer: the transfers of the configuration tool without a window.

#include "cli/InterruptWatch.h"
#include "cli/OrxTransfer.h"
#include "cli/Terminal.h"

#include <iostream>

int main(int argc, char** argv) {
    WatchInterrupts(); // before any thread, so that none of them takes the interrupts
    const CliStreams io{std::cout, std::cerr, STANDARD_INPUT, PrepareRedrawing(STANDARD_ERROR)};
    return RunOrxTransfer(std::vector<std::string>(argv + 1, argv + argc), io);
}
