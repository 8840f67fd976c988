#include "app/qt/GuiCommandLine.h"

#include "orx/Version.h"
#include "transfer/DeviceAddress.h"

#include <CLI/CLI.hpp>
#include <cstdio>

namespace {

constexpr WORD PORT_MIN = 1;
constexpr WORD PORT_MAX = 65535;
constexpr DWORD TIMEOUT_MIN_MS = 1;
constexpr DWORD TIMEOUT_MAX_MS = 60000;

constexpr const char* FOOTER =
    "Moves the alarm configuration of an ORX device between the device and a CSV file.\n"
    "\n"
    "The dialog remembers the last address, a port given with --port and the folder of\n"
    "the last file chosen; --host and --port override them. The window title names a port\n"
    "other than 502. About ORX Configuration: F1, or the dialog's context menu (right click).\n"
    "\n"
    "Every download first saves the device's configuration in\n"
    "$XDG_DATA_HOME/orx-config/backups (~/.local/share/orx-config/backups when unset) as\n"
    "ORX-<serial>-<YYYYMMDD-HHMMSS>.csv, keeping the newest 20 of each device; \"Open Backup\n"
    "Folder\" on the context menu shows them.\n"
    "\n"
    "Exit status: 0 the dialog was closed, 1 no display to show it on, 2 the trace file\n"
    "cannot be written, 64 usage error or a --screenshot FILE that is not a picture.\n";

// HOST becomes "A.B.C.D", a host name being resolved here, once.
const CLI::Validator DEVICE_HOST(
    [](std::string& host) {
        std::string dotted;
        std::string why;
        if (!ResolveDeviceHost(host, dotted, why))
            return why;
        host = dotted;
        return std::string();
    },
    "HOST");

} // namespace

int ParseGuiCommandLine(int argc, char** argv, GuiOptions& options) {
    CLI::App app("ORX Configuration Transfer Utility", "orx-config");
    app.footer(FOOTER);
    app.set_version_flag("--version", OrxVersionLine("orx-config"));
    app.add_option("--host", options.host, "put this address (or host name) in the address field")
        ->transform(DEVICE_HOST);
    app.add_option("--port", options.port, "Modbus TCP port of the device (default 502)")
        ->check(CLI::Range(PORT_MIN, PORT_MAX));
    app.add_option("--timeout", options.timeoutMs, "time-out of each exchange, in ms")
        ->capture_default_str()
        ->check(CLI::Range(TIMEOUT_MIN_MS, TIMEOUT_MAX_MS));
    app.add_option("--trace", options.trace,
                   "write one line per exchange with the device to FILE (- for standard error)")
        ->option_text("FILE");
    app.add_option("--screenshot", options.screenshot,
                   "save a PNG picture of the dialog in FILE once it is shown, then close; an "
                   "existing FILE that is not a picture is kept");
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
