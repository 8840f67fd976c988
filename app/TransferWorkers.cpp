#include "app/TransferWorkers.h"

#include "app/DialogTransferView.h"
#include "app/ORXConfigurationDlg.h"
#include "transfer/TransferJobs.h"

namespace {

CORXConfigurationDlg& Dialog(LPVOID pParam) {
    return *static_cast<CORXConfigurationDlg*>(pParam);
}

} // namespace

UINT UploadThreadProc(LPVOID pParam) {
    const DeviceEndpoint device = Dialog(pParam).DeviceToConnect();
    CDialogTransferView view(Dialog(pParam), device);
    return RunUploadJob(device, Dialog(pParam).m_modbus, view);
}

UINT DownloadThreadProc(LPVOID pParam) {
    CORXConfigurationDlg& dlg = Dialog(pParam);
    const DeviceEndpoint device = dlg.DeviceToConnect();
    CDialogTransferView view(dlg, device);
    return RunDownloadJob(device, dlg.m_modbus, view, {dlg.m_backup, {}});
}
