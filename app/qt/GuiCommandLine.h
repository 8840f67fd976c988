#pragma once
// orx-config's command line: [--host A.B.C.D] [--port N] [--screenshot FILE] [--help]
// [--version].

#include "platform/AfxTypes.h"

#include <string>
#include <vector>

struct GuiOptions {
    std::string host; // empty: the address field starts at 0.0.0.0
    WORD port = 0;    // 0: the device's port
    std::string screenshot;
};

enum class GuiCommand { Run, Help, Version, UsageError };

// Exit status of a usage error, as the command-line tool uses.
constexpr int GUI_USAGE_EXIT = 64;

// args without the program name. On UsageError, error says why.
GuiCommand ParseGuiCommandLine(const std::vector<std::string>& args, GuiOptions& options,
                               std::string& error);
const char* GuiUsageText();
