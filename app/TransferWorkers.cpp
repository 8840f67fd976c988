// The transfer workers; the parameter is the main dialog. Each runs its job with the dialog's
// client, address, port and time-out, presented by the dialog's controls, and returns a
// RESULT_* code.

#include "app/DialogTransferView.h"
#include "platform/ui/MessageBox.h"
#include "transfer/TransferJobs.h"

namespace {

constexpr const char* VERIFY_TITLE = "Choose File to Verify";
constexpr const char* VERIFIED_STATUS = "Verify Complete!";
constexpr const char* RESTORE_CANCELLED = "Restore Cancelled!";
const std::string BACKUP_IS = "Backup of the previous configuration: ";
constexpr UINT QUESTION_BOX = MB_YESNO | MB_ICONQUESTION;
constexpr UINT WARNING_BOX = MB_ICONEXCLAMATION | MB_OK;
constexpr std::size_t DIFFERENCES_SHOWN = 20;
constexpr std::size_t MINUTES_OF_MADE = 16; // "2026-12-07 14:03" of "2026-12-07 14:03:11"

// How far the download got, whether the device knows, where the backup is, and the offer.
std::string OfferText(const std::string& headline, const DownloadStop& stop,
                      const std::string& backup) {
    return headline + "\n\n" + AsSentence(DescribeWritten(stop)) + '\n' +
           AsSentence(DescribeTold(stop)) + "\n" + BACKUP_IS + backup + "\n\n" + RESTORE_OFFER;
}

std::string RestoreQuestion(const RestoreTarget& target, const DeviceEndpoint& device) {
    return "Restore the backup of ORX " + std::to_string(target.serial) + " made " +
           target.backups.back().Made().substr(0, MINUTES_OF_MADE) + " to the ORX at " +
           DeviceName(device) + '?';
}

// One line per difference, as many as a box can show.
std::string DifferencesText(const VerifyReport& report) {
    std::string text;
    const std::size_t count = report.differences.size();
    for (std::size_t i = 0; i < count && i < DIFFERENCES_SHOWN; ++i)
        text += (text.empty() ? "" : "\n") + DescribeDifference(report.differences[i]);
    if (count > DIFFERENCES_SHOWN)
        text += "\n... and " + std::to_string(count - DIFFERENCES_SHOWN) +
                " more (orx-transfer verify lists them all)";
    return text;
}

} // namespace

// The dialog's view for a worker that shows its error box at its own end (with the restore
// offer, or after the verify's outcome), and that may have its file chosen already.
class CORXConfigurationDlg::CWorkerView : public CDialogTransferView {
public:
    CWorkerView(CORXConfigurationDlg& dlg, DeviceEndpoint device, std::string file,
                const char* openTitle = nullptr)
        : CDialogTransferView(dlg, std::move(device), openTitle), m_file(std::move(file)) {}

    bool ChooseFile(bool open, std::string& path) override {
        if (m_file.empty())
            return CDialogTransferView::ChooseFile(open, path);
        path = m_file;
        return true;
    }
    void ShowError(const std::string& message, const std::string& cause) override {
        m_message = message;
        m_cause = cause;
    }
    void ShowHeldError() {
        if (!m_message.empty())
            CDialogTransferView::ShowError(m_message, m_cause);
    }
    const std::string& Message() const { return m_message; }
    const std::string& Cause() const { return m_cause; }

private:
    std::string m_file;
    std::string m_message;
    std::string m_cause;
};

// A download of file (chosen in the file dialog when empty). One that stopped after its first
// write offers to put back the backup it made; Yes restores it on this worker.
UINT CORXConfigurationDlg::DownloadWithOffer(const std::string& file,
                                             const DownloadOptions& options) {
    const DeviceEndpoint device = DeviceToConnect();
    CWorkerView view(*this, device, file);
    DownloadReport report;
    const UINT result = RunDownloadJob(device, m_modbus, view, options, &report);
    if (!report.stop || report.backupPath.empty()) {
        view.ShowHeldError();
        // The status line has no room for where the backup is.
        const std::string warning = report.warning.empty() ? "" : "\nWarning: " + report.warning;
        if (result == RESULT_OK && !report.backupPath.empty())
            AfxMessageBox(DOWNLOAD_COMPLETE_STATUS, MB_ICONINFORMATION | MB_OK, 0,
                          (BACKUP_IS + report.backupPath + warning).c_str());
        return result;
    }
    const std::string headline =
        view.Message().empty() ? DOWNLOAD_CANCELLED_STATUS : view.Message();
    const std::string text = OfferText(headline, *report.stop, report.backupPath);
    if (AfxMessageBox(text.c_str(), RESTORE_OFFER_BOX, 0, view.Cause().c_str()) !=
        static_cast<int>(IDYES))
        return result;
    return RestoreBackup(report.backupPath);
}

// backup, or else the device's newest after a question that names its date.
UINT CORXConfigurationDlg::RestoreBackup(const std::string& backup) {
    const DeviceEndpoint device = DeviceToConnect();
    const std::string& folder = m_settings.backup.path;
    RestoreTarget target;
    CDialogTransferView view(*this, device);
    const UINT found = RunRestoreLookup(device, m_modbus, view, folder, backup, target);
    if (found == RESULT_NO_FILE) {
        const std::string text = "No backup of ORX " + std::to_string(target.serial) + '.';
        view.SetStatus(text);
        AfxMessageBox(text.c_str(), WARNING_BOX, 0,
                      folder.empty() ? NO_BACKUP_FOLDER : folder.c_str());
        return found;
    }
    // A close asked for meanwhile cancels what is left.
    if (found != RESULT_OK)
        return found;
    if (view.IsCancelled())
        return RESULT_CANCELLED;
    if (backup.empty() && AfxMessageBox(RestoreQuestion(target, device).c_str(), QUESTION_BOX) !=
                              static_cast<int>(IDYES)) {
        view.SetStatus(RESTORE_CANCELLED);
        return RESULT_CANCELLED;
    }
    return DownloadWithOffer(target.path, RestoreDownload(target, folder, m_settings.backup.keep));
}

UINT CORXConfigurationDlg::UploadThreadProc(LPVOID pParam) {
    auto& dlg = *static_cast<CORXConfigurationDlg*>(pParam);
    const DeviceEndpoint device = dlg.DeviceToConnect();
    CDialogTransferView view(dlg, device);
    return RunUploadJob(device, dlg.m_modbus, view);
}

UINT CORXConfigurationDlg::DownloadThreadProc(LPVOID pParam) {
    auto& dlg = *static_cast<CORXConfigurationDlg*>(pParam);
    return dlg.DownloadWithOffer({}, {dlg.m_settings.backup, {}});
}

UINT CORXConfigurationDlg::RestoreThreadProc(LPVOID pParam) {
    return static_cast<CORXConfigurationDlg*>(pParam)->RestoreBackup({});
}

UINT CORXConfigurationDlg::VerifyThreadProc(LPVOID pParam) {
    auto& dlg = *static_cast<CORXConfigurationDlg*>(pParam);
    const DeviceEndpoint device = dlg.DeviceToConnect();
    CWorkerView view(dlg, device, {}, VERIFY_TITLE);
    VerifyReport report;
    const UINT result = RunVerifyJob(device, dlg.m_modbus, view, report);
    view.ShowHeldError();
    if (result == RESULT_OK || result == RESULT_DIFFERENT)
        view.SetStatus(VERIFIED_STATUS);
    if (result == RESULT_OK)
        AfxMessageBox(VERIFY_SAME, MB_ICONINFORMATION | MB_OK);
    if (result == RESULT_DIFFERENT) {
        const std::size_t count = report.differences.size();
        const std::string text = "The ORX differs from this file in " + std::to_string(count) +
                                 (count == 1 ? " field." : " fields.");
        AfxMessageBox(text.c_str(), WARNING_BOX, 0, DifferencesText(report).c_str());
    }
    return result;
}
