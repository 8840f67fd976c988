// check and verify, and the download, check and verify reading the same files alike.

#include "DownloadFixture.h"
#include "transfer/ConfigCheck.h"
#include "transfer/DeviceCompare.h"

#include <bit>
#include <limits>
#include <nlohmann/json.hpp>

namespace {

constexpr int ALARM = 3;
const int CONFIG = RESULT_CONFIG_ERROR;
const std::string HEADER = DOWNLOAD_FILE_HEADER;
const std::string NOTE = DOWNLOAD_FILE_NOTE;
const std::string LONG_HEADER_LINE = std::string(200, 'x') + "\n";
using Lines = std::vector<std::string>;

// Refused rows after two good rows, each with its row, line, field and value, and the count;
// readings that lose part of a field's text are warned of and only --strict refuses them; a
// folder is refused as a file error, never read as rows.
TEST(CheckCommand, ReportsProblemsWarningsAndUnreadableFiles) {
    ScratchDir dir;
    const ProgramRun bad = RunCommand(
        {"check",
         dir.Write("bad.csv",
                   HEADER + DistinctRows(1, 2) +
                       "3,3,2,1,0,0,0,0\n4,0,0,0,0,1.5 ,0,0\n5,0,0,0,0,0,a\tb\x01\xff\"c,0\n")});
    EXPECT_EQ(bad.status, CONFIG);
    EXPECT_EQ(
        bad.out,
        "row 3, line 8: field 2 (mode) \"3\": mode must be 0 to 2\n"
        "row 4, line 9: field 6 (trip point) \"1.5 \": trip point is not a number\n"
        "row 5, line 10: field 7 (deadband) \"a\\tb\\x01\\xff\\\"c\": deadband is not a number\n"
        "3 unacceptable row(s); a download would write nothing: row 3 is refused with "
        "\"Configuration Error!\".\n");
    const std::string lax =
        dir.Write("lax.csv", HEADER + std::string("1,2abc,2,1,0,0,0,0\nx,0,-1,65537,0,0,0,2\n"
                                                  "3,1.9,2,1,,0,0,1,extra\n17,0,0,0,0,0,0,\n"
                                                  "5,0,0\n,0,0,0,0,0\n"));
    const ProgramRun run = RunCommand({"check", lax});
    EXPECT_EQ(run.status, 0);
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
    const std::string full = dir.Write("full.csv", FullFileText());
    const struct {
        std::vector<std::string> args;
        int status;
        std::string text; // in stdout or stderr
    } cases[] = {
        {{"check", "--strict", lax}, CONFIG, "Refused for 11 warning(s) under --strict.\n"},
        {{"check", full, "--strict"}, 0, "OK: a download would write all 32 alarms.\n"},
        {{"check", dir.File("missing.csv")}, RESULT_FILE_ERROR, "cannot read"},
        {{"check", dir.File("")}, RESULT_FILE_ERROR, "not a regular file"},
        {{"check", "/dev/null"}, CONFIG, "the file has no alarm row\n"},
        {{"check", dir.Write("long.csv", LONG_HEADER_LINE + FullFileText())}, CONFIG, "row 1: "}};
    for (const auto& c : cases) {
        const ProgramRun r = RunCommand(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[1];
        EXPECT_NE((r.out + r.err).find(c.text), std::string::npos) << r.out << r.err;
    }
    // Bytes that are no UTF-8, in the path and in a refused value, still make valid JSON.
    const std::string binary = dir.Write("bin\xff.csv", HEADER + "1,0,0,0,0,\xff\xfe\xc3,0,0\n");
    for (const Lines& args :
         {Lines{"check", "--json", binary}, Lines{"verify", "--json", "127.0.0.1", binary}}) {
        const ProgramRun r = RunCommand(args);
        EXPECT_EQ(r.status, CONFIG) << args[0] << r.err;
        EXPECT_NO_THROW(nlohmann::json::parse(r.out)) << args[0];
    }
}

// Every differing field is named with both values, a disabled alarm's too (equal alarms: the
// agreement tests' verify); values alike at four decimals show all their digits; the file keeps
// a NaN's sign, not its payload.
TEST(CompareAlarm, EachFieldIsNamedWithBothValues) {
    const AlarmRecord example{2, 4, 2, 5, 75.5f, 1.25f, true};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float payload = std::bit_cast<float>(0x7FC00001u);
    const struct {
        AlarmRecord file, device;
        Lines texts;
    } cases[] = {
        {example,
         {1, 7, 65535, 0, 75.4f, -1.25f, false},
         {"alarm 3 mode: file 2, device 1", "alarm 3 source module: file 4, device 7",
          "alarm 3 source channel: file 2, device 65535", "alarm 3 output relay: file 5, device 0",
          "alarm 3 trip point: file 75.5000, device 75.4000",
          "alarm 3 deadband: file 1.2500, device -1.2500",
          "alarm 3 enunciate system faults: file 1, device 0"}},
        {example,
         {2, 4, 2, 5, 75.50001f, 1.25f, true},
         {"alarm 3 trip point: file 75.5, device 75.5000076"}},
        {{0, 9}, {}, {"alarm 3 source module: file 9, device 0"}},
        {{0, 9, 0, 0, nan}, {0, 9, 0, 0, payload}, {}},
        {{0, 9, 0, 0, nan}, {0, 9, 0, 0, -payload}, {"alarm 3 trip point: file nan, device -nan"}}};
    for (const auto& c : cases) {
        Lines texts;
        for (const FieldDifference& d : CompareAlarm(ALARM, c.file, c.device))
            texts.push_back(DescribeDifference(d));
        EXPECT_EQ(texts, c.texts);
    }
}

// Files that the download, check and verify must all read alike, with what each must make
// of them (CR LF line ends, trailing blank lines and an empty file: the file shape tests).
struct FileCase {
    const char* name;
    std::string text;
    int rowsWritten;   // by a download, as check counts them: none when a row is refused
    int problems;      // unacceptable rows that check reports; none: the file is accepted
    int rowsRead = -1; // by check; -1: not looked at
};

std::vector<FileCase> FileCases() {
    const int ALL = ALARM_COUNT;
    const auto R = DistinctRows;
    return {
        {"Complete", FullFileText(), ALL, 0},
        {"FiveRows", HEADER + R(1, 5), 5, 0},
        {"BlankLineBetweenRows", HEADER + R(1, 2) + "\n" + R(3, 32) + NOTE, ALL, 0},
        {"OnlyTheHeader", HEADER, 0, 1},
        {"RowsAfterTheThirtySecondNeverRead", FullFileText() + "33,9,9,9,9,x,x,9\n", ALL, 0},
        {"BadTripPointInRowOne", HEADER + "1,0,0,0,0,1.5x,0.0000,0\n" + R(2, 32), 0, 1},
        {"RowThreeCutShortByTheEnd", HEADER + R(1, 2) + "3,1,2,1", 0, 1},
        {"LongHeaderLine", LONG_HEADER_LINE + HEADER + R(1, 32), 0, 1},
        // Row 2 takes its field 8 from the next line; reading goes on after that line.
        {"LineEndInFieldOne", HEADER + R(1, 1) + "2\n,9,0,0,0,0,0,0\n" + R(3, 32), 0, 1, 31},
        {"TwoBadRows",
         HEADER + R(1, 2) + "3,3,2,1,0,0,0,0\n" + R(4, 6) + "7,0,0,0,9,0,0,0\n" + R(8, 32), 0, 2},
    };
}

class FileAgreement : public DownloadFixture, public ::testing::WithParamInterface<FileCase> {};

TEST_P(FileAgreement, DownloadCheckAndVerifyAgree) {
    const FileCase& c = GetParam();
    // Accepted: the download completes, check exits 0, verify compares.
    const bool accepted = c.problems == 0;
    const std::string path = m_dir.Write("case.csv", c.text);
    const int refused = accepted ? 0 : CONFIG;
    // verify's exit status; it prints every difference or the count, and only reads.
    const auto verify = [&](int status, const std::string& text,
                            const char* reads = "--retries=1") {
        const std::size_t before = m_sim->Requests().size();
        const ProgramRun run = RunCommand(
            {"verify", reads, "--port", std::to_string(m_sim->Port()), "127.0.0.1", path});
        EXPECT_EQ(run.status, status);
        EXPECT_NE(run.out.find(text), std::string::npos) << run.out;
        const std::vector<RequestSummary> requests = m_sim->Requests();
        for (std::size_t i = before; i < requests.size(); ++i)
            EXPECT_TRUE(requests[i].function == FN_READ_DISCRETE_INPUTS ||
                        requests[i].function == FN_READ_INPUT_REGISTERS);
        return requests.size() - before;
    };
    const ConfigCheckResult check = CheckConfigFile(path);
    EXPECT_EQ(
        std::tuple(check.Accepted(), check.rowsWritten, check.written.size(),
                   check.problems.size()),
        std::tuple(accepted, c.rowsWritten, std::size_t(c.rowsWritten), std::size_t(c.problems)));
    EXPECT_TRUE(c.rowsRead < 0 || check.rowsRead == c.rowsRead) << check.rowsRead;
    EXPECT_EQ(RunCommand({"check", path}).status, refused);
    verify(accepted ? static_cast<int>(RESULT_DIFFERENT) : refused,
           accepted ? "alarm 1 mode: file 1, device 0\n" : "");
    EXPECT_EQ(Download(path), accepted ? RESULT_OK : RESULT_CONFIG_ERROR);
    if (!accepted) {
        EXPECT_TRUE(m_sim->Requests().empty()) << "a refused file writes nothing";
        return;
    }
    EXPECT_EQ(DistinctAlarmsOnDevice(), c.rowsWritten);
    std::vector<int> positions = CountTo(c.rowsWritten);
    positions.push_back(ALARM_COUNT); // at completion
    EXPECT_EQ(Positions(), positions);
    std::vector<CString> statuses = Steps(DOWNLOAD_STEP, c.rowsWritten);
    statuses.insert(statuses.begin() + 1, BACKUP_TEXT);
    statuses.push_back("Download Complete!");
    EXPECT_EQ(m_fe.Texts(IDC_STATUS), statuses);
    EXPECT_EQ(Requests(FN_WRITE_SINGLE_COIL).size(), c.rowsWritten + 1u) << "faults, then the end";
    ExpectEndCoil(COIL_DOWNLOAD_COMPLETE);
    // Only the file's rows; in blocks: identity, the table in three reads, the faults in one.
    const std::string same = "The device holds what the file says (" +
                             std::to_string(c.rowsWritten) + " alarm(s) compared).\n";
    EXPECT_EQ(verify(0, same), 1u + 3u * c.rowsWritten);
    EXPECT_EQ(verify(0, same, "--block-reads"), 5u);
}

INSTANTIATE_TEST_SUITE_P(Files, FileAgreement, ::testing::ValuesIn(FileCases()),
                         [](const ::testing::TestParamInfo<FileCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
