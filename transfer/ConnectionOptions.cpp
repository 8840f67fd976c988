#include "transfer/ConnectionOptions.h"

#include "transfer/Utf8Text.h"

#include <CLI/CLI.hpp>
#include <charconv>

namespace {

constexpr const char* BLANKS = " \t\r";

std::string NotANumber(const std::string& text) {
    const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    return digits ? std::string() : EscapedText(text) + " is not a number";
}

} // namespace

std::string TrimmedBlanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(BLANKS);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(BLANKS) + 1 - first);
}

DeviceEndpoint ConnectionOptions::At(const std::string& host, WORD hostPort) const {
    const WORD given = hostPort != 0 ? hostPort : port;
    return {host, given != 0 ? given : MODBUS_TCP_PORT, timeoutMs, attempts, blockReads};
}

const CLI::Validator& WholeNumber() {
    static const CLI::Validator number(NotANumber, "");
    return number;
}

void AddConnectionOptions(CLI::App& app, ConnectionOptions& options) {
    app.add_option("-p,--port", options.port, "the device's Modbus TCP port (default 502)")
        ->option_text("PORT")
        ->check(WholeNumber())
        ->check(CLI::Range(DEVICE_PORT_MIN, DEVICE_PORT_MAX));
    app.add_option("--timeout", options.timeoutMs,
                   "time-out of each exchange, in ms (default " +
                       std::to_string(EXCHANGE_TIMEOUT_MS) + ")")
        ->option_text("MS")
        ->check(WholeNumber())
        ->check(CLI::Range(EXCHANGE_TIMEOUT_MIN_MS, EXCHANGE_TIMEOUT_MAX_MS));
    app.add_option("--retries", options.attempts,
                   RETRIES_HELP + (" (default " + std::to_string(DEFAULT_ATTEMPTS) + ")"))
        ->option_text("N")
        ->check(WholeNumber())
        ->check(CLI::Range(ATTEMPTS_MIN, ATTEMPTS_MAX));
    app.add_flag("--block-reads", options.blockReads, BLOCK_READS_HELP);
    app.add_option("--trace", options.trace,
                   "one line per exchange with the device in FILE (- for standard error)")
        ->option_text("FILE");
}

OrFailure<HostAndPort> SplitHostAndPort(const std::string& entry) {
    const std::size_t colon = entry.find(':');
    if (entry.starts_with('[') || (colon != std::string::npos && entry.rfind(':') != colon))
        return Failure{RESULT_DEVICE_ERROR, "not an IPv4 address: " + EscapedText(entry) +
                                                " (this tool speaks IPv4 only)"};
    if (colon == std::string::npos)
        return HostAndPort{entry, 0};
    const std::string host = TrimmedBlanks(entry.substr(0, colon));
    const std::string portText = TrimmedBlanks(entry.substr(colon + 1));
    unsigned port = 0;
    const char* end = portText.data() + portText.size();
    const auto [stop, error] = std::from_chars(portText.data(), end, port);
    if (error != std::errc() || stop != end || port < DEVICE_PORT_MIN || port > DEVICE_PORT_MAX)
        return Failure{RESULT_DEVICE_ERROR, "not a port from 1 to 65535 in " + EscapedText(entry)};
    return HostAndPort{host, static_cast<WORD>(port)};
}
