// The main dialog on real Win32 controls under Wine: made from its template, changed by a
// worker, worked by clicks, keys and typing.

#include "NativeProbe.h"
#include "app/AppResources.h"
#include "app/ORXConfigurationDlg.h"
#include "platform/win32/Win32FrontEnd.h"

#include <gtest/gtest.h>

namespace {

// The main dialog, noting the commands that reach it instead of acting on them.
struct TransferDialog : CORXConfigurationDlg {
    std::vector<UINT> commands;
    BOOL OnCommand(WPARAM wParam, LPARAM) override {
        commands.push_back(LOWORD(static_cast<DWORD>(wParam)));
        return TRUE;
    }
    void OnSysCommand(UINT nID, LPARAM) override { commands.push_back(nID); }
};

using Worker = std::pair<TransferDialog&, orxwin::Window>; // and its window

TEST(Win32Dialog, RealControlsOfTheTemplateWorkedByAWorkerClicksKeysAndTyping) {
    orxwin::Win32FrontEnd frontEnd;
    CFrontEndScope scope{frontEnd};
    TransferDialog dlg;
    ASSERT_TRUE(dlg.Create());
    const orxwin::Win32DialogView* view = frontEnd.ViewOf(dlg);
    const auto window = view->Handle();
    for (const CDialogItem& item : dlg.GetTemplate()->items) {
        SCOPED_TRACE(item.nID);
        const auto control = view->Item(item.nID);
        EXPECT_EQ(probe::Text(probe::Class, control), item.lpszClass);
        const auto [place, planned] = probe::Places(control, item.x, item.y, item.cx, item.cy);
        EXPECT_EQ(place, planned);
        EXPECT_EQ(probe::IsEnabled(control), (item.dwStyle & WS_DISABLED) == 0);
    }
    EXPECT_EQ(probe::Text(probe::Caption, window), APP_CAPTION);
    EXPECT_EQ(probe::Text(probe::Caption, view->Item(IDC_UPLOAD)), "Upload from ORX");
    EXPECT_EQ(probe::Text(probe::LastMenuItem, window), "Open &Backup Folder");
    EXPECT_NE(probe::Send(window, probe::GET_ICON, ICON_BIG), 0);
    EXPECT_NE(probe::Send(window, probe::GET_ICON, ICON_SMALL), 0);
    EXPECT_EQ(probe::CodePage(), 65001u) << "UTF-8, as the manifest asks";

    // Each input, then a click on Download, both through the loop: the commands that arrive.
    constexpr UINT KEY_DOWN = 0x0100, ESCAPE = 0x1B;
    const std::tuple<int, UINT, WPARAM, std::vector<UINT>> inputs[] = {
        {IDC_UPLOAD, BM_CLICK, 0, {IDC_UPLOAD, IDC_DOWNLOAD}},
        {IDC_CANCEL_TRANSFER, BM_CLICK, 0, {IDC_DOWNLOAD}}, // disabled
        {0, WM_SYSCOMMAND, IDM_ABOUTBOX, {IDM_ABOUTBOX, IDC_DOWNLOAD}},
        {IDC_IPADDRESS, KEY_DOWN, ESCAPE, {IDCANCEL, IDC_DOWNLOAD}},
    };
    for (const auto& [target, message, wParam, commands] : inputs) {
        dlg.commands.clear();
        probe::Send(target != 0 ? view->Item(target) : window, message, wParam, 0, true);
        probe::Send(view->Item(IDC_DOWNLOAD), BM_CLICK, 0, 0, true);
        frontEnd.RunUntil(
            [&] { return !dlg.commands.empty() && dlg.commands.back() == IDC_DOWNLOAD; });
        EXPECT_EQ(dlg.commands, commands) << message;
    }

    const std::pair<const char*, std::array<int, 4>> typed[] = {
        {"192.168.1.20", {192, 168, 1, 20}},
        {"10.0.", {10, 0, CIPAddressCtrl::BLANK, CIPAddressCtrl::BLANK}},
    };
    auto& address = dynamic_cast<CIPAddressCtrl&>(*dlg.GetDlgItem(IDC_IPADDRESS));
    for (const auto& [keys, fields] : typed) {
        address.ClearAddress();
        probe::TypeInto(view->Item(IDC_IPADDRESS), keys);
        for (int i = 0; i < CIPAddressCtrl::FIELD_COUNT; ++i)
            EXPECT_EQ(address.GetField(i), fields[i]) << keys << " field " << i;
    }

    // Each change is read back in the worker at once through the window's thread, which
    // answers a sent message before any posted one: the change has arrived.
    Worker worker{dlg, window};
    AfxBeginThread(
        [](LPVOID param) -> UINT {
            auto& [shown, dialog] = *static_cast<Worker*>(param);
            auto& progress = dynamic_cast<CProgressCtrl&>(*shown.GetDlgItem(IDC_PROGRESS));
            progress.SetRange(0, 32);
            progress.SetPos(17);
            EXPECT_EQ(probe::Send(orxwin::DialogItem(dialog, IDC_PROGRESS), PBM_GETPOS), 17);
            shown.GetDlgItem(IDC_STATUS)->SetWindowText("Uploading Alarm 17/32...");
            EXPECT_EQ(probe::Text(probe::Caption, orxwin::DialogItem(dialog, IDC_STATUS)),
                      "Uploading Alarm 17/32...");
            shown.GetDlgItem(IDC_UPLOAD)->EnableWindow(FALSE);
            return 0;
        },
        &worker);
    AfxWaitForWorkers();
    EXPECT_FALSE(probe::IsEnabled(view->Item(IDC_UPLOAD)));
    dlg.DestroyWindow();
}

} // namespace
