// The upload worker end to end: scripted front end, main dialog, simulated ORX.

#include "UploadFixture.h"
#include "transfer/ConfigFile.h"

#include <csignal>
#include <fstream>
#include <sys/resource.h>

namespace {

constexpr int REQUESTS_BEFORE_ALARMS = 2; // identity, serial number
constexpr int READS_PER_ALARM = 3;
constexpr WORD NOT_AN_ORX = 0x1234;
constexpr const char* CSV_FILTER = "Comma Separated Values (*.CSV)|*.CSV|";

CString AlarmStatus(int n) {
    CString text;
    text.Format("Uploading Alarm %d/32...", n);
    return text;
}

std::vector<int> Positions(const CScriptedFrontEnd& fe) {
    std::vector<int> positions;
    for (const CUiEvent& event : fe.Events(CUiEvent::ProgressPos))
        positions.push_back(event.value);
    return positions;
}

// Index in the event list of the first event matching kind and text, or -1.
int IndexOf(const std::vector<CUiEvent>& events, CUiEvent::Kind kind, const char* text) {
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind == kind && events[i].text == text)
            return static_cast<int>(i);
    }
    return -1;
}

using UploadSuccess = UploadFixture;

TEST_F(UploadSuccess, WritesAllAlarmsAndReplacesTheChosenFile) {
    ASSERT_EQ(Upload(), RESULT_OK);

    const std::vector<std::string> lines = ReadLines(m_target);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(CONFIG_FILE_LINES));
    EXPECT_EQ(lines[0], "ORX Configuration Transfer Utility Version 1.00.00");
    EXPECT_EQ(lines[2], "Serial Number: " + std::to_string(DEFAULT_SIM_SERIAL));
    EXPECT_EQ(lines.back(), "\"Alarm Mode (0 = Disabled, 1 = Trip Low, 2 = Trip High)\"");
    std::ifstream in(m_target);
    SkipFileHeader(in);
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        AlarmRecord record;
        ASSERT_TRUE(ReadAlarmRow(in, record)) << "row " << n;
        EXPECT_EQ(record, m_sim->Alarm(n)) << "alarm " << n;
    }
    EXPECT_EQ(m_dir.Entries(), std::vector<std::string>{"config.csv"});
}

TEST_F(UploadSuccess, ReportsEachAlarmAndEndsComplete) {
    ASSERT_EQ(Upload(), RESULT_OK);

    std::vector<CString> expected{"Connecting to ORX..."};
    for (int n = 1; n <= ALARM_COUNT; ++n)
        expected.push_back(AlarmStatus(n));
    expected.push_back("Upload Complete!");
    EXPECT_EQ(m_fe.Texts(IDC_STATUS), expected);
    EXPECT_TRUE(ErrorBoxes().empty());

    std::vector<int> positions{0};
    for (int n = 1; n <= ALARM_COUNT; ++n)
        positions.push_back(n);
    EXPECT_EQ(Positions(m_fe), positions);
    const auto ranges = m_fe.Events(CUiEvent::ProgressRange);
    ASSERT_EQ(ranges.size(), 1u);
    EXPECT_EQ(ranges[0].value, 0);
    EXPECT_EQ(ranges[0].value2, ALARM_COUNT);
    EXPECT_EQ(m_dlg->m_progress.GetStep(), 1);
    ExpectIdleArrangement();
}

TEST_F(UploadSuccess, AsksForACsvFileToSave) {
    ASSERT_EQ(Upload(), RESULT_OK);
    const auto requests = m_fe.FileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].bOpenFileDialog);
    EXPECT_EQ(requests[0].strDefExt, "csv");
    EXPECT_EQ(requests[0].strFileName, "*.csv");
    EXPECT_EQ(requests[0].dwFlags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    EXPECT_EQ(requests[0].strFilter, CSV_FILTER);
}

TEST_F(UploadSuccess, ButtonsAreDisabledInOrderOnceAFileIsChosen) {
    ASSERT_EQ(Upload(), RESULT_OK);
    const auto enabled = m_fe.Events(CUiEvent::Enabled);
    ASSERT_EQ(enabled.size(), 6u);
    const std::vector<std::pair<int, int>> expected{
        {IDC_UPLOAD, 0}, {IDC_DOWNLOAD, 0}, {IDC_CANCEL_TRANSFER, 1},
        {IDC_UPLOAD, 1}, {IDC_DOWNLOAD, 1}, {IDC_CANCEL_TRANSFER, 0}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(enabled[i].id, expected[i].first) << i;
        EXPECT_EQ(enabled[i].value, expected[i].second) << i;
    }
}

TEST_F(UploadSuccess, CreatesAFileThatDidNotExist) {
    const std::string fresh = m_dir.File("fresh.csv");
    ASSERT_EQ(Upload(CString(fresh), m_sim->Port()), RESULT_OK);
    EXPECT_EQ(ReadLines(fresh).size(), static_cast<std::size_t>(CONFIG_FILE_LINES));
}

using UploadNoFile = UploadFixture;

TEST_F(UploadNoFile, DismissedDialogChangesNothing) {
    m_fe.AnswerMessageBox(IDYES);
    m_fe.CancelFileDialog();
    m_dlg->m_btnUpload.SendMessage(BM_CLICK);
    AfxWaitForWorkers();

    EXPECT_EQ(m_fe.ExitCodes(), std::vector<UINT>{RESULT_NO_FILE});
    EXPECT_TRUE(ErrorBoxes().empty());
    EXPECT_TRUE(m_fe.Events(CUiEvent::Enabled).empty());
    EXPECT_TRUE(m_fe.Texts(IDC_STATUS).empty());
    EXPECT_TRUE(m_fe.Events(CUiEvent::ProgressPos).empty());
    EXPECT_EQ(m_dlg->m_transferState.load(), TRANSFER_UPLOAD); // nothing put it back
    ExpectChosenFileUnchanged();
}

TEST_F(UploadNoFile, EmptyPathAsksForAFile) {
    EXPECT_EQ(Upload(CString(""), m_sim->Port()), RESULT_NO_FILE);
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"Please select a file."});
    EXPECT_TRUE(m_fe.Texts(IDC_STATUS).empty());
    EXPECT_TRUE(m_sim->Requests().empty());
    ExpectIdleArrangement();
    ExpectChosenFileUnchanged();
}

TEST_F(UploadNoFile, AnswerNoToTheConfirmationStartsNothing) {
    m_fe.AnswerMessageBox(IDNO);
    m_dlg->m_btnUpload.SendMessage(BM_CLICK);
    AfxWaitForWorkers();
    EXPECT_TRUE(m_fe.ExitCodes().empty());
    EXPECT_TRUE(m_fe.FileRequests().empty());
    EXPECT_EQ(m_dlg->m_transferState.load(), TRANSFER_IDLE);
}

using UploadFileError = UploadFixture;

TEST_F(UploadFileError, FolderThatDoesNotExist) {
    const std::string path = m_dir.File("missing/config.csv");
    EXPECT_EQ(Upload(CString(path), m_sim->Port()), RESULT_FILE_ERROR);
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"Error writing to file!"});
    EXPECT_TRUE(m_fe.Texts(IDC_STATUS).empty());
    EXPECT_TRUE(m_sim->Requests().empty());
    ExpectIdleArrangement();
    ExpectChosenFileUnchanged();
}

TEST_F(UploadFileError, FolderWithoutWritePermission) {
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

TEST_F(UploadFileError, ChosenNameIsAFolder) {
    std::filesystem::create_directory(m_dir.Path() / "folder.csv");
    EXPECT_EQ(Upload(CString(m_dir.File("folder.csv")), m_sim->Port()), RESULT_FILE_ERROR);
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"Error writing to file!"});
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.Path() / "folder.csv"));
}

// A file size limit makes the writes fail after the device was read completely.
TEST_F(UploadFileError, FailedWriteIsReportedInsteadOfComplete) {
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
    ExpectIdleArrangement();
    ExpectChosenFileUnchanged();
}

using UploadDeviceError = UploadFixture;

TEST_F(UploadDeviceError, RefusedConnection) {
    EXPECT_EQ(Upload(RefusingPort()), RESULT_DEVICE_ERROR);
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"Error connecting to ORX!"});
    EXPECT_EQ(m_fe.Texts(IDC_STATUS),
              (std::vector<CString>{"Connecting to ORX...", "Error connecting to ORX!"}));
    const auto events = m_fe.Events();
    EXPECT_LT(IndexOf(events, CUiEvent::MessageBox, "Error connecting to ORX!"),
              IndexOf(events, CUiEvent::Text, "Error connecting to ORX!"));
    EXPECT_EQ(m_dlg->m_progress.GetPos(), 0);
    ExpectIdleArrangement();
    ExpectChosenFileUnchanged();
}

TEST_F(UploadDeviceError, RefusedConnectionLeavesAnAbsentFileAbsent) {
    const std::string absent = m_dir.File("absent.csv");
    EXPECT_EQ(Upload(CString(absent), RefusingPort()), RESULT_DEVICE_ERROR);
    EXPECT_FALSE(std::filesystem::exists(absent));
    ExpectChosenFileUnchanged();
}

TEST_F(UploadDeviceError, DeviceThatIsNotAnOrx) {
    m_sim->SetIdentity(NOT_AN_ORX);
    EXPECT_EQ(Upload(), RESULT_DEVICE_ERROR);
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"This is not an ORX!"});
    EXPECT_EQ(LastStatus(), "Error! Device was not an ORX!");
    const auto events = m_fe.Events();
    EXPECT_LT(IndexOf(events, CUiEvent::MessageBox, "This is not an ORX!"),
              IndexOf(events, CUiEvent::Text, "Error! Device was not an ORX!"));
    ExpectIdleArrangement();
    ExpectChosenFileUnchanged();
}

class UploadReadFailure : public UploadFixture, public ::testing::WithParamInterface<int> {};

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
    ExpectIdleArrangement();
    ExpectChosenFileUnchanged();
}

INSTANTIATE_TEST_SUITE_P(Alarms, UploadReadFailure, ::testing::Values(1, 5, ALARM_COUNT));

using UploadCancel = UploadFixture;

TEST_F(UploadCancel, RightAfterConnecting) {
    CancelAt("Connecting to ORX...");
    EXPECT_EQ(Upload(), RESULT_CANCELLED);
    EXPECT_EQ(LastStatus(), "Upload Cancelled!");
    EXPECT_TRUE(ErrorBoxes().empty());
    EXPECT_TRUE(m_sim->Requests().empty()) << "not even the identity is read";
    EXPECT_EQ(m_dlg->m_progress.GetPos(), 0);
    ExpectIdleArrangement();
    ExpectChosenFileUnchanged();
}

class UploadCancelAfter : public UploadFixture, public ::testing::WithParamInterface<int> {};

TEST_P(UploadCancelAfter, TheAlarmBeingRead) {
    const int n = GetParam();
    CancelAt(AlarmStatus(n));
    EXPECT_EQ(Upload(), RESULT_CANCELLED);
    EXPECT_EQ(LastStatus(), "Upload Cancelled!");
    EXPECT_TRUE(ErrorBoxes().empty());
    EXPECT_EQ(m_dlg->m_progress.GetPos(), n);
    ExpectIdleArrangement();
    ExpectChosenFileUnchanged();
}

INSTANTIATE_TEST_SUITE_P(Alarms, UploadCancelAfter, ::testing::Values(1, 5, ALARM_COUNT));

} // namespace
