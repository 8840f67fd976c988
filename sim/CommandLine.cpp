#include "sim/CommandLine.h"

#include "orx/Version.h"
#include "transfer/FileIdentity.h"

#include <arpa/inet.h>
#include <charconv>
#include <limits>

namespace {

constexpr WORD MAX_WORD = std::numeric_limits<WORD>::max();
constexpr int MS_PER_SECOND = 1000;
constexpr int MAX_IDLE_SECONDS = std::numeric_limits<int>::max() / MS_PER_SECOND;
constexpr int HEX_BASE = 16;
constexpr int MAX_DEVICES = 1000;

const CLI::Validator IPV4_ADDRESS(
    [](const std::string& text) {
        in_addr parsed{};
        return inet_pton(AF_INET, text.c_str(), &parsed) == 1 ? std::string()
                                                              : "not an IPv4 address: " + text;
    },
    "A.B.C.D");

// A file written at exit: a FIFO without a reader would block the exit forever.
const CLI::Validator PLAIN_FILE(
    [](const std::string& path) {
        const std::string why = WhyNotAPlainFile(path);
        return why.empty() ? why : path + ": " + why;
    },
    "FILE");

// Hexadecimal, with or without 0x, into one register.
const CLI::Validator HEX_WORD(
    [](std::string& text) {
        std::string digits = text;
        if (digits.starts_with("0x") || digits.starts_with("0X"))
            digits.erase(0, 2);
        unsigned value = 0;
        const char* end = digits.data() + digits.size();
        const auto [stop, error] = std::from_chars(digits.data(), end, value, HEX_BASE);
        if (digits.empty() || error != std::errc() || stop != end || value > MAX_WORD)
            return "not a hexadecimal number from 0 to FFFF: " + text;
        text = std::to_string(value);
        return std::string();
    },
    "HEX");

constexpr const char* FOOTER =
    "Holds as many connections as the open-file limit allows (raised to the hard\n"
    "limit at start); a client beyond that is closed at once.\n"
    "Stops on SIGINT, SIGTERM or SIGHUP, saving with --save; a second one ends it at once.\n";

void DeclareDevice(CLI::App& app, SimCommandLine& cl) {
    SimulatorOptions& sim = cl.simulator;
    app.add_option("--listen", sim.listenAddress, "IPv4 address to listen on")
        ->capture_default_str()
        ->check(IPV4_ADDRESS);
    app.add_option("--port", sim.port, "TCP port (0 picks a free port)")->capture_default_str();
    app.add_option("--serial", cl.serial, "serial number (default 1234567)");
    app.add_option("--identity", cl.identity, "first identity register (default 52C7)")
        ->transform(HEX_WORD);
    app.add_flag("--locked", cl.locked, "configuration locked (input 3389 reads 1)");
    app.add_option("--config", cl.configFile, "initial alarms from a configuration file");
    CLI::Option* save = app.add_option("--save", cl.saveFile,
                                       "write the device's alarms as a configuration file on exit")
                            ->check(PLAIN_FILE);
    app.add_option("--ports", cl.devices,
                   "simulate N devices, each on a port of its own (the ports after --port, or "
                   "free ones with --port 0), with serial numbers counting up from --serial")
        ->check(CLI::Range(1, MAX_DEVICES))
        ->excludes(save);
    app.add_flag("--log", cl.log,
                 "one line per request, per coil write and per connection closed or refused by "
                 "the device, on stdout");
}

void DeclareFaults(CLI::App& app, SimCommandLine& cl) {
    SimulatorOptions& sim = cl.simulator;
    app.add_option("--fail-write", sim.failWrite,
                   "exception 4 to every write covering ADDR (repeatable)")
        ->allow_extra_args(false);
    app.add_option("--drop-after", sim.dropAfter, "close each connection after N replies")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--stall-after", sim.stallAfter, "never answer after N requests of a connection")
        ->check(CLI::NonNegativeNumber);
    app.add_flag("--split", sim.split, "send every reply in two segments with a pause");
    app.add_option("--delay-ms", sim.delayMs, "wait N ms before every reply")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--jitter-ms", sim.link.jitterMs,
                   "vary each reply's delay by up to N ms around --delay-ms")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--lose-every", sim.link.loseEvery,
                   "no reply to every Nth request of a connection, which stays open")
        ->check(CLI::PositiveNumber);
    app.add_option("--max-registers", sim.link.maxRegisters,
                   "exception 3 to reads of more than N registers or bits, as small devices do")
        ->check(CLI::Range(1, int{MAX_READ_BITS}));
    app.add_option("--seed", sim.link.seed, "seed of the jitter: the same delays for the same N");
    app.add_option_function<int>(
           "--idle-timeout", [&sim](int seconds) { sim.idleTimeoutMs = seconds * MS_PER_SECOND; },
           "close a connection that sends nothing for S seconds (default 60; 0 keeps it open)")
        ->check(CLI::Range(0, MAX_IDLE_SECONDS));
}

} // namespace

SimCommandLine ParseCommandLine(const std::vector<std::string>& args, CLI::App& app) {
    SimCommandLine cl;
    cl.simulator.port = MODBUS_TCP_PORT;
    app.description("An ORX alarm device on Modbus TCP (unit 1), for tests and demonstrations.");
    app.footer(FOOTER);
    app.set_version_flag("--version", OrxVersionLine("orx-sim"));
    DeclareDevice(app, cl);
    DeclareFaults(app, cl);
    std::vector<std::string> reversed(args.rbegin(), args.rend()); // CLI11 takes them so
    app.parse(reversed);
    return cl;
}
