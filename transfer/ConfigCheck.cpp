#include "transfer/ConfigCheck.h"

#include "transfer/DownloadRows.h"

#include <array>

namespace {
constexpr std::array<const char*, 9> FIELD_NAMES = {
    "file",         "alarm number", "mode",     "source module",           "source channel",
    "output relay", "trip point",   "deadband", "enunciate system faults",
};
} // namespace

ConfigCheckResult CheckConfigFile(std::istream& file) {
    ConfigCheckResult result;
    CDownloadRows rows(file);
    while (rows.More()) {
        const int row = rows.Next();
        AlarmRecord record;
        RowProblem problem;
        const RowOutcome outcome = rows.Read(record, &problem);
        if (outcome == RowOutcome::Unacceptable) {
            result.problems.push_back(RowReport{row, rows.RowLine(), problem});
        } else if (outcome == RowOutcome::Row) {
            ++result.rowsRead;
            if (result.problems.empty()) {
                ++result.rowsWritten;
                result.written.push_back(record);
            }
        }
    }
    return result;
}

const char* RowFieldName(int field) {
    if (field < 0 || field >= static_cast<int>(FIELD_NAMES.size()))
        return "?";
    return FIELD_NAMES[static_cast<std::size_t>(field)];
}

std::string DescribeRowReport(const RowReport& report) {
    std::string text = "row " + std::to_string(report.row);
    if (report.problem.field == 0)
        return text + ": " + report.problem.rule;
    text += ", line " + std::to_string(report.line) + ": field " +
            std::to_string(report.problem.field) + " (" + RowFieldName(report.problem.field) +
            ") \"" + report.problem.value + "\": " + report.problem.rule;
    return text;
}
