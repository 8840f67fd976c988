// Whole transfers through the real window: the Upload or Download button, the confirmation,
// the file choice, the worker against the in-process simulator, and the widgets it leaves.
#include "GuiFixture.h"

#include "app/qt/GuiSettings.h"
#include "sim/OrxSimulator.h"
#include "support/YesAnswers.h"
#include "transfer/ConfigFile.h"
#include "transfer/TransferResults.h"

#include <QLabel>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <fstream>
#include <iterator>

namespace {

constexpr const char* UPLOAD_QUESTION = "Please verify you wish to upload the ORX's configuration.";
// Slow replies keep a transfer running long enough to close the window in its middle.
constexpr int SLOW_REPLY_MS = 40;
constexpr const char* PREVIOUS_CONTENT = "previous configuration\n";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class GuiTransferTest : public MainDialogFixture {
protected:
    void Start(SimulatorOptions options = {}) {
        sim = std::make_unique<OrxSimulator>(std::move(options));
        dlg.m_wPortOverride = sim->Port();
        dlg.m_strInitialHost = "127.0.0.1";
        AnswerYes(frontEnd, asked, target);
        ASSERT_NO_FATAL_FAILURE(Open());
        Click(IDC_UPLOAD);
    }
    QString Status() const { return static_cast<QLabel*>(Item(IDC_STATUS))->text(); }

    QTemporaryDir dir;
    std::string target = (dir.path() + QStringLiteral("/alarms.csv")).toStdString();
    std::unique_ptr<OrxSimulator> sim;
    std::vector<CString> asked;
};

TEST_F(GuiTransferTest, UploadButtonFillsTheFileFromTheDevice) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitUntil([&] {
        return Status() == QStringLiteral("Upload Complete!") && AfxGetWorkerCount() == 0;
    }));
    EXPECT_EQ(asked, std::vector<CString>{UPLOAD_QUESTION});
    std::ifstream file(target);
    ASSERT_TRUE(SkipFileHeader(file));
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        AlarmRecord row;
        ASSERT_EQ(ReadRow(file, row), RowOutcome::Row) << n;
        EXPECT_EQ(row.mode, sim->Alarm(n).mode) << n;
    }
    auto* bar = static_cast<QProgressBar*>(Item(IDC_PROGRESS));
    EXPECT_EQ(bar->maximum(), ALARM_COUNT);
    EXPECT_EQ(bar->value(), ALARM_COUNT);
    EXPECT_TRUE(Item(IDC_UPLOAD)->isEnabled());
    EXPECT_TRUE(Item(IDC_DOWNLOAD)->isEnabled());
    EXPECT_FALSE(Item(IDC_CANCEL_TRANSFER)->isEnabled());
    EXPECT_EQ(dlg.m_transferState.load(), TRANSFER_IDLE);
    EXPECT_TRUE(view->windowTitle().endsWith(QStringLiteral(" — port %1").arg(sim->Port())));
}

// Cancelling itself is checked on the upload worker; here Enter and Esc leave the upload
// alone, the close box asks, and the window keeps painting while it waits for the worker.
TEST_F(GuiTransferTest, ClosingDuringAnUploadAsksThenCancelsItAndWaitsWithoutFreezing) {
    SimulatorOptions options;
    options.delayMs = SLOW_REPLY_MS;
    std::ofstream(target) << PREVIOUS_CONTENT;
    ASSERT_NO_FATAL_FAILURE(Start(std::move(options)));
    ASSERT_TRUE(
        WaitUntil([&] { return Status().startsWith(QStringLiteral("Uploading Alarm 2/")); }));
    EXPECT_TRUE(Item(IDC_CANCEL_TRANSFER)->isEnabled());
    EXPECT_FALSE(Item(IDC_UPLOAD)->isEnabled());
    Address()->field(0)->setFocus();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape})
        QTest::keyClick(Address()->field(0), key);
    view->close(); // the close box, answered Yes
    ASSERT_TRUE(WaitUntil([&] { return Status() == QString::fromLatin1(CLOSING_STATUS_TEXT); }));
    EXPECT_EQ(asked, (std::vector<CString>{UPLOAD_QUESTION, CLOSE_QUESTION}));
    EXPECT_TRUE(view->isVisible()); // still there, and still painting, while the worker stops
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(1);
    ASSERT_TRUE(WaitUntil([&] { return !dlg.ContinueModal(); }));
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(AfxGetWorkerCount(), 0);
    EXPECT_EQ(ReadAll(target), PREVIOUS_CONTENT);
}

// The address and port the dialog closed with and the folder of the file chosen come back
// at the next start, unless the command line gives them.
TEST_F(GuiTransferTest, NextStartGetsTheAddressPortAndFolderOfTheLast) {
    QSettings settings(dir.filePath(QStringLiteral("orx-config.conf")), QSettings::IniFormat);
    KeepGuiSettings(settings, frontEnd);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitUntil([&] {
        return Status() == QStringLiteral("Upload Complete!") && AfxGetWorkerCount() == 0;
    }));
    dlg.m_ipAddress.SetAddress(10, 9, 8, 7);
    dlg.DestroyWindow();
    view = nullptr;

    orxqt::QtFrontEnd next;
    GuiOptions options;
    LoadGuiSettings(settings, options, next);
    EXPECT_EQ(options.host, "10.9.8.7");
    EXPECT_EQ(options.port, sim->Port());
    EXPECT_EQ(next.FileFolder(), dir.path());
    GuiOptions given;
    given.host = "1.2.3.4";
    given.port = MODBUS_TCP_PORT;
    LoadGuiSettings(settings, given, next);
    EXPECT_EQ(given.host, "1.2.3.4");
    EXPECT_EQ(given.port, MODBUS_TCP_PORT);
}

} // namespace
