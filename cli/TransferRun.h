#pragma once
// What upload, download and restore share: the job on this thread, presented on the terminal,
// with the interrupts as its Cancel button.

#include "cli/CliCommands.h"
#include "cli/TerminalView.h"
#include "transfer/TransferJobs.h"

using Job = std::function<UINT(const DeviceEndpoint&, CModbus&, CTransferView&)>;

// The job with Ctrl-C, SIGTERM and SIGHUP as its Cancel button once it works on the device.
// However many signals come then, the job ends its own way (a download tells the device);
// after a second one the exit status is EXIT_INTERRUPTED. Before, the job only reads its file
// or waits for an answer, and a signal ends the program at once.
int RunTransfer(const Job& job, const DeviceEndpoint& device, CModbus& modbus, CTerminalView& view);

TerminalSettings Settings(bool quiet, bool yes, const std::string& trace, const CliStreams& io);

// The writing commands ask on a terminal unless confirmed beforehand: false, with the reason
// on err, when they can do neither.
bool CanConfirm(bool yes, const CliStreams& io, const char* command);

// The download of path, its backup named on out.
int Download(const DeviceEndpoint& device, const TerminalSettings& settings, const CliStreams& io,
             CModbus& modbus, const std::string& path, const DownloadOptions& download);
