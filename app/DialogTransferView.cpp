#include "app/DialogTransferView.h"

#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"
#include "transfer/RegisterMap.h"

namespace {
constexpr UINT ERROR_BOX = MB_ICONEXCLAMATION | MB_OK;
constexpr const char* CSV_EXTENSION = "csv";
constexpr const char* SAVE_TITLE = "Save Upload As";
constexpr const char* OPEN_TITLE = "Choose File to Download";
constexpr const char* CSV_FILTER = "Comma Separated Values (*.CSV)|*.CSV|";
} // namespace

bool CORXConfigurationDlg::CDialogTransferView::ChooseFile(bool open, std::string& path) {
    // The name field starts empty: the filter already shows the *.csv files.
    CFileDialog dlgFile(open ? TRUE : FALSE, CSV_EXTENSION, nullptr,
                        OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, CSV_FILTER, nullptr, 0, TRUE);
    dlgFile.SetTitle(!open ? SAVE_TITLE : m_openTitle ? m_openTitle : OPEN_TITLE);
    if (dlgFile.DoModal() != IDOK)
        return false;
    path = dlgFile.GetPathName().str();
    return true;
}

void CORXConfigurationDlg::CDialogTransferView::BeginTransfer() {
    m_dlg.m_btnUpload.EnableWindow(FALSE);
    m_dlg.m_btnDownload.EnableWindow(FALSE);
    m_dlg.m_btnCancel.EnableWindow(TRUE);
    m_dlg.m_progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, ALARM_COUNT));
    m_dlg.m_progress.SendMessage(PBM_SETSTEP, 1, 0);
    m_dlg.m_progress.SendMessage(PBM_SETPOS, 0, 0);
}

void CORXConfigurationDlg::CDialogTransferView::EndTransfer() {
    m_dlg.FinishTransfer();
}

void CORXConfigurationDlg::CDialogTransferView::SetStatus(const std::string& text) {
    m_dlg.m_status.SetWindowText(text.c_str());
}

void CORXConfigurationDlg::CDialogTransferView::StepProgress() {
    m_dlg.m_progress.SendMessage(PBM_STEPIT);
}

void CORXConfigurationDlg::CDialogTransferView::SetProgress(int position) {
    m_dlg.m_progress.SendMessage(PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CORXConfigurationDlg::CDialogTransferView::ShowError(const std::string& message,
                                                          const std::string& cause) {
    AfxMessageBox(message.c_str(), ERROR_BOX, 0, cause.c_str());
}

bool CORXConfigurationDlg::CDialogTransferView::IsCancelled() {
    return m_dlg.m_transferState == TRANSFER_CANCEL;
}
