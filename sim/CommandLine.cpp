#include "sim/CommandLine.h"

#include <arpa/inet.h>
#include <charconv>
#include <limits>

namespace {

constexpr unsigned MAX_WORD = std::numeric_limits<WORD>::max();
constexpr unsigned MAX_DWORD = std::numeric_limits<DWORD>::max();
constexpr unsigned MAX_COUNT = std::numeric_limits<int>::max();
constexpr int HEX_BASE = 16;
constexpr int DECIMAL_BASE = 10;
constexpr int MS_PER_SECOND = 1000;
constexpr unsigned MAX_IDLE_SECONDS = MAX_COUNT / MS_PER_SECOND;

// Whole text as an unsigned number no greater than max.
unsigned ParseNumber(const std::string& option, std::string text, unsigned max,
                     int base = DECIMAL_BASE) {
    if (base == HEX_BASE && (text.starts_with("0x") || text.starts_with("0X")))
        text.erase(0, 2);
    unsigned long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc() || stop != end || value > max)
        throw UsageError(option + ": not a number from 0 to " + std::to_string(max) + ": '" + text +
                         "'");
    return static_cast<unsigned>(value);
}

std::string ParseAddress(const std::string& option, const std::string& text) {
    in_addr parsed{};
    if (inet_pton(AF_INET, text.c_str(), &parsed) != 1)
        throw UsageError(option + ": not an IPv4 address: '" + text + "'");
    return text;
}

bool TakesValue(const std::string& option) {
    static const std::vector<std::string> withValue = {
        "--listen",     "--port",       "--serial",      "--identity", "--config",      "--save",
        "--fail-write", "--drop-after", "--stall-after", "--delay-ms", "--idle-timeout"};
    for (const std::string& o : withValue)
        if (o == option)
            return true;
    return false;
}

void ApplyFlag(SimCommandLine& cl, const std::string& option) {
    if (option == "--locked")
        cl.locked = true;
    else if (option == "--log")
        cl.log = true;
    else if (option == "--split")
        cl.simulator.split = true;
    else if (option == "--help" || option == "-h")
        cl.help = true;
    else if (option == "--version")
        cl.version = true;
    else
        throw UsageError("unknown option: '" + option + "'");
}

void ApplyValue(SimCommandLine& cl, const std::string& option, const std::string& value) {
    SimulatorOptions& sim = cl.simulator;
    if (option == "--listen")
        sim.listenAddress = ParseAddress(option, value);
    else if (option == "--port")
        sim.port = static_cast<WORD>(ParseNumber(option, value, MAX_WORD));
    else if (option == "--serial")
        cl.serial = static_cast<DWORD>(ParseNumber(option, value, MAX_DWORD));
    else if (option == "--identity")
        cl.identity = static_cast<WORD>(ParseNumber(option, value, MAX_WORD, HEX_BASE));
    else if (option == "--config")
        cl.configFile = value;
    else if (option == "--save")
        cl.saveFile = value;
    else if (option == "--fail-write")
        sim.failWrite.push_back(static_cast<WORD>(ParseNumber(option, value, MAX_WORD)));
    else if (option == "--drop-after")
        sim.dropAfter = static_cast<int>(ParseNumber(option, value, MAX_COUNT));
    else if (option == "--stall-after")
        sim.stallAfter = static_cast<int>(ParseNumber(option, value, MAX_COUNT));
    else if (option == "--delay-ms")
        sim.delayMs = static_cast<int>(ParseNumber(option, value, MAX_COUNT));
    else if (option == "--idle-timeout")
        sim.idleTimeoutMs =
            static_cast<int>(ParseNumber(option, value, MAX_IDLE_SECONDS)) * MS_PER_SECOND;
}

} // namespace

SimCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    SimCommandLine cl;
    cl.simulator.port = MODBUS_TCP_PORT;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::optional<std::string> value;
        if (const std::size_t eq = option.find('=');
            option.starts_with("--") && eq != option.npos) {
            value = option.substr(eq + 1);
            option.erase(eq);
        }
        if (!TakesValue(option)) {
            if (value)
                throw UsageError(option + " takes no value");
            ApplyFlag(cl, option);
            continue;
        }
        if (!value) {
            if (i + 1 >= args.size())
                throw UsageError(option + " needs a value");
            value = args[++i];
        }
        ApplyValue(cl, option, *value);
    }
    return cl;
}

std::string UsageText() {
    return "Usage: orx-sim [options]\n"
           "An ORX alarm device on Modbus TCP (unit 1), for tests and demonstrations.\n"
           "  --listen ADDR      IPv4 address to listen on (default 127.0.0.1)\n"
           "  --port N           TCP port (default 502; 0 picks a free port)\n"
           "  --serial N         serial number (default 1234567)\n"
           "  --identity HEX     first identity register (default 52C7)\n"
           "  --locked           configuration locked (input 3389 reads 1)\n"
           "  --config FILE      initial alarms from a configuration file\n"
           "  --save FILE        write the device's alarms as a configuration file on exit\n"
           "  --log              one line per request, per coil write and per connection\n"
           "                     closed or refused by the device, on stdout\n"
           "  --fail-write ADDR  exception 4 to every write covering ADDR (repeatable)\n"
           "  --drop-after N     close each connection after N replies\n"
           "  --stall-after N    never answer after N requests of a connection\n"
           "  --split            send every reply in two segments with a pause\n"
           "  --delay-ms N       wait N ms before every reply\n"
           "  --idle-timeout S   close a connection that sends nothing for S seconds\n"
           "                     (default 60; 0 keeps it open)\n"
           "  --help             this text\n"
           "  --version          the program's version\n"
           "Holds as many connections as the open-file limit allows (raised to the hard\n"
           "limit at start); a client beyond that is closed at once.\n"
           "Stops on SIGINT or SIGTERM.\n";
}
