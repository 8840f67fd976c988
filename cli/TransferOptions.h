#pragma once
// The options shared by the transfer subcommands: [--port N] HOST FILE.

#include "platform/AfxTypes.h"

#include <string>
#include <vector>

struct TransferOptions {
    bool help = false;
    WORD port = 0;     // 0: the device port (502)
    DWORD address = 0; // first field in the high byte
    std::string host;  // "A.B.C.D" as address holds it (010 is ten, not eight)
    std::string file;
};

// Empty on success, else what is wrong with the arguments.
std::string ParseTransferOptions(const std::vector<std::string>& args, TransferOptions& options);
