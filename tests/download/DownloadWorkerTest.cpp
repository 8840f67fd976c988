// The download worker end to end: scripted front end, main dialog, simulated ORX.

#include "DownloadFixture.h"
#include "platform/ui/Thread.h"
#include "sim/RequestHandler.h"

namespace {

constexpr WORD NOT_AN_ORX = 0x1234;
constexpr int WRITES_PER_ALARM = 4;
constexpr int ROWS_IN_SHORT_FILE = 5;
constexpr int BAD_ROW = 5;
constexpr int FAILING_ALARM = 10;
constexpr int CANCELLED_ALARM = 7;
constexpr const char* CSV_FILTER = "Comma Separated Values (*.CSV)|*.CSV|";

bool HasCoil(const std::vector<CoilEvent>& events, WORD address) {
    for (const CoilEvent& event : events)
        if (event.address == address)
            return event.value == COIL_ON;
    return false;
}

std::vector<CString> StatusesUpTo(int last) {
    std::vector<CString> texts{"Connecting to ORX..."};
    for (int n = 1; n <= last; ++n)
        texts.push_back(DownloadStatus(n));
    return texts;
}

std::vector<int> StepsUpTo(int last) {
    std::vector<int> positions;
    for (int n = 0; n <= last; ++n)
        positions.push_back(n);
    return positions;
}

// The request of one write, as the device's log keeps it.
RequestSummary Write(BYTE function, WORD address, WORD quantity) {
    return RequestSummary{SIM_UNIT_ID, function, address, quantity};
}

using DownloadComplete = DownloadFixture;

TEST_F(DownloadComplete, UploadedFileLeavesTheDeviceAsItWas) {
    SimulatorOptions options; // the default image: enabled alarms with distinct values
    StartSimulator(options);
    const DeviceImage before = m_sim->Image();
    ASSERT_EQ(Upload(m_dir.File("uploaded.csv")), RESULT_OK);
    m_sim->ClearLogs();

    ASSERT_EQ(Download(m_dir.File("uploaded.csv")), RESULT_OK);

    EXPECT_EQ(m_sim->Image(), before);
    const std::vector<CoilEvent> coils = m_sim->CoilEvents();
    ASSERT_FALSE(coils.empty());
    EXPECT_EQ(coils.back(), (CoilEvent{COIL_DOWNLOAD_COMPLETE, COIL_ON}));
    EXPECT_FALSE(HasCoil(coils, COIL_DOWNLOAD_ABORTED));
    EXPECT_EQ(m_dlg->m_progress.GetPos(), ALARM_COUNT);
    EXPECT_EQ(LastStatus(), "Download Complete!");
}

TEST_F(DownloadComplete, WritesEveryRowAndReportsEachAlarm) {
    ASSERT_EQ(Download(m_dir.Write("full.csv", FullFileText())), RESULT_OK);

    EXPECT_EQ(DistinctAlarmsOnDevice(), ALARM_COUNT);
    std::vector<CString> statuses = StatusesUpTo(ALARM_COUNT);
    statuses.push_back("Download Complete!");
    EXPECT_EQ(m_fe.Texts(IDC_STATUS), statuses);
    std::vector<int> positions = StepsUpTo(ALARM_COUNT);
    positions.push_back(ALARM_COUNT); // PBM_SETPOS 32 at completion
    EXPECT_EQ(Positions(), positions);
    EXPECT_TRUE(ErrorBoxes().empty());
    ExpectIdleArrangement();
}

TEST_F(DownloadComplete, MakesTheIdentityAndLockReadsThenTheWritesInOrder) {
    ASSERT_EQ(Download(m_dir.Write("full.csv", FullFileText())), RESULT_OK);

    std::vector<RequestSummary> expected{
        Write(FN_READ_INPUT_REGISTERS, REG_IDENTITY, IDENTITY_WORDS),
        Write(FN_READ_DISCRETE_INPUTS, INPUT_CONFIG_LOCKED, 1)};
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        const WORD base = AlarmRegisterAddress(n);
        expected.push_back(Write(FN_WRITE_MULTIPLE_REGISTERS, base, ALARM_WORD_COUNT));
        expected.push_back(Write(FN_WRITE_MULTIPLE_REGISTERS, base + 4, 2));
        expected.push_back(Write(FN_WRITE_MULTIPLE_REGISTERS, base + 6, 2));
        expected.push_back(Write(FN_WRITE_SINGLE_COIL, AlarmFlagAddress(n), 1));
    }
    expected.push_back(Write(FN_WRITE_SINGLE_COIL, COIL_DOWNLOAD_COMPLETE, 1));
    const std::vector<RequestSummary> requests = m_sim->Requests();
    EXPECT_EQ(requests, expected);
    ASSERT_EQ(requests.size(), 2u + WRITES_PER_ALARM * ALARM_COUNT + 1u);
    // Alarm 1 and alarm 32 spelled out.
    EXPECT_EQ(requests[2], Write(FN_WRITE_MULTIPLE_REGISTERS, 3000, 4));
    EXPECT_EQ(requests[3], Write(FN_WRITE_MULTIPLE_REGISTERS, 3004, 2));
    EXPECT_EQ(requests[4], Write(FN_WRITE_MULTIPLE_REGISTERS, 3006, 2));
    EXPECT_EQ(requests[5], Write(FN_WRITE_SINGLE_COIL, 3000, 1));
    const std::size_t last = 2 + WRITES_PER_ALARM * (ALARM_COUNT - 1);
    EXPECT_EQ(requests[last], Write(FN_WRITE_MULTIPLE_REGISTERS, 3248, 4));
    EXPECT_EQ(requests[last + 1], Write(FN_WRITE_MULTIPLE_REGISTERS, 3252, 2));
    EXPECT_EQ(requests[last + 2], Write(FN_WRITE_MULTIPLE_REGISTERS, 3254, 2));
    EXPECT_EQ(requests[last + 3], Write(FN_WRITE_SINGLE_COIL, 3031, 1));
}

TEST_F(DownloadComplete, FaultsFlagIsWrittenOnAndOff) {
    SimulatorOptions options;
    options.image = ZeroedImage();
    options.image.faults.fill(true);
    StartSimulator(options);
    ASSERT_EQ(Download(m_dir.Write("full.csv", FullFileText())), RESULT_OK);
    EXPECT_EQ(DistinctAlarmsOnDevice(), ALARM_COUNT);
}

TEST_F(DownloadComplete, AsksForACsvFileToOpen) {
    ASSERT_EQ(Download(m_dir.Write("full.csv", FullFileText())), RESULT_OK);
    const auto requests = m_fe.FileRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].bOpenFileDialog);
    EXPECT_EQ(requests[0].strDefExt, "csv");
    EXPECT_EQ(requests[0].strFileName, "*.csv");
    EXPECT_EQ(requests[0].dwFlags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    EXPECT_EQ(requests[0].strFilter, CSV_FILTER);
}

TEST_F(DownloadComplete, ShortFileWritesItsRowsAndCompletes) {
    const std::string text = DOWNLOAD_FILE_HEADER + DistinctRows(1, ROWS_IN_SHORT_FILE);
    ASSERT_EQ(Download(m_dir.Write("short.csv", text)), RESULT_OK);

    EXPECT_EQ(DistinctAlarmsOnDevice(), ROWS_IN_SHORT_FILE);
    std::vector<int> positions = StepsUpTo(ROWS_IN_SHORT_FILE);
    positions.push_back(ALARM_COUNT);
    EXPECT_EQ(Positions(), positions);
    EXPECT_TRUE(HasCoil(m_sim->CoilEvents(), COIL_DOWNLOAD_COMPLETE));
    EXPECT_EQ(LastStatus(), "Download Complete!");
}

TEST_F(DownloadComplete, FileEndingInsideItsHeaderWritesOnlyTheCompletionCoil) {
    ASSERT_EQ(Download(m_dir.Write("header.csv", "ORX Configuration\nSun Dec\n")), RESULT_OK);

    EXPECT_TRUE(Requests(FN_WRITE_MULTIPLE_REGISTERS).empty());
    EXPECT_EQ(m_sim->CoilEvents(), (std::vector<CoilEvent>{{COIL_DOWNLOAD_COMPLETE, COIL_ON}}));
    EXPECT_EQ(m_dlg->m_progress.GetPos(), ALARM_COUNT);
    EXPECT_EQ(m_fe.Texts(IDC_STATUS),
              (std::vector<CString>{"Connecting to ORX...", "Download Complete!"}));
}

TEST_F(DownloadComplete, EmptyFileCompletesLikeAFileWithoutRows) {
    ASSERT_EQ(Download(m_dir.Write("empty.csv", "")), RESULT_OK);
    EXPECT_TRUE(Requests(FN_WRITE_MULTIPLE_REGISTERS).empty());
    EXPECT_TRUE(HasCoil(m_sim->CoilEvents(), COIL_DOWNLOAD_COMPLETE));
}

TEST_F(DownloadComplete, RefusedCompletionCoilIsAFailure) {
    SimulatorOptions options;
    options.image = ZeroedImage();
    options.failWrite = {COIL_DOWNLOAD_COMPLETE};
    StartSimulator(options);
    ASSERT_EQ(Download(m_dir.Write("full.csv", FullFileText())), RESULT_DEVICE_ERROR);

    EXPECT_EQ(DistinctAlarmsOnDevice(), ALARM_COUNT);
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"Error downloading!"});
    EXPECT_EQ(LastStatus(), DownloadStatus(ALARM_COUNT));
    EXPECT_EQ(m_dlg->m_progress.GetPos(), ALARM_COUNT);
    ExpectIdleArrangement();
}

using DownloadStopped = DownloadFixture;

TEST_F(DownloadStopped, UnacceptableRowWritesTheRowsBeforeItAndTheAbortCoil) {
    const std::string text = DOWNLOAD_FILE_HEADER + DistinctRows(1, BAD_ROW - 1) +
                             "5,1,1,1,0,0.0000,0.0000,0\n" + DistinctRows(BAD_ROW + 1, 32);
    ASSERT_EQ(Download(m_dir.Write("bad.csv", text)), RESULT_CONFIG_ERROR);

    EXPECT_EQ(DistinctAlarmsOnDevice(), BAD_ROW - 1);
    EXPECT_EQ(Requests(FN_WRITE_MULTIPLE_REGISTERS).size(),
              static_cast<std::size_t>(3 * (BAD_ROW - 1)));
    const std::vector<CoilEvent> coils = m_sim->CoilEvents();
    ASSERT_FALSE(coils.empty());
    EXPECT_EQ(coils.back(), (CoilEvent{COIL_DOWNLOAD_ABORTED, COIL_ON}));
    EXPECT_FALSE(HasCoil(coils, COIL_DOWNLOAD_COMPLETE));
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"Configuration Error!"});
    EXPECT_EQ(m_fe.Texts(IDC_STATUS), StatusesUpTo(BAD_ROW));
    EXPECT_EQ(m_dlg->m_progress.GetPos(), BAD_ROW - 1);
    ExpectIdleArrangement();
}

TEST_F(DownloadStopped, RejectedDeadbandWriteStillMakesTheAlarmsLaterWrites) {
    SimulatorOptions options;
    options.image = ZeroedImage();
    options.failWrite = {static_cast<WORD>(AlarmRegisterAddress(FAILING_ALARM) + 6)};
    StartSimulator(options);
    ASSERT_EQ(Download(m_dir.Write("full.csv", FullFileText())), RESULT_DEVICE_ERROR);

    for (int n = 1; n < FAILING_ALARM; ++n)
        EXPECT_EQ(m_sim->Alarm(n), DistinctAlarm(n)) << n;
    AlarmRecord partly = DistinctAlarm(FAILING_ALARM);
    partly.deadband = 0.0f; // refused; the words, the trip point and the flag went in
    EXPECT_EQ(m_sim->Alarm(FAILING_ALARM), partly);
    for (int n = FAILING_ALARM + 1; n <= ALARM_COUNT; ++n)
        EXPECT_EQ(m_sim->Alarm(n), AlarmRecord{}) << n;
    const std::vector<CoilEvent> coils = m_sim->CoilEvents();
    ASSERT_GE(coils.size(), 2u);
    EXPECT_EQ(coils[coils.size() - 2].address, AlarmFlagAddress(FAILING_ALARM));
    EXPECT_EQ(coils.back(), (CoilEvent{COIL_DOWNLOAD_ABORTED, COIL_ON}));
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"Error downloading!"});
    EXPECT_EQ(LastStatus(), DownloadStatus(FAILING_ALARM));
    EXPECT_EQ(m_dlg->m_progress.GetPos(), FAILING_ALARM);
    ExpectIdleArrangement();
}

TEST_F(DownloadStopped, CancelDuringAnAlarmFinishesItFirst) {
    CancelAt(DownloadStatus(CANCELLED_ALARM));
    ASSERT_EQ(Download(m_dir.Write("full.csv", FullFileText())), RESULT_CANCELLED);

    EXPECT_EQ(DistinctAlarmsOnDevice(), CANCELLED_ALARM);
    const std::vector<CoilEvent> coils = m_sim->CoilEvents();
    ASSERT_FALSE(coils.empty());
    EXPECT_EQ(coils.back(), (CoilEvent{COIL_DOWNLOAD_ABORTED, COIL_ON}));
    EXPECT_FALSE(HasCoil(coils, COIL_DOWNLOAD_COMPLETE));
    EXPECT_EQ(LastStatus(), "Download Cancelled!");
    EXPECT_TRUE(ErrorBoxes().empty());
    EXPECT_EQ(m_dlg->m_progress.GetPos(), CANCELLED_ALARM);
    ExpectIdleArrangement();
}

TEST_F(DownloadStopped, CancelWhileConnectingWritesNothing) {
    CancelAt("Connecting to ORX...");
    ASSERT_EQ(Download(m_dir.Write("full.csv", FullFileText())), RESULT_CANCELLED);

    EXPECT_TRUE(m_sim->Requests().empty());
    EXPECT_EQ(LastStatus(), "Download Cancelled!");
    ExpectIdleArrangement();
}

TEST_F(DownloadStopped, LockedDeviceGetsNoWriteAtAll) {
    m_sim->SetLocked(true);
    ASSERT_EQ(Download(m_dir.Write("full.csv", FullFileText())), RESULT_LOCKED);

    EXPECT_TRUE(Requests(FN_WRITE_MULTIPLE_REGISTERS).empty());
    EXPECT_TRUE(Requests(FN_WRITE_SINGLE_COIL).empty());
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"Error! Configuration Locked!"});
    EXPECT_EQ(LastStatus(), "Error! Configuration Locked!");
    ExpectIdleArrangement();
}

TEST_F(DownloadStopped, WrongDeviceIsRefused) {
    m_sim->SetIdentity(NOT_AN_ORX);
    ASSERT_EQ(Download(m_dir.Write("full.csv", FullFileText())), RESULT_DEVICE_ERROR);

    EXPECT_TRUE(Requests(FN_WRITE_MULTIPLE_REGISTERS).empty());
    EXPECT_TRUE(Requests(FN_WRITE_SINGLE_COIL).empty());
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"This is not an ORX!"});
    EXPECT_EQ(LastStatus(), "Error! Device was not an ORX!");
    ExpectIdleArrangement();
}

TEST_F(DownloadStopped, RefusedConnectionIsReported) {
    const std::string path = m_dir.Write("full.csv", FullFileText());
    ASSERT_EQ(Download(path, RefusingPort()), RESULT_DEVICE_ERROR);

    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"Error connecting to ORX!"});
    EXPECT_EQ(m_fe.Texts(IDC_STATUS),
              (std::vector<CString>{"Connecting to ORX...", "Error connecting to ORX!"}));
    ExpectIdleArrangement();
}

TEST_F(DownloadStopped, MissingFileIsReportedBeforeConnecting) {
    ASSERT_EQ(Download(m_dir.File("missing.csv")), RESULT_FILE_ERROR);

    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"Error opening file!"});
    EXPECT_TRUE(m_fe.Texts(IDC_STATUS).empty());
    EXPECT_TRUE(m_sim->Requests().empty());
    ExpectIdleArrangement();
}

TEST_F(DownloadStopped, EmptyPathAsksForAFile) {
    ASSERT_EQ(Download(""), RESULT_NO_FILE);

    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"Please select a file."});
    EXPECT_TRUE(m_sim->Requests().empty());
    ExpectIdleArrangement();
}

TEST_F(DownloadStopped, DismissedFileDialogTouchesNothing) {
    m_fe.AnswerMessageBox(IDYES);
    m_fe.CancelFileDialog();
    m_dlg->m_btnDownload.SendMessage(BM_CLICK);
    AfxWaitForWorkers();

    EXPECT_EQ(m_fe.ExitCodes(), std::vector<UINT>{RESULT_NO_FILE});
    EXPECT_TRUE(m_fe.Events(CUiEvent::Enabled).empty());
    EXPECT_TRUE(Positions().empty());
    EXPECT_TRUE(m_fe.Texts(IDC_STATUS).empty());
    EXPECT_EQ(m_dlg->m_transferState.load(), TRANSFER_DOWNLOAD);
}

TEST(DownloadRoundTrip, UploadFromOneDeviceDownloadIntoAnother) {
    CScriptedFrontEnd fe;
    CFrontEndScope scope(fe);
    DownloadScratch dir;
    SimulatorOptions sourceOptions; // default image
    sourceOptions.image.faults[ALARM_COUNT - 1] = true;
    OrxSimulator source(sourceOptions);
    SimulatorOptions targetOptions;
    targetOptions.image = ZeroedImage();
    OrxSimulator target(targetOptions);
    CORXConfigurationDlg dlg;
    dlg.m_strInitialHost = "127.0.0.1";
    dlg.Create();
    const CString path = dir.File("round.csv").c_str();

    dlg.m_wPortOverride = source.Port();
    fe.AnswerMessageBox(IDYES);
    fe.AnswerFileDialog(path);
    dlg.m_btnUpload.SendMessage(BM_CLICK);
    AfxWaitForWorkers();
    dlg.m_wPortOverride = target.Port();
    fe.AnswerMessageBox(IDYES);
    fe.AnswerFileDialog(path);
    dlg.m_btnDownload.SendMessage(BM_CLICK);
    AfxWaitForWorkers();

    EXPECT_EQ(fe.ExitCodes(), (std::vector<UINT>{RESULT_OK, RESULT_OK}));
    EXPECT_EQ(target.Image().alarmRegisters, source.Image().alarmRegisters);
    EXPECT_EQ(target.Image().faults, source.Image().faults);
    for (int n = 1; n <= ALARM_COUNT; ++n)
        EXPECT_EQ(target.Alarm(n), source.Alarm(n)) << n;
}

} // namespace
