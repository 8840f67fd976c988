// The upload worker end to end: scripted front end, main dialog, simulated ORX.

#include "support/UploadFixture.h"

#include <climits>
#include <csignal>
#include <gmock/gmock.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <tuple>

namespace {

constexpr int CONNECTING = 0; // cancel point before the first alarm

using UploadRun = UploadFixture;

TEST_F(UploadRun, SuccessWritesTheDevicesAlarmsAndReportsEachStep) {
    ASSERT_EQ(Upload(), RESULT_OK); // its rows: the download's round trip
    EXPECT_EQ(ReadLines(m_target).at(2), "Serial Number: " + std::to_string(DEFAULT_SIM_SERIAL));
    std::vector<CString> statuses = Steps(UPLOAD_STEP, ALARM_COUNT);
    statuses.push_back("Upload Complete!");
    EXPECT_EQ(m_fe.Texts(IDC_STATUS), statuses);
    EXPECT_EQ(Positions(), CountTo(ALARM_COUNT));
    EXPECT_EQ(m_fe.Events(CUiEvent::ProgressRange).at(0).value2, ALARM_COUNT);
    const CFileRequest r = m_fe.FileRequests().at(0); // a .csv file to save
    EXPECT_EQ(
        std::tie(r.strDefExt, r.strFileName, r.strTitle, r.strFilter, r.dwFlags, r.bOpenFileDialog),
        std::make_tuple(CString("csv"), CString(""), CString("Save Upload As"),
                        CString("Comma Separated Values (*.CSV)|*.CSV|"),
                        static_cast<DWORD>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT), FALSE));
    std::vector<int> enabling; // button id, then 0 or 1
    for (const CUiEvent& e : m_fe.Events(CUiEvent::Enabled))
        enabling.insert(enabling.end(), {e.id, e.value});
    EXPECT_EQ(enabling, (std::vector{IDC_UPLOAD, 0, IDC_DOWNLOAD, 0, IDC_CANCEL_TRANSFER, 1,
                                     IDC_UPLOAD, 1, IDC_DOWNLOAD, 1, IDC_CANCEL_TRANSFER, 0}));
    EXPECT_EQ(m_dlg->GetIcon(FALSE).nResourceId, static_cast<UINT>(IDR_MAINFRAME));
    EXPECT_EQ(m_dlg->GetSystemMenu(FALSE)->Items().at(0).nFlags, static_cast<UINT>(MF_SEPARATOR));
    ExpectEnd(nullptr, "Upload Complete!", ALARM_COUNT);
    // The next save is named after the device, but not at an address never identified.
    Upload(), Upload(RefusingPort());
    const auto files = m_fe.FileRequests();
    EXPECT_EQ(
        std::pair(files.at(1).strFileName, files.at(2).strFileName),
        std::pair(CString(UploadFileName(DEFAULT_SIM_SERIAL, std::time(nullptr))), CString()));
}

// A No to the confirmation starts nothing; a dismissed file dialog ends the worker at once.
TEST_F(UploadRun, NoOrDismissedFileDialogChangesNothing) {
    m_fe.AnswerMessageBox(IDNO);
    m_dlg->GetDlgItem(IDC_UPLOAD)->SendMessage(BM_CLICK);
    EXPECT_TRUE(m_fe.FileRequests().empty() && !m_dlg->IsTransferRunning());
    m_fe.AnswerMessageBox(IDYES);
    m_fe.CancelFileDialog();
    m_dlg->GetDlgItem(IDC_UPLOAD)->SendMessage(BM_CLICK);
    AfxWaitForWorkers();
    EXPECT_EQ(m_fe.ExitCodes(), std::vector<UINT>{RESULT_NO_FILE});
    EXPECT_TRUE(ErrorBoxes().empty() && m_fe.Events(CUiEvent::Enabled).empty() &&
                m_fe.Texts(IDC_STATUS).empty() && Positions().empty());
    ExpectChosenFileUnchanged();
}

// Refused before the device is contacted: a file that cannot be opened (an empty name is the
// file jobs' test).
TEST_F(UploadRun, UnusableFileNamesStopBeforeTheDevice) {
    std::filesystem::create_directory(m_dir.Path() / "folder.csv");
    const std::pair<std::string, const char*> cases[] = {
        // the path, how the detail ends
        {m_dir.File("missing/config.csv"), "missing/config.csv: No such file or directory"},
        {m_dir.File("folder.csv"), "folder.csv: not a regular file"}};
    for (const auto& [path, cause] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(Upload(path, m_sim->Port()), RESULT_FILE_ERROR);
        EXPECT_EQ(ErrorBoxes().back(), "Error writing to file!");
        EXPECT_THAT(ErrorDetails().back().str(), ::testing::EndsWith(cause));
        EXPECT_TRUE(m_fe.Texts(IDC_STATUS).empty() && m_sim->Requests().empty());
        ExpectIdleArrangement();
    }
    EXPECT_EQ(ErrorBoxes().size(), 2u);
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.Path() / "folder.csv"));
    EXPECT_EQ(ReadText(m_target), PREVIOUS_CONTENT);
}

// A file size limit makes the writes fail after the device was read completely.
TEST_F(UploadRun, FailedWriteIsReportedInsteadOfComplete) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{64, saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const UINT result = Upload();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(result, RESULT_FILE_ERROR);
    ExpectEnd("Error writing to file!", UploadStatus(ALARM_COUNT), ALARM_COUNT);
    ExpectChosenFileUnchanged();
}

// What the chosen name stands for is replaced: a link's target, with the owner, group and
// permissions it had; and a name as long as a folder takes one.
TEST_F(UploadRun, ReplacedFileKeepsItsLinkOwnerAndMode) {
    constexpr mode_t MODE = 0640;
    constexpr uid_t OTHER_ID = 65534; // any owner but the one running the test
    const bool root = geteuid() == 0;
    const std::string real = m_dir.Write("real.csv", PREVIOUS_CONTENT);
    ASSERT_EQ(chmod(real.c_str(), MODE), 0);
    ASSERT_TRUE(!root || chown(real.c_str(), OTHER_ID, OTHER_ID) == 0); // checked at the end
    std::filesystem::create_symlink("real.csv", m_dir.Path() / "link.csv");
    ASSERT_EQ(Upload(m_dir.File("link.csv"), m_sim->Port()), RESULT_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir.Path() / "link.csv"));
    EXPECT_EQ(ReadLines(real).size(), static_cast<std::size_t>(CONFIG_FILE_LINES));
    struct stat after {};
    ASSERT_EQ(stat(real.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, MODE);
    const std::string longest = std::string(NAME_MAX - 4, 'n') + ".csv";
    ASSERT_EQ(Upload(m_dir.File(longest), m_sim->Port()), RESULT_OK);
    EXPECT_EQ(m_dir.Entries(),
              (std::vector<std::string>{"config.csv", "link.csv", longest, "real.csv"}));
    if (!root)
        GTEST_SKIP() << "only root can give the file another owner";
    EXPECT_EQ(std::pair(after.st_uid, after.st_gid), std::pair(OTHER_ID, OTHER_ID));
}

// A refused connection keeps the present and the absent file; addresses that can never be a
// device are not tried: 0.0.0.0 would reach the simulator listening on every address.
TEST_F(UploadRun, RefusedConnectionAndImpossibleAddressesKeepTheFile) {
    EXPECT_EQ(Upload(RefusingPort()), RESULT_DEVICE_ERROR);
    ExpectEnd("Error connecting to ORX!", "Error connecting to ORX!", 0);
    EXPECT_EQ(m_fe.Texts(IDC_STATUS), (std::vector<CString>{CONNECTING_TEXT, LastStatus()}));
    EXPECT_EQ(Upload(m_dir.File("absent.csv"), RefusingPort()), RESULT_DEVICE_ERROR);
    SimulatorOptions everywhere;
    everywhere.listenAddress = "0.0.0.0";
    StartSimulator(everywhere);
    for (const DWORD address : {0x00000000u, 0xFFFFFFFFu, 0xE0000001u}) {
        m_dlg->GetDlgItem(IDC_IPADDRESS)->SendMessage(IPM_SETADDRESS, 0, address);
        EXPECT_EQ(Upload(), RESULT_DEVICE_ERROR);
    }
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>(5, "Error connecting to ORX!"));
    EXPECT_TRUE(m_sim->Requests().empty());
    ExpectChosenFileUnchanged();
}

class UploadCancel : public UploadFixture, public ::testing::WithParamInterface<int> {};

TEST_P(UploadCancel, StopsAtTheAlarmAndKeepsTheFile) {
    const int n = GetParam();
    CancelAt(n == CONNECTING ? CString(CONNECTING_TEXT) : UploadStatus(n));
    EXPECT_EQ(Upload(), RESULT_CANCELLED);
    ExpectEnd(nullptr, "Upload Cancelled!", n);
    ExpectChosenFileUnchanged();
    EXPECT_EQ(m_sim->Requests().empty(), n == CONNECTING) << "not even the identity is read";
}

INSTANTIATE_TEST_SUITE_P(Points, UploadCancel, ::testing::Values(CONNECTING, 1, 5, ALARM_COUNT));

} // namespace
