#include "app/GuiCommandLine.h"

#include "orx/Version.h"
#include "transfer/ConnectionOptions.h"

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
        ->option_text("HOST")
        ->transform(DEVICE_HOST);
    AddConnectionOptions(app, options);
    if (help.screenshot)
        app.add_option("--screenshot", options.screenshot,
                       "save a PNG picture of the dialog in FILE once it is shown, then close; "
                       "an existing FILE that is not a picture is kept")
            ->option_text("FILE");
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
