// A transfer through the real window: the Upload button, the confirmation, the file choice,
// the worker against the in-process simulator, the widgets it changes, and closing in its
// middle. How an upload ends is checked on the upload worker.
#include "GuiFixture.h"

#include "app/qt/GuiSettings.h"
#include "app/qt/SessionEnd.h"
#include "platform/ui/FileDialog.h"
#include "sim/OrxSimulator.h"
#include "sim/SimConfigFile.h"
#include "transfer/RegisterMap.h"
#include "transfer/TransferJobs.h"
#include "transfer/TransferResults.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <unistd.h>

// Options are given by name; the ones left out keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// Slow replies keep a transfer running long enough to close the window in its middle.
constexpr int SLOW_REPLY_MS = 40;
constexpr const char* PREVIOUS_CONTENT = "previous configuration\n";

// A slow simulator on loopback, the dialog pointed at it, and a user who answers Yes and
// chooses file.
class GuiTransferTest : public GuiTest {
protected:
    GuiTransferTest() {
        settings.device = {"127.0.0.1", sim.Port()};
        answers.SetMessageBoxAnswer([this](const CString& text, UINT type) {
            asked.push_back(text);
            return static_cast<int>((type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK);
        });
        answers.SetFileAnswer([this](const CFileRequest&, CString& chosen) {
            chosen = file.c_str();
            return static_cast<INT_PTR>(IDOK);
        });
    }
    QTemporaryDir dir;
    const std::string file = (dir.path() + QStringLiteral("/alarms.csv")).toStdString();
    OrxSimulator sim{SimulatorOptions{.delayMs = SLOW_REPLY_MS}};
    std::vector<CString> asked;
};

// Enter and Esc leave the upload alone, the close box asks, and the window keeps painting
// while it waits for the worker. The address the dialog closed with and the folder of the file
// chosen come back at the next start, unless the command line gives them; the port never does.
TEST_F(GuiTransferTest, ClosingDuringAnUploadCancelsItWithoutFreezingAndKeepsTheSettings) {
    QSettings settings(dir.filePath(QStringLiteral("orx-config.conf")), QSettings::IniFormat);
    KeepGuiSettings(settings, frontEnd);
    std::ofstream(file) << PREVIOUS_CONTENT;
    ASSERT_NO_FATAL_FAILURE(Open());
    EXPECT_TRUE(view->windowTitle().endsWith(QStringLiteral(" — port %1").arg(sim.Port())));
    QTest::mouseClick(Item(IDC_UPLOAD), Qt::LeftButton);
    const auto status = [&] { return static_cast<QLabel*>(Item(IDC_STATUS))->text(); };
    ASSERT_TRUE(
        WaitUntil([&] { return status().startsWith(QStringLiteral("Uploading Alarm 2/")); }));
    auto* bar = static_cast<QProgressBar*>(Item(IDC_PROGRESS));
    EXPECT_EQ(bar->maximum(), ALARM_COUNT);
    EXPECT_GE(bar->value(), 1);
    EXPECT_TRUE(Item(IDC_CANCEL_TRANSFER)->isEnabled());
    EXPECT_FALSE(Item(IDC_UPLOAD)->isEnabled());
    dlg.GetDlgItem(IDC_IPADDRESS)->SendMessage(IPM_SETADDRESS, 0, 0x0A090807);
    Address()->field(0)->setFocus();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape})
        QTest::keyClick(Address()->field(0), key);
    view->close(); // the close box, answered Yes
    ASSERT_TRUE(WaitUntil([&] { return status() == QString::fromLatin1(CLOSING_STATUS_TEXT); }));
    EXPECT_EQ(asked, (std::vector<CString>{UPLOAD_QUESTION, CLOSE_QUESTION}));
    EXPECT_TRUE(view->isVisible()); // still there, and still painting, while the worker stops
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(1);
    ASSERT_TRUE(WaitUntil([&] { return !dlg.ContinueModal(); }));
    EXPECT_GT(ticks, 0);
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), PREVIOUS_CONTENT);
    dlg.DestroyWindow();
    view = nullptr;

    GuiOptions remembered, given;
    given.host = "1.2.3.4";
    given.port = MODBUS_TCP_PORT;
    AfxSetFileFolder("");
    LoadGuiSettings(settings, remembered);
    EXPECT_EQ(std::tie(remembered.host, remembered.port), std::make_tuple("10.9.8.7", WORD(0)));
    EXPECT_EQ(AfxGetFileFolder().str(), dir.path().toStdString());
    LoadGuiSettings(settings, given);
    EXPECT_EQ(std::tie(given.host, given.port), std::make_tuple("1.2.3.4", MODBUS_TCP_PORT));
}

// SIGTERM (log-out, a terminal closing) during a download is the close box answered Yes: the
// alarm in progress is finished, the abort coil set, nothing more asked, and the dialog
// closes once the worker has ended.
TEST_F(GuiTransferTest, SigtermDuringADownloadCancelsItAsTheCloseBoxDoes) {
    ASSERT_TRUE(SaveConfigFile(file, sim.Image()));
    settings.backup = {};
    SessionEnd sessionEnd(frontEnd);
    ASSERT_NO_FATAL_FAILURE(Open());
    const auto alarmsBegun = [&] { // each begins with the write of its words
        return static_cast<std::size_t>(std::ranges::count_if(sim.Requests(), [](const auto& r) {
            return r.function == FN_WRITE_MULTIPLE_REGISTERS && r.quantity == ALARM_WORD_COUNT;
        }));
    };
    QTest::mouseClick(Item(IDC_DOWNLOAD), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return alarmsBegun() >= 2; }));
    kill(getpid(), SIGTERM);
    ASSERT_TRUE(WaitUntil([&] { return !dlg.ContinueModal(); }));
    EXPECT_EQ(asked, std::vector<CString>{DOWNLOAD_QUESTION});
    const std::vector<CoilEvent> coils = sim.CoilEvents();
    ASSERT_FALSE(coils.empty());
    EXPECT_EQ(coils.back(), (CoilEvent{COIL_DOWNLOAD_ABORTED, COIL_ON}));
    EXPECT_LT(alarmsBegun(), static_cast<std::size_t>(ALARM_COUNT));
    EXPECT_EQ(coils.size(), alarmsBegun() + 1) << "every alarm begun got its faults coil";
}
