// The main dialog around the workers: its template, start-up, and closing while a
// transfer runs.

#include "UploadFixture.h"
#include "app/AboutDlg.h"

namespace {

constexpr const char* ABOUT_ENTRY = "&About ORX Configuration...";

using MainDialog = UploadFixture;

TEST_F(MainDialog, ControlsTakeTheirTemplateState) {
    EXPECT_EQ(m_dlg->GetWindowText(), APP_CAPTION);
    EXPECT_EQ(m_dlg->m_btnUpload.GetWindowText(), "Upload from ORX");
    EXPECT_EQ(m_dlg->m_btnDownload.GetWindowText(), "Download to ORX");
    EXPECT_EQ(m_dlg->m_btnCancel.GetWindowText(), "Cancel");
    EXPECT_TRUE(m_dlg->m_btnUpload.IsWindowEnabled());
    EXPECT_TRUE(m_dlg->m_btnDownload.IsWindowEnabled());
    EXPECT_FALSE(m_dlg->m_btnCancel.IsWindowEnabled());
    EXPECT_EQ(m_dlg->GetDlgItem(IDC_STATUS), &m_dlg->m_status);
    EXPECT_EQ(m_dlg->GetDlgItem(IDC_PROGRESS), &m_dlg->m_progress);
    EXPECT_EQ(m_dlg->GetDlgItem(IDC_IPADDRESS), &m_dlg->m_ipAddress);
    EXPECT_EQ(m_dlg->m_transferState.load(), TRANSFER_IDLE);
}

TEST_F(MainDialog, StartUpPutsAboutOnTheSystemMenuAndSetsTheIcon) {
    CMenu* menu = m_dlg->GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->Items().size(), 2u);
    EXPECT_EQ(menu->Items()[0].nFlags, MF_SEPARATOR);
    EXPECT_EQ(menu->Items()[1].nID, static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_EQ(menu->Items()[1].strText, ABOUT_ENTRY);
    EXPECT_EQ(m_dlg->GetIcon(TRUE).nResourceId, static_cast<UINT>(IDR_MAINFRAME));
    EXPECT_EQ(m_dlg->GetIcon(FALSE).nResourceId, static_cast<UINT>(IDR_MAINFRAME));
}

TEST(MainDialogAddress, StartsAtZerosAndTakesAValidInitialHost) {
    CScriptedFrontEnd fe;
    CFrontEndScope scope(fe);
    CORXConfigurationDlg plain;
    plain.Create();
    BYTE f[4] = {9, 9, 9, 9};
    EXPECT_EQ(plain.m_ipAddress.GetAddress(f[0], f[1], f[2], f[3]), 4);
    EXPECT_EQ((std::vector<BYTE>{f[0], f[1], f[2], f[3]}), (std::vector<BYTE>{0, 0, 0, 0}));

    CORXConfigurationDlg bad;
    bad.m_strInitialHost = "10.0.0";
    bad.Create();
    EXPECT_EQ(bad.m_ipAddress.GetAddress(f[0], f[1], f[2], f[3]), 4);
    EXPECT_EQ(f[0], 0);
}

TEST_F(MainDialog, ClosingDuringATransferCancelsAndWaits) {
    m_fe.OnText(IDC_STATUS, "Uploading Alarm 3/32...", [this] { m_dlg->PostMessage(WM_CLOSE); });
    m_fe.AnswerMessageBox(IDYES);
    m_fe.AnswerFileDialog(CString(m_target));
    m_dlg->m_wPortOverride = m_sim->Port();
    m_fe.Post([this] { m_dlg->m_btnUpload.SendMessage(BM_CLICK); });

    EXPECT_EQ(m_dlg->DoModal(), static_cast<INT_PTR>(IDCANCEL));
    EXPECT_EQ(AfxGetWorkerCount(), 0) << "the loop ended only after the worker";
    EXPECT_EQ(m_fe.ExitCodes(), std::vector<UINT>{RESULT_CANCELLED});
    const std::vector<CString> texts = m_fe.Texts(IDC_STATUS);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], CLOSING_STATUS_TEXT);
    EXPECT_EQ(texts.back(), "Upload Cancelled!");
    ExpectChosenFileUnchanged();
}

TEST_F(MainDialog, EscWhileIdleEndsTheDialog) {
    m_fe.Post([this] { m_dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)); });
    EXPECT_EQ(m_dlg->DoModal(), static_cast<INT_PTR>(IDCANCEL));
    EXPECT_TRUE(m_fe.Texts(IDC_STATUS).empty());
}

TEST_F(MainDialog, AboutEntryRunsTheAboutBoxModally) {
    m_fe.OnDialog(IDD_TRANSFER_DIALOG, [](CDialog& dlg) {
        dlg.PostMessage(WM_SYSCOMMAND, IDM_ABOUTBOX);
        dlg.PostMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
    });
    m_fe.OnDialog(IDD_ABOUTBOX, [](CDialog& about) {
        about.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    });
    EXPECT_EQ(m_dlg->DoModal(), static_cast<INT_PTR>(IDCANCEL));
    const auto shown = m_fe.Events(CUiEvent::DialogShown);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().value, IDD_ABOUTBOX);
    EXPECT_EQ(shown.back().text, "About ORX Configuration");
    EXPECT_EQ(m_dlg->GetSystemMenu(FALSE)->Items().size(), 2u) << "entry added once per start";
}

} // namespace
