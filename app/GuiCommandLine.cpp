#include "app/GuiCommandLine.h"

#include "orx/Version.h"
#include "transfer/DeviceAddress.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace {

constexpr const char* PURPOSE =
    "Moves the alarm configuration of an ORX device between the device and a CSV file.\n"
    "\n";

// HOST becomes "A.B.C.D", a host name being resolved here, once.
const CLI::Validator DEVICE_HOST(ResolveDeviceHostInPlace, "HOST");

} // namespace

int ParseGuiCommandLine(int argc, char** argv, GuiOptions& options, const GuiFrontEndHelp& help) {
    CLI::App app("ORX Configuration Transfer Utility", "orx-config");
    app.footer(std::string(PURPOSE) + help.footer);
    // The same command line on every system: on Windows too, "/x" is not an option.
    app.allow_windows_style_options(false);
    app.set_version_flag("--version", OrxVersionLine("orx-config"));
    app.add_option("--host", options.host, "put this address (or host name) in the address field")
        ->transform(DEVICE_HOST);
    app.add_option("--port", options.port, "Modbus TCP port of the device (default 502)")
        ->check(CLI::Range(DEVICE_PORT_MIN, DEVICE_PORT_MAX));
    app.add_option("--timeout", options.timeoutMs, "time-out of each exchange, in ms")
        ->capture_default_str()
        ->check(CLI::Range(EXCHANGE_TIMEOUT_MIN_MS, EXCHANGE_TIMEOUT_MAX_MS));
    app.add_option("--retries", options.attempts, RETRIES_HELP)
        ->option_text("N")
        ->capture_default_str()
        ->check(CLI::Range(ATTEMPTS_MIN, ATTEMPTS_MAX));
    app.add_flag("--block-reads", options.blockReads, BLOCK_READS_HELP);
    app.add_option("--trace", options.trace,
                   "write one line per exchange with the device to FILE (- for standard error)")
        ->option_text("FILE");
    if (help.screenshot)
        app.add_option("--screenshot", options.screenshot,
                       "save a PNG picture of the dialog in FILE once it is shown, then close; "
                       "an existing FILE that is not a picture is kept");
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "orx-config: %s\nRun orx-config --help for the options.\n", e.what());
        return GUI_USAGE_EXIT;
    }
    return GUI_RUN;
}
