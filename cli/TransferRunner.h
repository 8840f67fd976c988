#pragma once
// Runs one transfer of the main dialog without a window: the dialog is created headless
// with the address and port of the options, the button is clicked, and the terminal front
// end presents the worker until it ends. Ctrl-C, SIGTERM or SIGHUP presses Cancel and says so;
// the caller must have blocked them (BlockInterrupts).

#include "cli/TransferOptions.h"

// EXIT_NO_RESULT when no worker ran, EXIT_INTERRUPTED after a second signal; else the
// worker's RESULT_* code.
constexpr int EXIT_NO_RESULT = 70;
int RunTransfer(const TransferOptions& options, int buttonId);
