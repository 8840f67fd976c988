// orx-transfer check FILE

#include "cli/CliCommand.h"
#include "cli/DownloadCommands.h"
#include "transfer/ConfigCheck.h"
#include "transfer/TransferResults.h"

#include <algorithm>
#include <iostream>
#include <iterator>

namespace {

int RunCheck(const std::vector<std::string>& args);

const CliCommand CHECK{
    "check", "check [--strict] FILE",
    "Reads FILE as a download would, without a device, and reports every row that a\n"
    "download would refuse: its row (the alarm it configures) and line, the field, the\n"
    "value and the rule it breaks. Rows after a refused row are checked too, reading on\n"
    "from the end of the refused row's eighth field. Also says how many alarms a download\n"
    "would write: the rows before the first refused one. A download reads at most 32 rows\n"
    "and stops at the end of the file; the note line is never read.\n"
    "A field that a download reads otherwise than its text says is named in a warning,\n"
    "e.g. a mode of 1.9 (read as 1), a faults field of 2 (read as 1), a source module of\n"
    "-1 in a disabled alarm (read as 65535), or an alarm number that is not the row's.\n"
    "\n"
    "  --strict   refuse the file for warnings too\n"
    "\n"
    "Exit status: 0 every row acceptable, 2 FILE cannot be opened or the report cannot be\n"
    "written, 6 a row would be refused (or, with --strict, a warning), 64 usage error.\n",
    &RunCheck};

const CliCommandRegistration registration{CHECK};

int RunCheck(const std::vector<std::string>& args) {
    return RunCheckCommand(args, std::cout, std::cerr);
}

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

void PrintSummary(const ConfigCheckResult& result, std::ostream& out) {
    if (!result.problems.empty() && result.problems[0].row == 0) {
        out << "A download would refuse the file with \"Configuration Error!\".\n";
    } else if (!result.Accepted()) {
        out << result.problems.size() << " unacceptable row(s); a download would write "
            << result.rowsWritten << " alarm(s) and stop at row " << result.problems[0].row
            << " with \"Configuration Error!\".\n";
    } else if (result.rowsWritten == ALARM_COUNT) {
        out << "OK: a download would write all 32 alarms.\n";
    } else {
        out << "OK: a download would write " << result.rowsWritten
            << " alarm(s); the file has no more rows, the other alarms stay as they are.\n";
    }
}

} // namespace

int RunCheckCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << "usage: orx-transfer " << CHECK.synopsis << "\n\n" << CHECK.help;
        return 0;
    }
    std::vector<std::string> files;
    std::copy_if(args.begin(), args.end(), std::back_inserter(files),
                 [](const std::string& arg) { return arg != "--strict"; });
    const bool strict = files.size() != args.size();
    if (files.size() != 1 || (files[0].size() > 1 && files[0][0] == '-'))
        return UsageError(CHECK, "expected FILE");
    const ConfigCheckResult result = CheckConfigFile(files[0]);
    if (!result.fileError.empty()) {
        err << "orx-transfer check: cannot read " << files[0] << ": " << result.fileError << "\n";
        return static_cast<int>(RESULT_FILE_ERROR);
    }
    PrintRows(result, out);
    PrintSummary(result, out);
    const bool refusedForWarnings = strict && !result.warnings.empty();
    if (refusedForWarnings)
        out << "Refused for " << result.warnings.size() << " warning(s) under --strict.\n";
    if (!FlushReport(out, err, CHECK.name))
        return static_cast<int>(RESULT_FILE_ERROR);
    return static_cast<int>(result.Accepted() && !refusedForWarnings ? RESULT_OK
                                                                     : RESULT_CONFIG_ERROR);
}
