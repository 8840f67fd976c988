// What the offline check reports about the rows it refuses.

#include "transfer/ConfigCheck.h"
#include "DownloadFiles.h"
#include "cli/DownloadCommands.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

constexpr int FIRST_ROW_LINE = 6;

ConfigCheckResult Check(const std::string& text) {
    std::istringstream in(text);
    return CheckConfigFile(in);
}

TEST(ConfigCheckReport, EachRuleNamesItsRowLineFieldAndValue) {
    const ConfigCheckResult five =
        Check(DOWNLOAD_FILE_HEADER + DistinctRows(1, 4) + "5,1,1,1,0,0.0000,0.0000,0\n");
    ASSERT_EQ(five.problems.size(), 1u);
    EXPECT_EQ(DescribeRowReport(five.problems[0]),
              "row 5, line 10: field 3 (source module) \"1\": source module must be 2 to 16 "
              "when mode is not 0");
    const struct {
        const char* row;
        int field;
        const char* value;
    } cases[] = {
        {"1,3,2,1,0,0,0,0", 2, "3"},     {"1,1,2,5,0,0,0,0", 4, "5"},
        {"1,0,0,0,9,0,0,0", 5, "9"},     {"1,0,0,0,0,1.5 ,0,0", 6, "1.5 "},
        {"1,0,0,0,0,0,abc,0", 7, "abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        const ConfigCheckResult result = Check(DOWNLOAD_FILE_HEADER + std::string(c.row) + "\n");
        ASSERT_EQ(result.problems.size(), 1u);
        EXPECT_EQ(result.problems[0].problem.field, c.field);
        EXPECT_EQ(result.problems[0].problem.value, c.value);
        EXPECT_EQ(result.problems[0].line, FIRST_ROW_LINE);
    }
}

TEST(ConfigCheckReport, ReadsOnAfterARefusedRowFromTheEndOfItsEighthField) {
    // Row 2 has a line end inside field 1 and so takes its field 8 from the next line,
    // as the download's reader would; reading goes on after that line.
    const ConfigCheckResult result = Check(DOWNLOAD_FILE_HEADER + DistinctRows(1, 1) +
                                           "2\n,9,0,0,0,0,0,0\n" + DistinctRows(3, 32));
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_EQ(result.problems[0].row, 2);
    EXPECT_EQ(result.rowsWritten, 1);
    EXPECT_EQ(result.rowsRead, 31);
    EXPECT_EQ(result.written.size(), 1u);
}

TEST(ConfigCheckReport, UnreadableFileIsReportedOnce) {
    const ConfigCheckResult result =
        Check(std::string(200, 'x') + "\n" + DOWNLOAD_FILE_HEADER + DistinctRows(1, 32));
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_EQ(result.problems[0].problem.field, 0);
    EXPECT_EQ(DescribeRowReport(result.problems[0]).rfind("row 1: ", 0), 0u);
}

TEST(CheckCommand, PrintsEveryProblemAndTheCount) {
    DownloadScratch dir;
    const std::string path =
        dir.Write("two.csv", DOWNLOAD_FILE_HEADER + DistinctRows(1, 2) + "3,0,0,0,9,0,0,0\n" +
                                 DistinctRows(4, 6) + "7,5,0,0,0,0,0,0\n");
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCheckCommand({path}, out, err), 6);
    EXPECT_EQ(out.str(),
              "row 3, line 8: field 5 (output relay) \"9\": output relay must be 0 to 8\n"
              "row 7, line 12: field 2 (mode) \"5\": mode must be 0 to 2\n"
              "2 unacceptable row(s); a download would write 2 alarm(s) and stop at row 3 with "
              "\"Configuration Error!\".\n");
}

TEST(CheckCommand, GoodFilesMissingFileAndBadArguments) {
    DownloadScratch dir;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCheckCommand({dir.Write("full.csv", FullFileText())}, out, err), 0);
    EXPECT_EQ(out.str(), "OK: a download would write all 32 alarms.\n");
    out.str("");
    EXPECT_EQ(RunCheckCommand({dir.Write("five.csv", DOWNLOAD_FILE_HEADER + DistinctRows(1, 5))},
                              out, err),
              0);
    EXPECT_NE(out.str().find("write 5 alarm(s)"), std::string::npos) << out.str();
    EXPECT_EQ(RunCheckCommand({dir.File("missing.csv")}, out, err), 2);
    EXPECT_NE(err.str().find("cannot open"), std::string::npos);
    EXPECT_EQ(RunCheckCommand({}, out, err), 64);
    EXPECT_EQ(RunCheckCommand({"a.csv", "b.csv"}, out, err), 64);
}

} // namespace
