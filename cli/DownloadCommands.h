#pragma once
// orx-transfer download, check and verify, callable without the command dispatcher.

#include <ostream>
#include <string>
#include <vector>

// download [--port N] [--yes] HOST FILE. Without --yes the question is asked on terminal
// (read from terminalFd, asked on stderr) when terminalFd is a terminal; otherwise nothing
// is written and EXIT_USAGE returned. Returns the worker's RESULT_* code.
int RunDownloadCommand(const std::vector<std::string>& args, int terminalFd);

// check FILE: 0 when a download would accept every row it reads, RESULT_CONFIG_ERROR (6)
// otherwise, RESULT_FILE_ERROR (2) when FILE cannot be opened.
int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// verify [--port N] HOST FILE: 0 when the device holds what FILE says, RESULT_DIFFERENT (7)
// when it differs, 2 or 6 for the file, 3 for the device.
int RunVerifyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
