#include "app/qt/GuiCommandLine.h"

#include "platform/IpAddress.h"

#include <charconv>

namespace {

constexpr unsigned MAX_PORT = 65535;

bool ParsePort(const std::string& text, WORD& port) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value == 0 || value > MAX_PORT)
        return false;
    port = static_cast<WORD>(value);
    return true;
}

} // namespace

const char* GuiUsageText() {
    return "Usage: orx-config [--host A.B.C.D] [--port N]\n"
           "Moves the alarm configuration of an ORX device between the device and a CSV file.\n"
           "  --host A.B.C.D  put this address in the ORX IP Address field\n"
           "  --port N        Modbus TCP port of the device (default 502), e.g. a simulator's\n"
           "  --help          show this text and exit\n"
           "About ORX Configuration: F1, or the dialog's context menu (right click).\n";
}

GuiCommand ParseGuiCommandLine(const std::vector<std::string>& args, GuiOptions& options,
                               std::string& error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h")
            return GuiCommand::Help;
        const bool takesValue = arg == "--host" || arg == "--port" || arg == "--screenshot";
        if (!takesValue) {
            error = "unknown argument: " + arg;
            return GuiCommand::UsageError;
        }
        if (i + 1 >= args.size()) {
            error = arg + " needs a value";
            return GuiCommand::UsageError;
        }
        const std::string& value = args[++i];
        DWORD address = 0;
        if (arg == "--host") {
            if (!ParseDottedAddress(value.c_str(), address)) {
                error = "--host wants an address A.B.C.D with parts 0 to 255: " + value;
                return GuiCommand::UsageError;
            }
            options.host = value;
        } else if (arg == "--port") {
            if (!ParsePort(value, options.port)) {
                error = "--port wants a number from 1 to 65535: " + value;
                return GuiCommand::UsageError;
            }
        } else {
            options.screenshot = value;
        }
    }
    return GuiCommand::Run;
}
