// orx-transfer verify [--port N] [--timeout MS] [--json] [--trace FILE] HOST FILE

#include "cli/CliCommands.h"
#include "cli/TerminalView.h"
#include "modbus/RemoteModbus.h"
#include "transfer/TransferJobs.h"

#include <nlohmann/json.hpp>

namespace {

void PrintReport(const VerifyReport& report, UINT result, std::ostream& out) {
    for (const FieldDifference& difference : report.differences)
        out << DescribeDifference(difference) << '\n';
    if (result == RESULT_OK)
        out << "The device holds what the file says (" << report.compared
            << " alarm(s) compared).\n";
    else if (result == RESULT_DIFFERENT)
        out << "The device differs from the file.\n";
}

nlohmann::json JsonReport(const CliOptions& options, const VerifyReport& report, UINT result,
                          const CTerminalView& view) {
    nlohmann::json differences = nlohmann::json::array();
    for (const FieldDifference& d : report.differences)
        differences.push_back({{"alarm", d.alarm},
                               {"field", d.field},
                               {"file", d.fileValue},
                               {"device", d.deviceValue}});
    nlohmann::json json{{"host", options.host},        {"port", options.port},
                        {"file", options.file},        {"result", result},
                        {"compared", report.compared}, {"differences", differences}};
    if (!view.LastError().message.empty())
        json["error"] = {{"message", view.LastError().message}, {"cause", view.LastError().cause}};
    return json;
}

} // namespace

int RunVerifyCommand(const CliOptions& options, const CliStreams& io) {
    CTerminalView view(options.file, io.err, TerminalSettings{});
    VerifyReport report;
    bool verified = false; // no trace, no verify
    const int result = WithClient(options, io, [&](CModbus& modbus) {
        verified = true;
        return static_cast<int>(RunVerifyJob(options.Device(), modbus, view, report));
    });
    if (!verified)
        return result;
    if (options.json)
        PrintJson(JsonReport(options, report, result, view), io.out);
    else
        PrintReport(report, result, io.out);
    return FlushReport(io, "verify") ? result : static_cast<int>(RESULT_FILE_ERROR);
}
