// orx-transfer check FILE

#include "cli/CliCommand.h"
#include "cli/DownloadCommands.h"
#include "transfer/ConfigCheck.h"
#include "transfer/TransferResults.h"

#include <iostream>

namespace {

int RunCheck(const std::vector<std::string>& args);

const CliCommand CHECK{
    "check", "check FILE",
    "Reads FILE as a download would, without a device, and reports every row that a\n"
    "download would refuse: its row (the alarm it configures) and line, the field, the\n"
    "value and the rule it breaks. Rows after a refused row are checked too, reading on\n"
    "from the end of the refused row's eighth field. Also says how many alarms a download\n"
    "would write: the rows before the first refused one. A download reads at most 32 rows\n"
    "and stops at the end of the file; the note line is never read.\n"
    "\n"
    "Exit status: 0 every row acceptable, 2 FILE cannot be opened, 6 a row would be\n"
    "refused, 64 usage error.\n",
    &RunCheck};

const CliCommandRegistration registration{CHECK};

int RunCheck(const std::vector<std::string>& args) {
    return RunCheckCommand(args, std::cout, std::cerr);
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
    if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-'))
        return UsageError(CHECK, "expected FILE");
    const ConfigCheckResult result = CheckConfigFile(args[0]);
    if (!result.fileError.empty()) {
        err << "orx-transfer check: cannot read " << args[0] << ": " << result.fileError << "\n";
        return static_cast<int>(RESULT_FILE_ERROR);
    }
    for (const RowReport& report : result.problems)
        out << DescribeRowReport(report) << '\n';
    PrintSummary(result, out);
    return static_cast<int>(result.Accepted() ? RESULT_OK : RESULT_CONFIG_ERROR);
}
