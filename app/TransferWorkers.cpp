#include "app/TransferWorkers.h"

#include "app/DialogTransferView.h"
#include "app/ORXConfigurationDlg.h"
#include "transfer/TransferJobs.h"

namespace {

UINT RunJob(LPVOID pParam, UINT (*job)(const DeviceEndpoint&, CModbus&, CTransferView&)) {
    auto& dlg = *static_cast<CORXConfigurationDlg*>(pParam);
    CDialogTransferView view(dlg);
    return job(dlg.DeviceToConnect(), dlg.m_modbus, view);
}

} // namespace

UINT UploadThreadProc(LPVOID pParam) {
    return RunJob(pParam, RunUploadJob);
}

UINT DownloadThreadProc(LPVOID pParam) {
    return RunJob(pParam, RunDownloadJob);
}
