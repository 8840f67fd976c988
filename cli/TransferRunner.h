#pragma once
// Runs one transfer of the main dialog without a window: the dialog is created headless
// with the address and port of the options, the button is clicked, and the terminal front
// end presents the worker until it ends. Ctrl-C presses Cancel.

#include "cli/TransferOptions.h"

// EXIT_NO_RESULT when no worker ran; else the worker's RESULT_* code.
constexpr int EXIT_NO_RESULT = 70;
int RunTransfer(const TransferOptions& options, int buttonId);
