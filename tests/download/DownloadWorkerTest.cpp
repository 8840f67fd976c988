// The download worker end to end: scripted front end, main dialog, simulated ORX.

#include "DownloadFixture.h"
#include "cli/TerminalView.h"

#include <cmath>
#include <gmock/gmock.h>

namespace {

constexpr WORD NOT_AN_ORX = 0x1234;
constexpr int FAILING_ALARM = 10;
constexpr int CANCELLED_ALARM = 7;
constexpr WORD DEADBAND_OFFSET = 6;

class DownloadRun : public DownloadFixture {
protected:
    // The download as orx-transfer runs it on view, backing up into backup.csv.
    UINT OnTerminal(CTerminalView& view, DownloadReport* report = nullptr) {
        CRemoteModbus modbus;
        return RunDownloadJob({"127.0.0.1", m_sim->Port()}, modbus, view,
                              {{BackupPlan::Kind::File, m_dir.File("backup.csv")}, {}}, report);
    }
};

// Upload from one device, download into a second one: they then hold the same, NaN and
// infinity in disabled alarms and faults flags off included.
TEST_F(DownloadRun, AnUploadedFileDownloadsIntoTheSameAlarms) {
    SimulatorOptions options; // the default image: enabled alarms with distinct values
    options.image.faults[ALARM_COUNT - 1] = true;
    SetAlarm(options.image, 4, {0, 9, 0, 0, -NAN, -INFINITY, true});
    SetAlarm(options.image, 6, {0, 0, 0, 0, INFINITY, NAN, false});
    StartSimulator(options);
    const DeviceImage source = m_sim->Image();
    ASSERT_EQ(Upload(m_dir.File("uploaded.csv")), RESULT_OK);
    options = ZeroedDevice();
    options.image.faults.fill(true);
    StartSimulator(options);
    ASSERT_EQ(Download(m_dir.File("uploaded.csv")), RESULT_OK);
    EXPECT_EQ(m_sim->Image().alarmRegisters, source.alarmRegisters);
    EXPECT_EQ(m_sim->Image().faults, source.faults);
    ExpectEndCoil(COIL_DOWNLOAD_COMPLETE);
    ExpectEnd(nullptr, "Download Complete!", ALARM_COUNT);
    const std::string backup = "Backup of the previous configuration: " + Backups().at(0).path;
    EXPECT_EQ(BoxesOf(MB_ICONINFORMATION | MB_OK, &CUiEvent::detail),
              std::vector<CString>{backup.c_str()});
    EXPECT_TRUE(m_fe.FileRequests().back().bOpenFileDialog);
}

// A device that refuses the abort coil is asked once, and the person learns that it was not told.
TEST_F(DownloadRun, RejectedDeadbandWriteStillMakesTheAlarmsLaterWrites) {
    SimulatorOptions options = ZeroedDevice();
    options.failWrite = {static_cast<WORD>(AlarmRegisterAddress(FAILING_ALARM) + DEADBAND_OFFSET),
                         COIL_DOWNLOAD_ABORTED};
    StartSimulator(options);
    ASSERT_EQ(DownloadFull(), RESULT_DEVICE_ERROR);
    AlarmRecord expected = DistinctAlarm(FAILING_ALARM); // the alarms around it: the sweep's
    expected.deadband = 0.0f; // refused; the words, the trip point and the flag went in
    EXPECT_EQ(m_sim->Alarm(FAILING_ALARM), expected);
    EXPECT_EQ(m_sim->CoilEvents().back().address, AlarmFlagAddress(FAILING_ALARM));
    EXPECT_EQ(Requests(FN_WRITE_SINGLE_COIL).size(), FAILING_ALARM + 1u);
    EXPECT_THAT(
        ErrorDetails().back().str(),
        ::testing::EndsWith("alarms 1 to 9 were written; alarm 10 may be partly written; 11 "
                            "to 32 still hold the device's previous configuration; the ORX "
                            "was not told the download stopped (abort coil not set): write "
                            "single coil 3394: device exception 4 (server device failure)"));
    EXPECT_THAT(BoxesOf(RESTORE_OFFER_BOX).at(0).str(),
                ::testing::HasSubstr("\nThe ORX was not told the download stopped (abort coil "
                                     "not set).\nBackup of the previous configuration: "));
}

// Cancelled once the backup is in place, as by a Ctrl-C while it is synced, renamed or pruned.
struct CancelledOnceBackedUp : CTerminalView {
    using CTerminalView::CTerminalView;
    bool IsCancelled() override { return std::filesystem::exists(backup); }
    std::string backup;
};

// A cancel finishes the alarm being written; before the first write, while connecting or while
// the backup is put in place, it writes nothing.
TEST_F(DownloadRun, CancelFinishesTheAlarmOrWritesNothingBeforeTheFirstWrite) {
    CancelAt(DownloadStatus(CANCELLED_ALARM));
    ASSERT_EQ(DownloadFull(), RESULT_CANCELLED);
    EXPECT_EQ(DistinctAlarmsOnDevice(), CANCELLED_ALARM);
    ExpectEndCoil(COIL_DOWNLOAD_ABORTED);
    ExpectEnd(nullptr, "Download Cancelled!", CANCELLED_ALARM);
    StartSimulator(m_device);
    CancelAt(CONNECTING_TEXT);
    ASSERT_EQ(DownloadFull(), RESULT_CANCELLED);
    EXPECT_TRUE(m_sim->Requests().empty());
    ExpectEnd(nullptr, "Download Cancelled!", 0);
    SimulatorOptions refusing = ZeroedDevice(); // a cancel the device was not told of is shown
    refusing.failWrite = {COIL_DOWNLOAD_ABORTED};
    StartSimulator(refusing);
    CancelAt(DownloadStatus(CANCELLED_ALARM));
    ASSERT_EQ(DownloadFull(), RESULT_CANCELLED);
    EXPECT_THAT(ErrorDetails().at(0).str(),
                ::testing::StartsWith("cancelled; alarms 1 to 7 were written; 8 to 32 still hold "
                                      "the device's previous configuration; the ORX was not told "
                                      "the download stopped (abort coil not set): "));
    EXPECT_EQ(LastStatus(), "Download Cancelled!");
    StartSimulator(m_device);
    std::ostringstream err;
    CancelledOnceBackedUp view(m_dir.Write("full.csv", FullFileText()), err,
                               {.redraw = true, .yes = true, .columns = 40});
    view.backup = m_dir.File("backup.csv");
    DownloadReport report;
    EXPECT_EQ(OnTerminal(view, &report), RESULT_CANCELLED);
    EXPECT_EQ(m_sim->Requests().size(), 99u) << "identity, lock and backup reads only";
    EXPECT_EQ(ReadLines(report.backupPath).size(), 38u) << "the backup stays and is named";
    EXPECT_THAT(err.str(), // the backup counts on the progress line, the writes from 0 again
                ::testing::EndsWith("Backing up ORX... 32/32\r\033[K0/32 Download Cancelled!\n"));
}

// A download stopped after its first write says how far it got, whether the device was told and
// where its backup is, and offers it back (No by default: the cancel above left the device
// alone); Yes puts it back on the same worker.
TEST_F(DownloadRun, StoppedDownloadOffersItsBackupAndYesPutsItBack) {
    CancelAt(DownloadStatus(CANCELLED_ALARM));
    m_fe.AnswerMessageBox(IDYES);
    ASSERT_EQ(DownloadFull(), RESULT_OK);
    EXPECT_EQ(DistinctAlarmsOnDevice(), 0) << "the device as it was before the download";
    const std::vector<BackupFile> made = Backups(); // before the download, before the restore
    ASSERT_EQ(made.size(), 2u);
    const std::string offer = "Download Cancelled!\n\nAlarms 1 to 7 were written; 8 to 32 still "
                              "hold the device's previous configuration.\nThe ORX was told the "
                              "download stopped (abort coil set).\nBackup of the previous "
                              "configuration: " +
                              made[0].path + "\n\nRestore this backup now?";
    EXPECT_EQ(BoxesOf(RESTORE_OFFER_BOX), std::vector<CString>{offer.c_str()});
    EXPECT_EQ(BoxesOf(), std::vector<CString>{"Download Complete!"});
    ExpectIdleArrangement();
}

// The menu's restore names the newest backup's date and puts it back; its verify says that the
// device holds the file or lists the differences; neither starts while a transfer runs.
TEST_F(DownloadRun, MenuRestoresTheNewestBackupAndVerifiesAFile) {
    EXPECT_EQ(Menu(IDM_RESTORE), RESULT_NO_FILE);
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{"No backup of ORX 1234567."});
    const std::string full = m_dir.Write("full.csv", FullFileText());
    m_fe.OnText(IDC_STATUS, DownloadStatus(2),
                [this] { m_dlg->SendMessage(WM_SYSCOMMAND, IDM_VERIFY); });
    ASSERT_EQ(Download(full), RESULT_OK);
    m_fe.AnswerFileDialog(full.c_str());
    EXPECT_EQ(Menu(IDM_VERIFY), RESULT_OK);
    EXPECT_EQ(BoxesOf().back(), VERIFY_SAME);
    m_fe.AnswerMessageBox(IDYES);
    EXPECT_EQ(Menu(IDM_RESTORE), RESULT_OK);
    EXPECT_EQ(DistinctAlarmsOnDevice(), 0);
    const std::string question = "Restore the backup of ORX 1234567 made " +
                                 Backups().at(0).Made().substr(0, 16) +
                                 " to the ORX at 127.0.0.1:" + std::to_string(m_sim->Port()) + '?';
    EXPECT_EQ(BoxesOf(MB_YESNO | MB_ICONQUESTION), std::vector<CString>{question.c_str()});
    m_fe.AnswerFileDialog(full.c_str());
    EXPECT_EQ(Menu(IDM_VERIFY), RESULT_DIFFERENT);
    EXPECT_EQ(m_fe.FileRequests().back().strTitle, "Choose File to Verify");
    EXPECT_THAT(ErrorDetails().back().str(), // 20 lines, as many as a box can show
                ::testing::EndsWith(" more (orx-transfer verify lists them all)"));
    EXPECT_THAT(ErrorBoxes().back().str(),
                ::testing::StartsWith("The ORX differs from this file in "));
    // Exactly as many differences as the box shows: all of them, no "more" line.
    const std::string twenty = DistinctRows(1, 3) + "4,0,0,0,0,0.0000,0.0000,1\n";
    m_fe.AnswerFileDialog(m_dir.Write("twenty.csv", DOWNLOAD_FILE_HEADER + twenty).c_str());
    EXPECT_EQ(Menu(IDM_VERIFY), RESULT_DIFFERENT);
    EXPECT_THAT(ErrorDetails().back().str(),
                ::testing::EndsWith("\nalarm 4 enunciate system faults: file 1, device 0"));
    ExpectIdleArrangement();
}

// A file with warnings is asked about again, before anything is written, with its warnings (ten
// at most) and Cancel as the default: Cancel writes nothing, Continue downloads.
TEST_F(DownloadRun, FileWithWarningsAsksAgainListingThem) {
    std::string rows;
    for (int n = 1; n <= 12; ++n)
        rows += std::to_string(n) + ",1.9,2,1,0,0,0,0\n";
    const std::string lax = m_dir.Write("lax.csv", DOWNLOAD_FILE_HEADER + rows);
    m_fe.OnText(IDC_STATUS, CONNECTING_TEXT, [this] { m_fe.AnswerMessageBox(IDCANCEL); });
    EXPECT_EQ(Download(lax), RESULT_CANCELLED);
    EXPECT_TRUE(m_sim->CoilEvents().empty() && Requests(FN_WRITE_MULTIPLE_REGISTERS).empty());
    EXPECT_EQ(LastStatus(), "Download Cancelled!");
    ExpectIdleArrangement();
    ASSERT_EQ(Download(lax), RESULT_OK); // the scripted answer: Continue
    EXPECT_EQ(m_sim->Alarm(12).mode, 1);
    constexpr UINT WARNINGS_BOX = MB_ICONEXCLAMATION | MB_CONTINUECANCEL;
    EXPECT_EQ(BoxesOf(WARNINGS_BOX).back(),
              "The file has 12 warnings: the ORX will not hold exactly what it says.");
    EXPECT_THAT(BoxesOf(WARNINGS_BOX, &CUiEvent::detail).back().str(),
                ::testing::AllOf(::testing::StartsWith("row 1, line 6: field 2 (mode) \"1.9\" "
                                                       "read as 1\nrow 2, line 7: "),
                                 ::testing::EndsWith("read as 1\n... and 2 more (orx-transfer "
                                                     "check FILE lists them all)")));
}

// An exception in a worker (here one that the interface thread meets while it shows a status
// text) ends the transfer as an error that tells the exception's text, not the program.
TEST_F(DownloadRun, UnexpectedExceptionEndsTheTransferAsAnError) {
    const auto fail = [] { throw std::runtime_error("out of order"); };
    const std::string kept = m_dir.Write("kept.csv", "kept\n");
    m_fe.OnText(IDC_STATUS, Numbered("Uploading Alarm %d/32...", 3), fail);
    EXPECT_EQ(Upload(kept), RESULT_INTERNAL_ERROR);
    EXPECT_EQ(ReadText(kept), "kept\n");
    EXPECT_EQ(m_dir.Entries(), std::vector<std::string>{"kept.csv"}) << "no temporary left";
    ExpectEnd("Error uploading!", Numbered("Uploading Alarm %d/32...", 3), 2);
    m_fe.OnText(IDC_STATUS, DownloadStatus(CANCELLED_ALARM), fail);
    EXPECT_EQ(DownloadFull(), RESULT_INTERNAL_ERROR);
    ExpectEndCoil(COIL_DOWNLOAD_ABORTED);
    EXPECT_EQ(ErrorBoxes().back(), "Error downloading!");
    EXPECT_EQ(ErrorDetails().back(), "out of order; alarms 1 to 6 were written; 7 to 32 still "
                                     "hold the device's previous configuration; the ORX was told "
                                     "the download stopped (abort coil set)");
    ExpectIdleArrangement();
}

// Downloads refused before any write: by the device, the connection or the file.
struct Refusal {
    const char* name;
    void (*arrange)(OrxSimulator&);
    const char* file; // nullptr: a full file; an empty path is the file jobs' test
    UINT result;
    const char* box;
    const char* status;            // nullptr: the status line is never set
    const char* detail;            // how the box's detail ends
    const char* backups = nullptr; // the backup folder; nullptr: the fixture's
};

class DownloadRefused : public DownloadFixture, public ::testing::WithParamInterface<Refusal> {};

TEST_P(DownloadRefused, WritesNothing) {
    const Refusal& c = GetParam();
    if (c.arrange)
        c.arrange(*m_sim);
    if (c.backups)
        m_settings.backup.path = c.backups;
    ASSERT_EQ(c.file ? Download(c.file) : DownloadFull(), c.result);
    EXPECT_TRUE(Requests(FN_WRITE_MULTIPLE_REGISTERS).empty() &&
                Requests(FN_WRITE_SINGLE_COIL).empty());
    EXPECT_EQ(ErrorBoxes(), std::vector<CString>{c.box});
    EXPECT_THAT(ErrorDetails().at(0).str(), ::testing::EndsWith(c.detail));
    using Texts = std::vector<CString>; // without a status the device is not contacted
    EXPECT_EQ(m_fe.Texts(IDC_STATUS), (c.status ? Texts{CONNECTING_TEXT, c.status} : Texts{}));
    EXPECT_TRUE(c.status || m_sim->Requests().empty());
    ExpectIdleArrangement();
}

const Refusal REFUSALS[] = {
    {"Locked", [](OrxSimulator& sim) { sim.SetLocked(true); }, nullptr, RESULT_LOCKED,
     "Error! Configuration Locked!", "Error! Configuration Locked!",
     "Unlock the configuration at the device, then download again."},
    {"NotAnOrx", [](OrxSimulator& sim) { sim.SetIdentity(NOT_AN_ORX); }, nullptr,
     RESULT_DEVICE_ERROR, "This is not an ORX!", "Error! Device was not an ORX!",
     "identity register 3495 holds 0x1234, 0x52C7 expected\nThe address answers, but not as an "
     "ORX alarm device: check the address."},
    {"Refused", [](OrxSimulator& sim) { sim.Stop(); }, nullptr, RESULT_DEVICE_ERROR,
     "Error connecting to ORX!", "Error connecting to ORX!",
     " of the device is reachable from this computer."},
    {"MissingFile", nullptr, "/nonexistent/missing.csv", RESULT_FILE_ERROR, "Error opening file!",
     nullptr, "/nonexistent/missing.csv: No such file or directory"},
    {"NoBackupFolder", nullptr, nullptr, RESULT_FILE_ERROR, "Error writing to file!", BACKUP_TEXT,
     "nothing written: /proc/orx-backups: No such file or directory", "/proc/orx-backups"}};

INSTANTIATE_TEST_SUITE_P(Cases, DownloadRefused, ::testing::ValuesIn(REFUSALS),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
