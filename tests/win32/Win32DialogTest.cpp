// The main dialog on real Win32 controls under Wine: made from its template, changed by a
// worker, worked by clicks, keys and typing.

#include "NativeProbe.h"
#include "app/AppResources.h"
#include "app/ORXConfigurationDlg.h"
#include "platform/ui/Thread.h"
#include "platform/win32/Win32FrontEnd.h"

#include <gtest/gtest.h>

namespace {

using orxwin::Window;
constexpr int BLANK = CIPAddressCtrl::BLANK;

// The main dialog, noting the commands that reach it instead of acting on them.
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
    }
    void TearDown() override { dlg.DestroyWindow(); }
    Window Item(int id) const { return view->Item(id); }

    orxwin::Win32FrontEnd frontEnd;
    CFrontEndScope scope{frontEnd};
    TransferDialog dlg;
    orxwin::Win32DialogView* view = nullptr;
};

TEST_F(Win32Dialog, ControlsAreRealWindowsOfTheTemplatesClassesAtItsPlaces) {
    const Window window = view->Handle();
    for (const CDialogItem& item : dlg.GetTemplate()->items) {
        SCOPED_TRACE(item.nID);
        const Window control = Item(item.nID);
        EXPECT_EQ(probe::Text(probe::Class, control), item.lpszClass);
        EXPECT_EQ(probe::PlaceOf(control),
                  probe::DialogUnitsToPixels(window, item.x, item.y, item.cx, item.cy));
        EXPECT_EQ(probe::IsEnabled(control), (item.dwStyle & WS_DISABLED) == 0);
    }
    EXPECT_EQ(probe::Text(probe::Caption, window), APP_CAPTION);
    EXPECT_EQ(probe::Text(probe::Caption, Item(IDC_UPLOAD)), "Upload from ORX");
    EXPECT_EQ(probe::Text(probe::LastMenuItem, window), "Open &Backup Folder");
    EXPECT_NE(probe::Send(window, probe::GET_ICON, ICON_BIG), 0);
    EXPECT_NE(probe::Send(window, probe::GET_ICON, ICON_SMALL), 0);
    EXPECT_EQ(probe::CodePage(), 65001u) << "UTF-8, as the manifest asks";
}

// Each change is read back in the worker at once through the window's thread, which answers
// a sent message before any posted one: the change has arrived.
TEST_F(Win32Dialog, AWorkersControlChangesArriveBeforeItGoesOn) {
    using Self = std::remove_pointer_t<decltype(this)>;
    AfxBeginThread(
        [](LPVOID self) -> UINT {
            auto& t = *static_cast<Self*>(self);
            t.dlg.m_progress.SetRange(0, 32);
            t.dlg.m_progress.SetPos(17);
            EXPECT_EQ(probe::Send(t.Item(IDC_PROGRESS), PBM_GETPOS), 17);
            t.dlg.m_status.SetWindowText("Uploading Alarm 17/32...");
            EXPECT_EQ(probe::Text(probe::Caption, t.Item(IDC_STATUS)), "Uploading Alarm 17/32...");
            t.dlg.m_btnUpload.EnableWindow(FALSE);
            return 0;
        },
        this);
    AfxWaitForWorkers();
    EXPECT_FALSE(probe::IsEnabled(Item(IDC_UPLOAD)));
}

// Each input, then a click on Download, both through the loop: the commands that arrive.
TEST_F(Win32Dialog, ClicksKeysAndTheSystemMenuReachTheDialog) {
    constexpr UINT KEY_DOWN = 0x0100, ESCAPE = 0x1B;
    const std::tuple<int, UINT, WPARAM, std::vector<UINT>> cases[] = {
        {IDC_UPLOAD, BM_CLICK, 0, {IDC_UPLOAD}},
        {IDC_CANCEL_TRANSFER, BM_CLICK, 0, {}}, // disabled
        {0, WM_SYSCOMMAND, IDM_ABOUTBOX, {IDM_ABOUTBOX}},
        {IDC_IPADDRESS, KEY_DOWN, ESCAPE, {IDCANCEL}},
    };
    for (auto [target, message, wParam, commands] : cases) {
        dlg.commands.clear();
        probe::Send(target != 0 ? Item(target) : view->Handle(), message, wParam, 0, true);
        probe::Send(Item(IDC_DOWNLOAD), BM_CLICK, 0, 0, true);
        frontEnd.RunUntil(
            [&] { return !dlg.commands.empty() && dlg.commands.back() == IDC_DOWNLOAD; });
        commands.push_back(IDC_DOWNLOAD);
        EXPECT_EQ(dlg.commands, commands) << message;
    }
}

TEST_F(Win32Dialog, TypingIntoTheAddressControlSetsItsFields) {
    const std::pair<const char*, std::array<int, 4>> cases[] = {
        {"192.168.1.20", {192, 168, 1, 20}},
        {"10.0.", {10, 0, BLANK, BLANK}},
    };
    for (const auto& [keys, fields] : cases) {
        dlg.m_ipAddress.ClearAddress();
        probe::TypeInto(Item(IDC_IPADDRESS), keys);
        for (int i = 0; i < CIPAddressCtrl::FIELD_COUNT; ++i)
            EXPECT_EQ(dlg.m_ipAddress.GetField(i), fields[i]) << keys << " field " << i;
    }
}

} // namespace
