// The download, check and verify read the same files alike.

#include "DownloadFixture.h"
#include "sim/RequestHandler.h"
#include "transfer/ConfigCheck.h"
#include "transfer/DeviceCompare.h"

namespace {

constexpr int EXIT_CONFIG_ERROR = 6;
constexpr int ALL = 32;
const std::string HEADER = DOWNLOAD_FILE_HEADER;
const std::string NOTE = DOWNLOAD_FILE_NOTE;
const std::string LONG_HEADER_LINE = std::string(200, 'x') + "\n";

// Files that the download, check and verify must all read alike, with what each must make
// of them.
struct FileCase {
    const char* name;
    std::string text;
    bool accepted;     // the download completes; check exits 0; verify compares
    int rowsWritten;   // check's count of the rows before the first problem; all of them are
                       // written when the file is accepted, none when it is not
    int problems;      // unacceptable rows that check reports
    int rowsRead = -1; // by check; -1: not looked at
};

std::vector<FileCase> FileCases() {
    return {
        {"Complete", FullFileText(), true, ALL, 0},
        {"CrLfLineEnds", std::regex_replace(FullFileText(), std::regex("\n"), "\r\n"), true, ALL,
         0},
        {"FiveRows", HEADER + DistinctRows(1, 5), true, 5, 0},
        {"FiveRowsThenBlankLines", HEADER + DistinctRows(1, 5) + "\n\n", true, 5, 0},
        {"BlankLineBetweenRows", HEADER + DistinctRows(1, 2) + "\n" + DistinctRows(3, 32) + NOTE,
         true, ALL, 0},
        {"OnlyTheHeader", HEADER, false, 0, 1},
        {"Empty", "", false, 0, 1},
        {"RowsAfterTheThirtySecondNeverRead", FullFileText() + "33,9,9,9,9,x,x,9\n", true, ALL, 0},
        {"BadModuleInRowFive",
         HEADER + DistinctRows(1, 4) + "5,1,1,1,0,0.0000,0.0000,0\n" + DistinctRows(6, 32), false,
         4, 1},
        {"BadTripPointInRowOne", HEADER + "1,0,0,0,0,1.5x,0.0000,0\n" + DistinctRows(2, 32), false,
         0, 1},
        {"RowThreeCutShortByTheEnd", HEADER + DistinctRows(1, 2) + "3,1,2,1", false, 2, 1},
        {"LongHeaderLine", LONG_HEADER_LINE + HEADER + DistinctRows(1, 32), false, 0, 1},
        // Row 2 takes its field 8 from the next line; reading goes on after that line.
        {"LineEndInFieldOne",
         HEADER + DistinctRows(1, 1) + "2\n,9,0,0,0,0,0,0\n" + DistinctRows(3, 32), false, 1, 1,
         31},
        {"TwoBadRows",
         HEADER + DistinctRows(1, 2) + "3,3,2,1,0,0,0,0\n" + DistinctRows(4, 6) +
             "7,0,0,0,9,0,0,0\n" + DistinctRows(8, 32),
         false, 2, 2},
    };
}

class FileAgreement : public DownloadFixture, public ::testing::WithParamInterface<FileCase> {
protected:
    int Verify(const std::string& path) {
        return RunCommand({"verify", "--port", std::to_string(m_sim->Port()), "127.0.0.1", path})
            .code;
    }
};

TEST_P(FileAgreement, DownloadCheckAndVerifyAgree) {
    const FileCase& c = GetParam();
    const std::string path = m_dir.Write("case.csv", c.text);
    const int refused = c.accepted ? 0 : EXIT_CONFIG_ERROR;

    const ConfigCheckResult check = CheckConfigFile(path);
    EXPECT_EQ(check.Accepted(), c.accepted);
    EXPECT_EQ(check.rowsWritten, c.rowsWritten);
    EXPECT_EQ(check.written.size(), static_cast<std::size_t>(c.rowsWritten));
    EXPECT_TRUE(c.rowsRead < 0 || check.rowsRead == c.rowsRead) << check.rowsRead;
    EXPECT_EQ(check.problems.size(), static_cast<std::size_t>(c.problems));
    EXPECT_EQ(RunCommand({"check", path}).code, refused);

    const int differs = c.rowsWritten > 0 ? static_cast<int>(RESULT_DIFFERENT) : 0;
    EXPECT_EQ(Verify(path), c.accepted ? differs : refused) << "before the download";
    EXPECT_EQ(Download(path), c.accepted ? RESULT_OK : RESULT_CONFIG_ERROR);
    if (!c.accepted) {
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
    EXPECT_EQ(m_sim->CoilEvents().back(), (CoilEvent{COIL_DOWNLOAD_COMPLETE, COIL_ON}));
    EXPECT_EQ(Verify(path), refused) << "after the download";
}

INSTANTIATE_TEST_SUITE_P(Files, FileAgreement, ::testing::ValuesIn(FileCases()),
                         [](const ::testing::TestParamInfo<FileCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
