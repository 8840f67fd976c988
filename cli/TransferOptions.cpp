#include "cli/TransferOptions.h"

#include "platform/IpAddress.h"
#include "transfer/DeviceAddress.h"

#include <charconv>

namespace {

constexpr int PORT_MIN = 1;
constexpr int PORT_MAX = 65535;

bool ParsePort(const std::string& text, WORD& port) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < PORT_MIN || value > PORT_MAX)
        return false;
    port = static_cast<WORD>(value);
    return true;
}

} // namespace

std::string ParseTransferOptions(const std::vector<std::string>& args, TransferOptions& options) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return {};
        }
        if (arg == "--port") {
            if (i + 1 == args.size())
                return "--port needs a number";
            if (!ParsePort(args[++i], options.port))
                return "bad port: " + args[i];
        } else if (arg.rfind("--port=", 0) == 0) {
            if (!ParsePort(arg.substr(7), options.port))
                return "bad port: " + arg.substr(7);
        } else if (arg == "--") {
            positional.insert(positional.end(), args.begin() + static_cast<long>(i) + 1,
                              args.end());
            break;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option: " + arg;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2)
        return "expected HOST and FILE";
    if (!ParseDottedAddress(positional[0].c_str(), options.address))
        return "HOST must be an IPv4 address A.B.C.D: " + positional[0];
    options.host = DottedAddress(options.address).str(); // one reading of HOST for every command
    options.file = positional[1];
    return {};
}
