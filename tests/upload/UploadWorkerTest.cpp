// The upload worker end to end: scripted front end, main dialog, simulated ORX.

#include "UploadFixture.h"
#include "transfer/ConfigFile.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sys/resource.h>

namespace {

constexpr int REQUESTS_BEFORE_ALARMS = 2; // identity, serial number
constexpr int READS_PER_ALARM = 3;
constexpr WORD NOT_AN_ORX = 0x1234;
constexpr int CONNECTING = 0; // cancel point before the first alarm

CString AlarmStatus(int n) {
    CString text;
    text.Format("Uploading Alarm %d/32...", n);
    return text;
}

class UploadRun : public UploadFixture {
protected:
    std::vector<int> Positions() const {
        std::vector<int> positions;
        for (const CUiEvent& event : m_fe.Events(CUiEvent::ProgressPos))
            positions.push_back(event.value);
        return positions;
    }
    // The error box comes before the status line says the same.
    void ExpectBoxThenStatus(const char* box, const char* status) {
        EXPECT_EQ(ErrorBoxes(), std::vector<CString>{box});
        EXPECT_EQ(LastStatus(), status);
        const auto events = m_fe.Events();
        const auto boxAt = std::find_if(events.begin(), events.end(), [&](const CUiEvent& e) {
            return e.kind == CUiEvent::MessageBox && e.text == box;
        });
        EXPECT_TRUE(boxAt != events.end() &&
                    std::any_of(boxAt, events.end(), [&](const CUiEvent& e) {
                        return e.kind == CUiEvent::Text && e.text == status;
                    }));
    }
    // The end of every upload that failed after the file was chosen.
    void ExpectFailedEnd() {
        ExpectIdleArrangement();
        ExpectChosenFileUnchanged();
    }
};

TEST_F(UploadRun, SuccessWritesTheDevicesAlarmsAndReportsEachStep) {
    ASSERT_EQ(Upload(), RESULT_OK);

    const std::vector<std::string> lines = ReadLines(m_target);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(CONFIG_FILE_LINES));
    EXPECT_EQ(lines[2], "Serial Number: " + std::to_string(DEFAULT_SIM_SERIAL));
    std::ifstream in(m_target);
    SkipFileHeader(in);
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        AlarmRecord record;
        ASSERT_TRUE(ReadAlarmRow(in, record)) << "row " << n;
        EXPECT_EQ(record, m_sim->Alarm(n)) << "alarm " << n;
    }
    EXPECT_EQ(m_dir.Entries(), std::vector<std::string>{"config.csv"}) << "no temporary left";

    std::vector<CString> statuses{"Connecting to ORX..."};
    std::vector<int> positions{0};
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        statuses.push_back(AlarmStatus(n));
        positions.push_back(n);
    }
    statuses.push_back("Upload Complete!");
    EXPECT_EQ(m_fe.Texts(IDC_STATUS), statuses);
    EXPECT_EQ(Positions(), positions);
    EXPECT_TRUE(ErrorBoxes().empty());
    const auto ranges = m_fe.Events(CUiEvent::ProgressRange);
    ASSERT_EQ(ranges.size(), 1u);
    EXPECT_EQ(ranges[0].value2, ALARM_COUNT);

    const auto requests = m_fe.FileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].bOpenFileDialog);
    EXPECT_EQ(requests[0].strDefExt, "csv");
    EXPECT_EQ(requests[0].strFileName, "*.csv");
    EXPECT_EQ(requests[0].dwFlags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    EXPECT_EQ(requests[0].strFilter, "Comma Separated Values (*.CSV)|*.CSV|");

    std::vector<std::pair<int, int>> enabled;
    for (const CUiEvent& e : m_fe.Events(CUiEvent::Enabled))
        enabled.emplace_back(e.id, e.value);
    EXPECT_EQ(enabled, (std::vector<std::pair<int, int>>{{IDC_UPLOAD, 0},
                                                         {IDC_DOWNLOAD, 0},
                                                         {IDC_CANCEL_TRANSFER, 1},
                                                         {IDC_UPLOAD, 1},
                                                         {IDC_DOWNLOAD, 1},
                                                         {IDC_CANCEL_TRANSFER, 0}}));
    ExpectIdleArrangement();
}

TEST_F(UploadRun, CreatesAFileThatDidNotExist) {
    const std::string fresh = m_dir.File("fresh.csv");
    ASSERT_EQ(Upload(CString(fresh), m_sim->Port()), RESULT_OK);
    EXPECT_EQ(ReadLines(fresh).size(), static_cast<std::size_t>(CONFIG_FILE_LINES));
}

TEST_F(UploadRun, DismissedFileDialogChangesNothing) {
    m_fe.AnswerMessageBox(IDYES);
    m_fe.CancelFileDialog();
    m_dlg->m_btnUpload.SendMessage(BM_CLICK);
    AfxWaitForWorkers();

    EXPECT_EQ(m_fe.ExitCodes(), std::vector<UINT>{RESULT_NO_FILE});
    EXPECT_TRUE(ErrorBoxes().empty());
    EXPECT_TRUE(m_fe.Events(CUiEvent::Enabled).empty());
    EXPECT_TRUE(m_fe.Texts(IDC_STATUS).empty());
    EXPECT_TRUE(Positions().empty());
    EXPECT_EQ(m_dlg->m_transferState.load(), TRANSFER_UPLOAD); // nothing put it back
    ExpectChosenFileUnchanged();
}

TEST_F(UploadRun, AnswerNoToTheConfirmationStartsNothing) {
    m_fe.AnswerMessageBox(IDNO);
    m_dlg->m_btnUpload.SendMessage(BM_CLICK);
    AfxWaitForWorkers();
    EXPECT_TRUE(m_fe.ExitCodes().empty());
    EXPECT_TRUE(m_fe.FileRequests().empty());
    EXPECT_EQ(m_dlg->m_transferState.load(), TRANSFER_IDLE);
}

// Refused before the device is contacted: an empty name, or a file that cannot be opened.
TEST_F(UploadRun, UnusableFileNamesStopBeforeTheDevice) {
    std::filesystem::create_directory(m_dir.Path() / "folder.csv");
    const struct {
        std::string path;
        UINT result;
        const char* box;
    } cases[] = {{"", RESULT_NO_FILE, "Please select a file."},
                 {m_dir.File("missing/config.csv"), RESULT_FILE_ERROR, "Error writing to file!"},
                 {m_dir.File("folder.csv"), RESULT_FILE_ERROR, "Error writing to file!"}};
    std::size_t boxes = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(Upload(CString(c.path), m_sim->Port()), c.result);
        const std::vector<CString> shown = ErrorBoxes();
        ASSERT_EQ(shown.size(), ++boxes);
        EXPECT_EQ(shown.back(), c.box);
        EXPECT_TRUE(m_fe.Texts(IDC_STATUS).empty());
        EXPECT_TRUE(m_sim->Requests().empty());
        ExpectIdleArrangement();
    }
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.Path() / "folder.csv"));
    EXPECT_EQ(ReadText(m_target), PREVIOUS_CONTENT);
}

TEST_F(UploadRun, FolderWithoutWritePermissionKeepsItsFile) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    const std::filesystem::path locked = m_dir.Path() / "locked";
    std::filesystem::create_directory(locked);
    WriteText((locked / "config.csv").string(), PREVIOUS_CONTENT);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_exec);
    EXPECT_EQ(Upload(CString((locked / "config.csv").string()), m_sim->Port()), RESULT_FILE_ERROR);
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"Error writing to file!"});
    EXPECT_EQ(ReadText((locked / "config.csv").string()), PREVIOUS_CONTENT);
    ExpectIdleArrangement();
}

// A file size limit makes the writes fail after the device was read completely.
TEST_F(UploadRun, FailedWriteIsReportedInsteadOfComplete) {
    constexpr rlim_t SMALL_FILE_LIMIT = 64;
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = SMALL_FILE_LIMIT;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const UINT result = Upload();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result, RESULT_FILE_ERROR);
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"Error writing to file!"});
    EXPECT_EQ(LastStatus(), AlarmStatus(ALARM_COUNT));
    ExpectFailedEnd();
}

TEST_F(UploadRun, RefusedConnectionKeepsThePresentAndTheAbsentFile) {
    EXPECT_EQ(Upload(RefusingPort()), RESULT_DEVICE_ERROR);
    ExpectBoxThenStatus("Error connecting to ORX!", "Error connecting to ORX!");
    EXPECT_EQ(m_fe.Texts(IDC_STATUS).size(), 2u);
    EXPECT_EQ(m_dlg->m_progress.GetPos(), 0);
    ExpectFailedEnd();

    const std::string absent = m_dir.File("absent.csv");
    EXPECT_EQ(Upload(CString(absent), RefusingPort()), RESULT_DEVICE_ERROR);
    EXPECT_FALSE(std::filesystem::exists(absent));
    ExpectChosenFileUnchanged();
}

TEST_F(UploadRun, DeviceThatIsNotAnOrx) {
    m_sim->SetIdentity(NOT_AN_ORX);
    EXPECT_EQ(Upload(), RESULT_DEVICE_ERROR);
    ExpectBoxThenStatus("This is not an ORX!", "Error! Device was not an ORX!");
    ExpectFailedEnd();
}

class UploadReadFailure : public UploadRun, public ::testing::WithParamInterface<int> {};

// The simulator closes the connection before the first read of alarm n.
TEST_P(UploadReadFailure, StopsAtTheAlarmAndKeepsTheFile) {
    const int n = GetParam();
    SimulatorOptions options;
    options.dropAfter = REQUESTS_BEFORE_ALARMS + READS_PER_ALARM * (n - 1);
    StartSimulator(options);

    EXPECT_EQ(Upload(), RESULT_DEVICE_ERROR);
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"Error uploading!"});
    EXPECT_EQ(LastStatus(), AlarmStatus(n));
    EXPECT_EQ(m_dlg->m_progress.GetPos(), n);
    ExpectFailedEnd();
}

INSTANTIATE_TEST_SUITE_P(Alarms, UploadReadFailure, ::testing::Values(1, 5, ALARM_COUNT));

class UploadCancel : public UploadRun, public ::testing::WithParamInterface<int> {};

TEST_P(UploadCancel, StopsAtTheAlarmAndKeepsTheFile) {
    const int n = GetParam();
    CancelAt(n == CONNECTING ? CString("Connecting to ORX...") : AlarmStatus(n));
    EXPECT_EQ(Upload(), RESULT_CANCELLED);
    EXPECT_EQ(LastStatus(), "Upload Cancelled!");
    EXPECT_TRUE(ErrorBoxes().empty());
    EXPECT_EQ(m_dlg->m_progress.GetPos(), n);
    if (n == CONNECTING) {
        EXPECT_TRUE(m_sim->Requests().empty()) << "not even the identity is read";
    }
    ExpectFailedEnd();
}

INSTANTIATE_TEST_SUITE_P(Points, UploadCancel, ::testing::Values(CONNECTING, 1, 5, ALARM_COUNT));

} // namespace
