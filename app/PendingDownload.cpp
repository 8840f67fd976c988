// Stands in for the download worker until transfer/DownloadProcedure.cpp exists: reports
// that the download is not available and leaves the dialog idle.

#include "app/ORXConfigurationDlg.h"
#include "platform/ui/MessageBox.h"
#include "transfer/TransferProcedures.h"
#include "transfer/TransferResults.h"

UINT DownloadThreadProc(LPVOID pParam) {
    auto* pDlg = static_cast<CORXConfigurationDlg*>(pParam);
    AfxMessageBox("Download is not available in this build.", MB_ICONEXCLAMATION | MB_OK);
    pDlg->FinishTransfer();
    return RESULT_FILE_ERROR;
}
