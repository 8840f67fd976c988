// Whole transfers through the real window: the Upload button, the confirmation, the file
// choice, the worker against the in-process simulator, and the widgets it leaves.
#include "GuiFixture.h"

#include "app/qt/GuiSettings.h"
#include "sim/OrxSimulator.h"
#include "support/YesAnswers.h"
#include "transfer/TransferResults.h"

#include <QLabel>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

constexpr const char* UPLOAD_QUESTION = "Please verify you wish to upload the ORX's configuration.";
// Slow replies keep a transfer running long enough to close the window in its middle.
constexpr int SLOW_REPLY_MS = 40;
constexpr const char* PREVIOUS_CONTENT = "previous configuration\n";
constexpr long UPLOADED_LINES = 38; // the header lines and one row per alarm

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

// The address and port the dialog closed with and the folder of the file chosen come back
// at the next start, unless the command line gives them.
TEST_F(GuiTransferTest, UploadButtonFillsTheFileAndTheNextStartGetsAddressPortAndFolder) {
    QSettings settings(dir.filePath(QStringLiteral("orx-config.conf")), QSettings::IniFormat);
    KeepGuiSettings(settings, frontEnd);
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitUntil([&] {
        return Status() == QStringLiteral("Upload Complete!") && AfxGetWorkerCount() == 0;
    }));
    EXPECT_EQ(asked, std::vector<CString>{UPLOAD_QUESTION});
    const std::string file = ReadAll(target);
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), UPLOADED_LINES);
    auto* bar = static_cast<QProgressBar*>(Item(IDC_PROGRESS));
    EXPECT_EQ(std::make_pair(bar->maximum(), bar->value()),
              std::make_pair(ALARM_COUNT, ALARM_COUNT));
    EXPECT_TRUE(Item(IDC_UPLOAD)->isEnabled() && Item(IDC_DOWNLOAD)->isEnabled());
    EXPECT_FALSE(Item(IDC_CANCEL_TRANSFER)->isEnabled());
    EXPECT_EQ(dlg.m_transferState.load(), TRANSFER_IDLE);
    EXPECT_TRUE(view->windowTitle().endsWith(QStringLiteral(" — port %1").arg(sim->Port())));
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

} // namespace
