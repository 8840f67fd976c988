// What the offline check reports about the rows it refuses.

#include "DownloadFiles.h"

#include <gtest/gtest.h>

namespace {

constexpr int EXIT_CONFIG_ERROR = 6;
constexpr int EXIT_NO_INPUT = 2;

// Refused rows after two good rows, each with its row, line, field and value, and the count.
TEST(CheckCommand, PrintsEveryProblemWithRowLineFieldAndValueAndTheCount) {
    ScratchDir dir;
    const CommandRun run = RunCommand(
        {"check",
         dir.Write("bad.csv", DOWNLOAD_FILE_HEADER + DistinctRows(1, 2) +
                                  "3,3,2,1,0,0,0,0\n4,0,0,0,0,1.5 ,0,0\n5,0,0,0,0,0,abc,0\n")});
    EXPECT_EQ(run.code, EXIT_CONFIG_ERROR);
    EXPECT_EQ(run.out,
              "row 3, line 8: field 2 (mode) \"3\": mode must be 0 to 2\n"
              "row 4, line 9: field 6 (trip point) \"1.5 \": trip point is not a number\n"
              "row 5, line 10: field 7 (deadband) \"abc\": deadband is not a number\n"
              "3 unacceptable row(s); a download would write 2 alarm(s) and stop at row 3 with "
              "\"Configuration Error!\".\n");
}

// Readings that lose part of a field's text are warned of; only --strict refuses them.
TEST(CheckCommand, WarnsOfEveryLossyReadingAndStrictRefusesThem) {
    ScratchDir dir;
    const std::string path = dir.Write(
        "lax.csv", DOWNLOAD_FILE_HEADER + std::string("1,2abc,2,1,0,0,0,0\nx,0,-1,65537,0,0,0,2\n"
                                                      "3,1.9,2,1,,0,0,1,extra\n17,0,0,0,0,0,0,\n"
                                                      "5,0,0\n,0,0,0,0,0\n"));
    const CommandRun run = RunCommand({"check", path});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out,
              "warning: row 1, line 6: field 2 (mode) \"2abc\" read as 2\n"
              "warning: row 2, line 7: field 1 (alarm number) \"x\" ignored: the row configures "
              "alarm 2\n"
              "warning: row 2, line 7: field 3 (source module) \"-1\" read as 65535\n"
              "warning: row 2, line 7: field 4 (source channel) \"65537\" read as 1\n"
              "warning: row 2, line 7: field 8 (enunciate system faults) \"2\" read as 1\n"
              "warning: row 3, line 8: field 2 (mode) \"1.9\" read as 1\n"
              "warning: row 3, line 8: field 5 (output relay) \"\" read as 0\n"
              "warning: row 3, line 8: field 8 (enunciate system faults) \"1,extra\" read as 1\n"
              "warning: row 4, line 9: field 1 (alarm number) \"17\" ignored: the row configures "
              "alarm 4\n"
              "warning: row 4, line 9: field 8 (enunciate system faults) \"\" read as 0\n"
              "warning: row 5, line 10: field 3 (source module) \"0\\n\" read as 0\n"
              "OK: a download would write 5 alarm(s); the file has no more rows, the other alarms "
              "stay as they are.\n");
    EXPECT_EQ(RunCommand({"check", "--strict", path}).code, EXIT_CONFIG_ERROR);
    EXPECT_EQ(RunCommand({"check", dir.Write("full.csv", FullFileText()), "--strict"}).code, 0);
}

// A folder is refused as a file error, never read as rows.
TEST(CheckCommand, GoodFilesAndUnreadableFiles) {
    ScratchDir dir;
    const struct {
        std::string path;
        int code;
        std::string text; // in stdout or stderr
    } cases[] = {
        {dir.Write("full.csv", FullFileText()), 0, "OK: a download would write all 32 alarms.\n"},
        {dir.Write("five.csv", DOWNLOAD_FILE_HEADER + DistinctRows(1, 5)), 0, "write 5 alarm(s)"},
        {dir.File("missing.csv"), EXIT_NO_INPUT, "cannot read"},
        {dir.File(""), EXIT_NO_INPUT, ""},
        {"/dev/null", EXIT_CONFIG_ERROR, ""},
        {dir.Write("long.csv", std::string(200, 'x') + "\n" + FullFileText()), EXIT_CONFIG_ERROR,
         "row 1: "}};
    for (const auto& c : cases) {
        const CommandRun run = RunCommand({"check", c.path});
        EXPECT_EQ(run.code, c.code) << c.path;
        EXPECT_NE((run.out + run.err).find(c.text), std::string::npos) << run.out << run.err;
    }
}

} // namespace
