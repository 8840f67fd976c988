// A whole upload through the real window: the Upload button, the confirmation, the file
// choice, the worker against the in-process simulator, and the widgets it leaves behind.
#include "GuiFixture.h"

#include "app/ORXConfigurationDlg.h"
#include "sim/OrxSimulator.h"
#include "transfer/ConfigFile.h"
#include "transfer/TransferResults.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <sstream>

using orxqt::QtDialogView;

namespace {

constexpr const char* UPLOAD_QUESTION = "Please verify you wish to upload the ORX's configuration.";
constexpr const char* UPLOAD_COMPLETE = "Upload Complete!";
constexpr const char* CSV_FILTER = "Comma Separated Values (*.CSV)|*.CSV|";
constexpr DWORD SAVE_FLAGS = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
constexpr int ROW_TOTAL = ALARM_COUNT;
// Slow replies keep a transfer running long enough to close the window in its middle.
constexpr int SLOW_REPLY_MS = 40;
constexpr const char* PREVIOUS_CONTENT = "previous configuration\n";

struct Asked {
    CString text;
    UINT type;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

class GuiUploadTest : public GuiTest {
protected:
    void Start(SimulatorOptions options = {}) {
        sim = std::make_unique<OrxSimulator>(std::move(options));
        dlg.m_wPortOverride = sim->Port();
        dlg.m_strInitialHost = "127.0.0.1";
        frontEnd.SetMessageBoxAnswer([this](const CString& text, UINT type) {
            asked.push_back({text, type});
            return (type & MB_TYPEMASK) == MB_YESNO ? static_cast<int>(IDYES)
                                                    : static_cast<int>(IDOK);
        });
        frontEnd.SetFileAnswer([this](const CFileRequest& request, CString& path) {
            requests.push_back(request);
            path = target.c_str();
            return static_cast<INT_PTR>(IDOK);
        });
        ASSERT_TRUE(dlg.Create());
        view = frontEnd.ViewOf(dlg);
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override {
        if (view != nullptr)
            dlg.DestroyWindow();
    }

    QString Status() const { return static_cast<QLabel*>(view->Item(IDC_STATUS))->text(); }
    void Click(int id) { QTest::mouseClick(view->Item(id), Qt::LeftButton); }

    QTemporaryDir dir;
    std::string target = (dir.path() + QStringLiteral("/alarms.csv")).toStdString();
    std::unique_ptr<OrxSimulator> sim;
    CORXConfigurationDlg dlg;
    QtDialogView* view = nullptr;
    std::vector<Asked> asked;
    std::vector<CFileRequest> requests;
};

} // namespace

TEST_F(GuiUploadTest, UploadButtonFillsTheFileFromTheDevice) {
    Start();
    Click(IDC_UPLOAD);
    ASSERT_TRUE(WaitUntil([&] {
        return Status() == QString::fromLatin1(UPLOAD_COMPLETE) && AfxGetWorkerCount() == 0;
    }));

    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, UPLOAD_QUESTION);
    EXPECT_EQ(asked[0].type, MB_YESNO);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].bOpenFileDialog);
    EXPECT_EQ(requests[0].strDefExt, "csv");
    EXPECT_EQ(requests[0].strFileName, "*.csv");
    EXPECT_EQ(requests[0].dwFlags, SAVE_FLAGS);
    EXPECT_EQ(requests[0].strFilter, CSV_FILTER);

    std::ifstream file(target);
    ASSERT_TRUE(SkipFileHeader(file));
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        SCOPED_TRACE(n);
        AlarmRecord row;
        ASSERT_EQ(ReadRow(file, row), RowOutcome::Row);
        const AlarmRecord device = sim->Alarm(n);
        EXPECT_EQ(row.mode, device.mode);
        EXPECT_EQ(row.sourceModule, device.sourceModule);
        EXPECT_EQ(row.sourceChannel, device.sourceChannel);
        EXPECT_EQ(row.outputRelay, device.outputRelay);
        EXPECT_NEAR(row.tripPoint, device.tripPoint, 1e-4);
        EXPECT_NEAR(row.deadband, device.deadband, 1e-4);
        EXPECT_EQ(row.enunciateFaults, device.enunciateFaults);
    }
    EXPECT_NE(ReadAll(target).find(std::to_string(DEFAULT_SIM_SERIAL)), std::string::npos);
    EXPECT_NE(ReadAll(target).find("\"Alarm Mode (0 = Disabled"), std::string::npos);

    auto* bar = static_cast<QProgressBar*>(view->Item(IDC_PROGRESS));
    EXPECT_EQ(bar->maximum(), ROW_TOTAL);
    EXPECT_EQ(bar->value(), ROW_TOTAL);
    EXPECT_TRUE(view->Item(IDC_UPLOAD)->isEnabled());
    EXPECT_TRUE(view->Item(IDC_DOWNLOAD)->isEnabled());
    EXPECT_FALSE(view->Item(IDC_CANCEL_TRANSFER)->isEnabled());
    EXPECT_EQ(dlg.m_transferState.load(), TRANSFER_IDLE);
}

TEST_F(GuiUploadTest, CancelButtonStopsTheUploadAndKeepsTheFile) {
    SimulatorOptions options;
    options.delayMs = SLOW_REPLY_MS;
    { std::ofstream(target) << PREVIOUS_CONTENT; }
    Start(std::move(options));
    Click(IDC_UPLOAD);
    ASSERT_TRUE(
        WaitUntil([&] { return Status().startsWith(QStringLiteral("Uploading Alarm 2/")); }));
    EXPECT_TRUE(view->Item(IDC_CANCEL_TRANSFER)->isEnabled());
    EXPECT_FALSE(view->Item(IDC_UPLOAD)->isEnabled());
    Click(IDC_CANCEL_TRANSFER);
    ASSERT_TRUE(WaitUntil([&] { return AfxGetWorkerCount() == 0; }));
    EXPECT_EQ(Status(), QStringLiteral("Upload Cancelled!"));
    EXPECT_EQ(ReadAll(target), PREVIOUS_CONTENT);
    EXPECT_TRUE(view->Item(IDC_UPLOAD)->isEnabled());
    EXPECT_TRUE(dlg.ContinueModal());
}

TEST_F(GuiUploadTest, ClosingDuringAnUploadCancelsItAndWaitsWithoutFreezing) {
    SimulatorOptions options;
    options.delayMs = SLOW_REPLY_MS;
    { std::ofstream(target) << PREVIOUS_CONTENT; }
    Start(std::move(options));
    Click(IDC_UPLOAD);
    ASSERT_TRUE(
        WaitUntil([&] { return Status().startsWith(QStringLiteral("Uploading Alarm 2/")); }));

    view->close(); // the close box
    ASSERT_TRUE(WaitUntil([&] { return Status() == QString::fromLatin1(CLOSING_STATUS_TEXT); }));
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
