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
    CDialogTransferView view(Dialog(pParam));
    return RunUploadJob(Dialog(pParam).DeviceToConnect(), Dialog(pParam).m_modbus, view);
}

UINT DownloadThreadProc(LPVOID pParam) {
    CORXConfigurationDlg& dlg = Dialog(pParam);
    CDialogTransferView view(dlg);
    return RunDownloadJob(dlg.DeviceToConnect(), dlg.m_modbus, view, {dlg.m_backup, {}});
}
