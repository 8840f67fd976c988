// The main dialog on real Win32 controls under Wine: made from its template, changed by a
// worker through SendMessage, worked by clicks, keys and typing, asking with the system's
// boxes; and the program's icon, version and manifest.

#include "NativeProbe.h"
#include "app/AppResources.h"
#include "app/ORXConfigurationDlg.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/IPAddressCtrl.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/ProgressCtrl.h"
#include "platform/ui/Thread.h"
#include "platform/ui/WinApp.h"
#include "platform/win32/Win32FrontEnd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using orxwin::Window;
constexpr auto WAIT_LIMIT = std::chrono::seconds(10);
constexpr UINT WM_KEYDOWN_MESSAGE = 0x0100;
constexpr WPARAM VK_ESCAPE_KEY = 0x1B;
constexpr int BLANK = CIPAddressCtrl::BLANK;

// The application's main dialog, which notes the button and system-menu commands that reach
// it instead of acting on them.
class TransferDialog : public CORXConfigurationDlg {
public:
    std::vector<UINT> commands;

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        commands.push_back(LOWORD(static_cast<DWORD>(wParam)));
        return TRUE;
    }
    void OnSysCommand(UINT nID, LPARAM) override { commands.push_back(nID); }
};

class Win32Dialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dlg.Create());
        view = frontEnd.ViewOf(dlg);
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override { dlg.DestroyWindow(); }

    bool WaitUntil(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + WAIT_LIMIT;
        frontEnd.RunUntil(
            [&] { return condition() || std::chrono::steady_clock::now() >= deadline; });
        return condition();
    }
    Window Item(int id) const { return view->Item(id); }

    orxwin::Win32FrontEnd frontEnd;
    CFrontEndScope scope{frontEnd};
    TransferDialog dlg;
    orxwin::Win32DialogView* view = nullptr;
};

TEST_F(Win32Dialog, ControlsAreRealWindowsOfTheTemplatesClassesAtItsPlaces) {
    for (const CDialogItem& item : dlg.GetTemplate()->items) {
        const Window control = Item(item.nID);
        EXPECT_EQ(probe::ClassOf(control), item.lpszClass) << item.nID;
        EXPECT_EQ(probe::PlaceOf(control),
                  probe::DialogUnitsToPixels(view->Handle(), item.x, item.y, item.cx, item.cy))
            << item.nID;
        EXPECT_EQ(probe::IsEnabled(control), (item.dwStyle & WS_DISABLED) == 0) << item.nID;
    }
    EXPECT_EQ(probe::TextOf(view->Handle()), APP_CAPTION);
    EXPECT_EQ(probe::TextOf(Item(IDC_UPLOAD)), "Upload from ORX");
    EXPECT_EQ(probe::LastSystemMenuItem(view->Handle()), "Open &Backup Folder");
    EXPECT_TRUE(probe::HasIcons(view->Handle()));
}

struct WorkerJob {
    TransferDialog* dlg;
    Window bar, status, upload;
    std::intptr_t pos = 0;
    std::string text;
    bool uploadEnabled = true;
};

// Reads each control back from its window at once: the change has arrived.
UINT ChangeControls(LPVOID param) {
    auto& job = *static_cast<WorkerJob*>(param);
    job.dlg->m_progress.SetRange(0, 32);
    job.dlg->m_progress.SetPos(17);
    job.pos = probe::Send(job.bar, PBM_GETPOS);
    job.dlg->m_status.SetWindowText("Uploading Alarm 17/32...");
    job.text = probe::HeldText(job.status);
    job.dlg->m_btnUpload.EnableWindow(FALSE);
    job.uploadEnabled = probe::IsEnabled(job.upload);
    return 0;
}

TEST_F(Win32Dialog, AWorkersControlChangesArriveBeforeItGoesOn) {
    WorkerJob job{&dlg, Item(IDC_PROGRESS), Item(IDC_STATUS), Item(IDC_UPLOAD), 0, {}, true};
    AfxBeginThread(ChangeControls, &job);
    AfxWaitForWorkers();
    EXPECT_EQ(job.pos, 17);
    EXPECT_EQ(job.text, "Uploading Alarm 17/32...");
    EXPECT_FALSE(job.uploadEnabled);
}

struct InputCase {
    const char* what;
    int target; // 0: the dialog
    UINT message;
    WPARAM wParam;
    bool posted; // through the loop, as keys come
    std::vector<UINT> commands;
};

// Each input is followed by a click on Download the same way, which arrives after it.
TEST_F(Win32Dialog, ClicksKeysAndTheSystemMenuReachTheDialog) {
    const InputCase cases[] = {
        {"click", IDC_UPLOAD, BM_CLICK, 0, false, {IDC_UPLOAD}},
        {"click on a disabled button", IDC_CANCEL_TRANSFER, BM_CLICK, 0, false, {}},
        {"About in the system menu", 0, WM_SYSCOMMAND, IDM_ABOUTBOX, false, {IDM_ABOUTBOX}},
        {"Esc", IDC_IPADDRESS, WM_KEYDOWN_MESSAGE, VK_ESCAPE_KEY, true, {IDCANCEL}},
    };
    for (const InputCase& c : cases) {
        dlg.commands.clear();
        const Window target = c.target != 0 ? Item(c.target) : view->Handle();
        const auto deliver =
            c.posted ? probe::Post : [](Window w, unsigned m, std::uintptr_t p, std::intptr_t) {
                probe::Send(w, m, p);
            };
        deliver(target, c.message, c.wParam, 0);
        deliver(Item(IDC_DOWNLOAD), BM_CLICK, 0, 0);
        WaitUntil([&] { return !dlg.commands.empty() && dlg.commands.back() == IDC_DOWNLOAD; });
        std::vector<UINT> expected = c.commands;
        expected.push_back(IDC_DOWNLOAD);
        EXPECT_EQ(dlg.commands, expected) << c.what;
    }
}

TEST_F(Win32Dialog, TypingIntoTheAddressControlSetsTheFieldsAndTheFieldsShow) {
    const std::pair<const char*, std::array<int, 4>> cases[] = {
        {"192.168.1.20", {192, 168, 1, 20}},
        {"10.0.", {10, 0, BLANK, BLANK}},
        {"300", {255, BLANK, BLANK, BLANK}},
        {"7\b", {BLANK, BLANK, BLANK, BLANK}},
    };
    for (const auto& [keys, fields] : cases) {
        dlg.m_ipAddress.ClearAddress();
        probe::TypeInto(Item(IDC_IPADDRESS), keys);
        for (int i = 0; i < CIPAddressCtrl::FIELD_COUNT; ++i)
            EXPECT_EQ(dlg.m_ipAddress.GetField(i), fields[i]) << keys << " field " << i;
    }
    dlg.m_ipAddress.SetAddress(0x7F000001);
    DWORD shown = 0;
    EXPECT_EQ(probe::Send(Item(IDC_IPADDRESS), IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&shown)),
              4);
    EXPECT_EQ(shown, 0x7F000001u);
}

TEST_F(Win32Dialog, MessageBoxAndFileDialogAreTheSystemsOverTheDialog) {
    frontEnd.SetMessageBoxCaption("ORX Configuration");
    std::string boxText, fileType;
    std::thread user([&] {
        const Window box = probe::WaitForOwnedWindow(view->Handle());
        boxText =
            probe::TextOf(box) + ": " + probe::TextOf(probe::Item(box, probe::MESSAGE_TEXT_ID));
        probe::Send(box, WM_COMMAND, IDYES);
        const Window files = probe::WaitForOwnedWindow(view->Handle());
        fileType = probe::TextOf(probe::Item(files, probe::FILE_TYPE_ID));
        probe::Send(probe::Item(files, probe::FILE_NAME_ID), WM_SETTEXT, 0,
                    reinterpret_cast<LPARAM>(L"alarms"));
        probe::Send(files, WM_COMMAND, IDOK);
    });
    EXPECT_EQ(AfxMessageBox("Sure?", MB_YESNO), static_cast<int>(IDYES));
    CFileDialog save(FALSE, "csv", "*.csv", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     "Comma Separated Values (*.CSV)|*.CSV|");
    EXPECT_EQ(save.DoModal(), IDOK);
    user.join();
    EXPECT_EQ(boxText, "ORX Configuration: Sure?");
    EXPECT_EQ(fileType, "Comma Separated Values (*.CSV)");
    EXPECT_TRUE(save.GetPathName().str().ends_with("\\alarms.csv")) << save.GetPathName();
}

// Windows Sockets refuse every call until started.
TEST(Win32Startup, AfxSocketInitStartsWindowsSockets) {
    EXPECT_TRUE(AfxSocketInit());
    EXPECT_TRUE(probe::CanMakeSocket());
}

TEST(Win32Resources, IconVersionAndManifest) {
    EXPECT_EQ(probe::IconSizes(IDR_MAINFRAME), (std::vector<int>{32, 16}));
    EXPECT_EQ(probe::VersionText("ProductName"), "ORX Configuration Transfer Utility");
    EXPECT_EQ(probe::VersionText("FileVersion"), "1.0.00");
    EXPECT_NE(probe::CommonControlsPath().find("common-controls_6595b64144ccf1df_6.0."),
              std::string::npos)
        << probe::CommonControlsPath();
    EXPECT_EQ(probe::CodePage(), 65001u) << "UTF-8";
}

} // namespace
