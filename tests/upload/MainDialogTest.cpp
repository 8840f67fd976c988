// The main dialog around the workers, without a display: start-up, the About entry, and
// closing while a transfer runs.

#include "UploadFixture.h"
#include "app/AboutDlg.h"

namespace {

using MainDialog = UploadFixture;

// Enter and Esc leave a transfer alone; the close box asks, and only Yes cancels and waits.
TEST_F(MainDialog, ClosingDuringATransferAsksThenCancelsAndWaits) {
    m_fe.OnText(IDC_STATUS, UploadStatus(3), [this] {
        for (const int id : {IDOK, IDCANCEL})
            m_dlg->PostMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED));
        m_dlg->PostMessage(WM_CLOSE);
    });
    m_fe.OnText(IDC_STATUS, UploadStatus(5), [this] { m_dlg->PostMessage(WM_CLOSE); });
    for (const int answer : {IDYES, IDNO, IDYES})
        m_fe.AnswerMessageBox(answer);
    m_fe.AnswerFileDialog(CString(m_target));
    m_dlg->m_wPortOverride = m_sim->Port();
    m_fe.Post([this] { m_dlg->m_btnUpload.SendMessage(BM_CLICK); });

    EXPECT_EQ(m_dlg->DoModal(), static_cast<INT_PTR>(IDCANCEL));
    EXPECT_EQ(AfxGetWorkerCount(), 0) << "the loop ended only after the worker";
    EXPECT_EQ(m_fe.MessageBoxTexts(),
              (std::vector<CString>{UPLOAD_QUESTION, CLOSE_QUESTION, CLOSE_QUESTION}));
    EXPECT_EQ(m_fe.ExitCodes(), std::vector<UINT>{RESULT_CANCELLED});
    const std::vector<CString> texts = m_fe.Texts(IDC_STATUS);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], CLOSING_STATUS_TEXT);
    EXPECT_EQ(texts.back(), "Upload Cancelled!");
    ExpectChosenFileUnchanged();
}

TEST_F(MainDialog, StartUpSetsControlsIconAndAboutEntryWhichRunsTheAboutBoxModally) {
    EXPECT_EQ(m_dlg->GetDlgItem(IDC_STATUS), &m_dlg->m_status);
    EXPECT_EQ(m_dlg->GetDlgItem(IDC_PROGRESS), &m_dlg->m_progress);
    EXPECT_EQ(m_dlg->GetDlgItem(IDC_IPADDRESS), &m_dlg->m_ipAddress);
    EXPECT_EQ(m_dlg->GetIcon(TRUE).nResourceId, static_cast<UINT>(IDR_MAINFRAME));
    EXPECT_EQ(m_dlg->GetIcon(FALSE).nResourceId, static_cast<UINT>(IDR_MAINFRAME));
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
    const auto& items = m_dlg->GetSystemMenu(FALSE)->Items();
    ASSERT_EQ(items.size(), 3u) << "separator and entries, added once per start";
    EXPECT_EQ(items[0].nFlags, MF_SEPARATOR);
    EXPECT_EQ(items[1].nID, static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_EQ(items[1].strText, "&About ORX Configuration...");
    EXPECT_EQ(items[2].nID, static_cast<UINT>(IDM_OPENBACKUPS));
    EXPECT_EQ(items[2].strText, "Open &Backup Folder");
}

} // namespace
