#pragma once
// The options of orx-sim, parsed without side effects.

#include "modbus/TcpFrame.h"
#include "sim/OrxSimulator.h"

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

struct SimCommandLine {
    SimulatorOptions simulator; // image not yet set: alarms come from configFile or the default
    std::optional<DWORD> serial;
    std::optional<WORD> identity;
    bool locked = false;
    bool log = false;
    int devices = 1; // each on a port of its own, serial numbers counting up
    std::string configFile;
    std::string saveFile;
};

// args without the program name. Throws CLI::ParseError: a usage error, or CLI::Success for
// --help and --version, which CLI::App::exit prints.
SimCommandLine ParseCommandLine(const std::vector<std::string>& args, CLI::App& app);
