#pragma once
// The options of orx-sim, parsed without side effects.

#include "modbus/TcpFrame.h"
#include "sim/OrxSimulator.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct SimCommandLine {
    SimulatorOptions simulator; // image not yet set: alarms come from configFile or the default
    std::optional<DWORD> serial;
    std::optional<WORD> identity;
    bool locked = false;
    bool log = false;
    bool help = false;
    bool version = false;
    std::string configFile;
    std::string saveFile;
};

// A command line that cannot be carried out; what() says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// args without the program name. Options take their value as the next argument or after '='.
SimCommandLine ParseCommandLine(const std::vector<std::string>& args);

std::string UsageText();
