// orx-transfer verify [OPTIONS] HOST[:PORT] FILE: file against device, read-only.

#include "cli/CliCommands.h"
#include "cli/Report.h"
#include "cli/TerminalView.h"
#include "modbus/RemoteModbus.h"
#include "transfer/TransferJobs.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

namespace {

struct VerifyOptions {
    DeviceOptions device;
    std::string file;
    bool json = false;
};

void PrintReport(const VerifyReport& report, UINT result, std::ostream& out) {
    for (const FieldDifference& difference : report.differences)
        out << DescribeDifference(difference) << '\n';
    if (result == RESULT_OK)
        out << "The device holds what the file says (" << report.compared
            << " alarm(s) compared).\n";
    else if (result == RESULT_DIFFERENT)
        out << "The device differs from the file.\n";
}

nlohmann::json JsonReport(const VerifyOptions& options, const DeviceEndpoint& device,
                          const VerifyReport& report, UINT result, const CTerminalView& view) {
    nlohmann::json differences = nlohmann::json::array();
    for (const FieldDifference& d : report.differences)
        differences.push_back({{"alarm", d.alarm},
                               {"field", d.field},
                               {"file", d.fileValue},
                               {"device", d.deviceValue}});
    nlohmann::json json{{"host", device.host},         {"port", device.port},
                        {"file", options.file},        {"result", result},
                        {"compared", report.compared}, {"differences", differences}};
    if (!view.LastError().message.empty())
        json["error"] = {{"message", view.LastError().message}, {"cause", view.LastError().cause}};
    return json;
}

int RunVerify(const VerifyOptions& options, const CliStreams& io) {
    const std::string& trace = options.device.connection.trace;
    RefuseSharedFiles({{"--trace", trace}, {"FILE", options.file}});
    const DeviceEndpoint device = options.device.Endpoint();
    CTerminalView view(options.file, io.err, TerminalSettings{});
    VerifyReport report;
    bool verified = false; // no trace, no verify
    const int result = WithClient(trace, io, [&](CModbus& modbus) {
        verified = true;
        return static_cast<int>(RunVerifyJob(device, modbus, view, report));
    });
    if (!verified)
        return result;
    if (options.json)
        PrintJson(JsonReport(options, device, report, result, view), io.out);
    else
        PrintReport(report, result, io.out);
    return FlushReport(io, "verify") ? result : static_cast<int>(RESULT_FILE_ERROR);
}

} // namespace

void AddVerifyCommand(CLI::App& command, CommandRun& run) {
    const auto options = std::make_shared<VerifyOptions>();
    AddDeviceOptions(command, options->device);
    AddFileArgument(command, options->file, "the configuration file to compare");
    command.add_flag("--json", options->json, "the report as JSON on standard output");
    command.footer(VERIFY_HELP);
    command.callback([options, &run] { run.status = RunVerify(*options, run.io); });
}
