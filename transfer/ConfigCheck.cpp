#include "transfer/ConfigCheck.h"

#include "transfer/DownloadRows.h"
#include "transfer/Utf8Text.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {
constexpr std::array<const char*, 9> FIELD_NAMES = {
    "file",         "alarm number", "mode",     "source module",           "source channel",
    "output relay", "trip point",   "deadband", "enunciate system faults",
};
constexpr const char* NO_ROWS_RULE = "the file has no alarm row";
constexpr std::size_t SHOWN_LINE_LIMIT = 40;
constexpr int SERIAL_LINE = 3;

std::string SystemReason(int error, const char* fallback) {
    return error != 0 ? std::strerror(error) : fallback;
}

// The null device reads as the empty file it stands for; every other device is refused.
bool IsNullDevice(const struct stat& status) {
    struct stat null {};
    return S_ISCHR(status.st_mode) && ::stat("/dev/null", &null) == 0 &&
           status.st_rdev == null.st_rdev;
}

// The text between double quotes, with control characters and the quote escaped.
std::string Quoted(const std::string& value) {
    return '"' + EscapedText(value, "\"") + '"';
}

// row 5, line 10: field 3 (source module) "1"
std::string DescribeField(int row, int line, int field, const std::string& value) {
    return "row " + std::to_string(row) + ", line " + std::to_string(line) + ": field " +
           std::to_string(field) + " (" + RowFieldName(field) + ") " + Quoted(value);
}

ConfigCheckResult FileError(std::string reason) {
    ConfigCheckResult result;
    result.fileError = std::move(reason);
    return result;
}

// The rows of a file without its header would be read one header's length too late.
ConfigCheckResult MissingHeader(const std::string& firstLine) {
    ConfigCheckResult result;
    const std::string shown =
        firstLine.size() > SHOWN_LINE_LIMIT
            ? firstLine.substr(0, CharacterStart(firstLine, SHOWN_LINE_LIMIT)) + "..."
            : firstLine;
    result.problems.push_back(
        RowReport{0, 0,
                  RowProblem{0, firstLine,
                             "the five header lines are missing: the first line should be " +
                                 Quoted(FILE_TITLE) + ", not " + Quoted(shown)}});
    return result;
}
} // namespace

ConfigCheckResult CheckConfigFile(std::istream& file, RowRules rules) {
    ConfigCheckResult result;
    CDownloadRows rows(file, rules);
    if (IsRowNotHeader(rows.FirstLine()))
        return MissingHeader(rows.FirstLine());
    while (rows.More()) {
        const int row = rows.Next();
        RowReading reading = rows.Read();
        for (LossyReading& lossy : reading.lossy)
            result.warnings.push_back(RowWarning{row, rows.RowLine(), std::move(lossy)});
        if (reading.outcome == RowOutcome::Unacceptable) {
            result.problems.push_back(RowReport{row, rows.RowLine(), reading.problem});
        } else if (reading.outcome == RowOutcome::Row) {
            ++result.rowsRead;
            ++result.rowsWritten;
            result.written.push_back(reading.record);
        }
    }
    if (result.rowsRead == 0 && result.problems.empty())
        result.problems.push_back(RowReport{0, 0, RowProblem{0, "", NO_ROWS_RULE}});
    // A download checks every row before its first write: one refused row writes nothing.
    if (!result.problems.empty()) {
        result.rowsWritten = 0;
        result.written.clear();
    }
    return result;
}

ConfigCheckResult CheckConfigFile(const std::string& path, RowRules rules) {
    // A folder, FIFO or device would fail or block in the middle of the reading.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return FileError(SystemReason(errno, "cannot be opened"));
    if (IsNullDevice(status)) {
        std::istringstream empty;
        return CheckConfigFile(empty, rules);
    }
    if (!S_ISREG(status.st_mode))
        return FileError("not a regular file");
    std::ifstream file(path);
    if (!file.is_open())
        return FileError(SystemReason(errno, "cannot be opened"));
    errno = 0;
    try {
        ConfigCheckResult result = CheckConfigFile(file, rules);
        if (!file.bad())
            return result;
    } catch (const std::ios_base::failure&) {
        // the file's buffer reports a failed read by throwing
    }
    return FileError(SystemReason(errno, "read error"));
}

ConfigCheckResult CheckBackupFile(const std::string& path, DWORD serial) {
    ConfigCheckResult result = CheckConfigFile(path, RowRules::Device);
    if (!result.fileError.empty())
        return result;
    auto refuse = [&result](const std::string& rule) {
        result.problems.push_back(RowReport{0, 0, RowProblem{0, "", rule}});
    };
    if (result.problems.empty() && result.rowsRead < ALARM_COUNT)
        refuse("the backup holds " + std::to_string(result.rowsRead) + " alarm rows, not " +
               std::to_string(ALARM_COUNT));
    std::ifstream file(path);
    std::string line;
    for (int n = 0; n < SERIAL_LINE && std::getline(file, line); ++n)
        ;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line != SERIAL_NUMBER_PREFIX + std::to_string(serial))
        refuse("the backup is not of ORX " + std::to_string(serial) + ": its line 3 is " +
               Quoted(line));
    return result;
}

const char* RowFieldName(int field) {
    if (field < 0 || field >= static_cast<int>(FIELD_NAMES.size()))
        return "?";
    return FIELD_NAMES[static_cast<std::size_t>(field)];
}

std::string DescribeRowReport(const RowReport& report) {
    if (report.row == 0)
        return report.problem.rule;
    const std::string text = "row " + std::to_string(report.row);
    if (report.problem.field == 0)
        return text + ": " + report.problem.rule;
    return DescribeField(report.row, report.line, report.problem.field, report.problem.value) +
           ": " + report.problem.rule;
}

std::string DescribeRowWarning(const RowWarning& warning) {
    return DescribeField(warning.row, warning.line, warning.reading.field, warning.reading.value) +
           " " + warning.reading.reading;
}
