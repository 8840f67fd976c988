// orx-transfer check [--strict] [--json] FILE: a file as a download would read it.

#include "cli/CliCommands.h"
#include "cli/Report.h"
#include "transfer/ConfigCheck.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

namespace {

struct CheckOptions {
    std::string file;
    bool strict = false; // warnings refuse the file too
    bool json = false;
};

// Problems and warnings in the order of the file.
void PrintRows(const ConfigCheckResult& result, std::ostream& out) {
    auto warning = result.warnings.begin();
    const auto warnBefore = [&](int row) {
        for (; warning != result.warnings.end() && warning->row < row; ++warning)
            out << "warning: " << DescribeRowWarning(*warning) << '\n';
    };
    for (const RowReport& report : result.problems) {
        warnBefore(report.row + 1);
        out << DescribeRowReport(report) << '\n';
    }
    warnBefore(ALARM_COUNT + 1);
}

void PrintSummary(const ConfigCheckResult& result, bool refusedForWarnings, std::ostream& out) {
    if (!result.problems.empty() && result.problems[0].row == 0) {
        out << "A download would refuse the file with \"Configuration Error!\".\n";
    } else if (!result.Accepted()) {
        out << result.problems.size() << " unacceptable row(s); a download would write nothing: "
            << "row " << result.problems[0].row << " is refused with \"Configuration Error!\".\n";
    } else if (result.rowsWritten == ALARM_COUNT) {
        out << "OK: a download would write all 32 alarms.\n";
    } else {
        out << "OK: a download would write " << result.rowsWritten
            << " alarm(s); the file has no more rows, the other alarms stay as they are.\n";
    }
    if (refusedForWarnings)
        out << "Refused for " << result.warnings.size() << " warning(s) under --strict.\n";
}

nlohmann::json JsonReport(const std::string& path, const ConfigCheckResult& result, int code) {
    nlohmann::json problems = nlohmann::json::array();
    for (const RowReport& r : result.problems)
        problems.push_back({{"row", r.row},
                            {"line", r.line},
                            {"field", r.problem.field},
                            {"fieldName", RowFieldName(r.problem.field)},
                            {"value", r.problem.value},
                            {"rule", r.problem.rule},
                            {"text", DescribeRowReport(r)}});
    nlohmann::json warnings = nlohmann::json::array();
    for (const RowWarning& w : result.warnings)
        warnings.push_back({{"row", w.row},
                            {"line", w.line},
                            {"field", w.reading.field},
                            {"fieldName", RowFieldName(w.reading.field)},
                            {"value", w.reading.value},
                            {"reading", w.reading.reading},
                            {"text", DescribeRowWarning(w)}});
    nlohmann::json report{{"file", path},
                          {"result", code},
                          {"accepted", result.Accepted()},
                          {"rowsRead", result.rowsRead},
                          {"rowsWritten", result.rowsWritten},
                          {"problems", problems},
                          {"warnings", warnings}};
    if (!result.fileError.empty())
        report["error"] = {{"message", "Error opening file!"}, {"cause", result.fileError}};
    return report;
}

int RunCheck(const CheckOptions& options, const CliStreams& io) {
    const ConfigCheckResult result = CheckConfigFile(options.file);
    int code = static_cast<int>(RESULT_OK);
    if (!result.fileError.empty()) {
        io.err << "orx-transfer check: cannot read " << options.file << ": " << result.fileError
               << '\n';
        code = static_cast<int>(RESULT_FILE_ERROR);
    } else {
        const bool refusedForWarnings = options.strict && !result.warnings.empty();
        if (!result.Accepted() || refusedForWarnings)
            code = static_cast<int>(RESULT_CONFIG_ERROR);
        if (!options.json) {
            PrintRows(result, io.out);
            PrintSummary(result, refusedForWarnings, io.out);
        }
    }
    if (options.json)
        PrintJson(JsonReport(options.file, result, code), io.out);
    return FlushReport(io, "check") ? code : static_cast<int>(RESULT_FILE_ERROR);
}

} // namespace

void AddCheckCommand(CLI::App& command, CommandRun& run) {
    const auto options = std::make_shared<CheckOptions>();
    command.add_flag("--strict", options->strict, "refuse the file for warnings too");
    command.add_flag("--json", options->json, "the report as JSON on standard output");
    AddFileArgument(command, options->file, "the configuration file to check");
    command.footer(CHECK_HELP);
    command.callback([options, &run] { run.status = RunCheck(*options, run.io); });
}
