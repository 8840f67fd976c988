#include "app/DialogTransferView.h"

#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"
#include "transfer/Backups.h"
#include "transfer/RegisterMap.h"
#include "transfer/TransferJobs.h"

namespace {
constexpr UINT ERROR_BOX = MB_ICONEXCLAMATION | MB_OK;
constexpr UINT WARNINGS_BOX = MB_ICONEXCLAMATION | MB_CONTINUECANCEL;
constexpr const char* CSV_EXTENSION = "csv";
constexpr const char* SAVE_TITLE = "Save Upload As";
constexpr const char* OPEN_TITLE = "Choose File to Download";
constexpr const char* CSV_FILTER = "Comma Separated Values (*.CSV)|*.CSV|";
// Warnings listed in the box; the rest are counted, and check lists them all.
constexpr std::size_t WARNINGS_LISTED = 10;

// "The file has 3 warnings: ..." with the warnings, one per line, as its detail.
std::string WarningsText(std::size_t count) {
    return "The file has " + std::to_string(count) + (count == 1 ? " warning" : " warnings") +
           ": the ORX will not hold exactly what it says.";
}

std::string WarningsDetail(const std::vector<std::string>& warnings) {
    std::string detail;
    for (std::size_t i = 0; i < warnings.size() && i < WARNINGS_LISTED; ++i)
        detail += (i == 0 ? "" : "\n") + warnings[i];
    if (warnings.size() > WARNINGS_LISTED)
        detail += "\n... and " + std::to_string(warnings.size() - WARNINGS_LISTED) +
                  " more (orx-transfer check FILE lists them all)";
    return detail;
}
} // namespace

bool CORXConfigurationDlg::CDialogTransferView::ChooseFile(bool open, std::string& path) {
    // Without a name to propose the field starts empty: the filter already shows the *.csv
    // files.
    const std::string name = open ? std::string() : ProposedFileName();
    CFileDialog dlgFile(open ? TRUE : FALSE, CSV_EXTENSION, name.c_str(),
                        OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, CSV_FILTER, nullptr, 0, TRUE);
    dlgFile.SetTitle(!open ? SAVE_TITLE : m_openTitle ? m_openTitle : OPEN_TITLE);
    if (dlgFile.DoModal() != IDOK)
        return false;
    path = dlgFile.GetPathName().str();
    return true;
}

void CORXConfigurationDlg::CDialogTransferView::DeviceIdentified(DWORD serial) {
    std::lock_guard lock(m_dlg.m_identifiedMutex);
    m_dlg.m_identified = {m_device.host, m_device.port, serial};
}

std::string CORXConfigurationDlg::CDialogTransferView::ProposedFileName() {
    std::lock_guard lock(m_dlg.m_identifiedMutex);
    const IdentifiedDevice& known = m_dlg.m_identified;
    if (known.host != m_device.host || known.port != m_device.port)
        return {};
    return UploadFileName(known.serial, std::time(nullptr));
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

void CORXConfigurationDlg::CDialogTransferView::ShowFailure(const std::string& message,
                                                            const std::string& cause,
                                                            FailureKind kind) {
    const std::string advice = FailureAdvice(kind, m_device);
    ShowError(message, advice.empty() ? cause : cause + (cause.empty() ? "" : "\n") + advice);
}

bool CORXConfigurationDlg::CDialogTransferView::Confirm(const std::string& /*question*/,
                                                        const std::vector<std::string>& warnings) {
    if (warnings.empty())
        return true;
    const std::string detail = WarningsDetail(warnings);
    if (AfxMessageBox(WarningsText(warnings.size()).c_str(), WARNINGS_BOX, 0, detail.c_str()) ==
        static_cast<int>(IDOK))
        return true;
    SetStatus(DOWNLOAD_CANCELLED_STATUS);
    return false;
}

bool CORXConfigurationDlg::CDialogTransferView::IsCancelled() {
    return m_dlg.m_transferState == TRANSFER_CANCEL;
}
