// The two transfer workers; the parameter is the main dialog. Each runs its job with the
// dialog's client, address, port and time-out, presented by the dialog's controls, and
// returns a RESULT_* code.

#include "app/DialogTransferView.h"
#include "transfer/TransferJobs.h"

UINT CORXConfigurationDlg::UploadThreadProc(LPVOID pParam) {
    auto& dlg = *static_cast<CORXConfigurationDlg*>(pParam);
    const DeviceEndpoint device = dlg.DeviceToConnect();
    CDialogTransferView view(dlg, device);
    return RunUploadJob(device, dlg.m_modbus, view);
}

UINT CORXConfigurationDlg::DownloadThreadProc(LPVOID pParam) {
    auto& dlg = *static_cast<CORXConfigurationDlg*>(pParam);
    const DeviceEndpoint device = dlg.DeviceToConnect();
    CDialogTransferView view(dlg, device);
    return RunDownloadJob(device, dlg.m_modbus, view, {dlg.m_settings.backup, {}});
}
