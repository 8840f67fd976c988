#include "transfer/TransferSteps.h"

#include "app/ORXConfigurationDlg.h"
#include "platform/Exception.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"
#include "transfer/RegisterMap.h"
#include "transfer/TransferResults.h"

#include <exception>

namespace {
constexpr const char* CSV_EXTENSION = "csv";
constexpr UINT EXCEPTION_TEXT_SIZE = 256;
constexpr const char* CSV_INITIAL_NAME = "*.csv";
constexpr const char* CSV_FILTER = "Comma Separated Values (*.CSV)|*.CSV|";
// The text of the exception being handled; call only inside a catch block.
std::string CurrentExceptionText() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (CException* e) {
        char text[EXCEPTION_TEXT_SIZE] = {};
        e->GetErrorMessage(text, sizeof text);
        e->Delete();
        return text;
    } catch (...) {
        return "unknown exception";
    }
}

} // namespace

bool ChooseConfigurationFile(BOOL bOpenFileDialog, CString& path) {
    CFileDialog dlgFile(bOpenFileDialog, CSV_EXTENSION, CSV_INITIAL_NAME,
                        OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, CSV_FILTER, nullptr, 0, TRUE);
    if (dlgFile.DoModal() != IDOK)
        return false;
    path = dlgFile.GetPathName();
    return true;
}

void ArrangeForTransfer(CORXConfigurationDlg* pDlg) {
    pDlg->m_btnUpload.EnableWindow(FALSE);
    pDlg->m_btnDownload.EnableWindow(FALSE);
    pDlg->m_btnCancel.EnableWindow(TRUE);
    pDlg->m_progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, ALARM_COUNT));
    pDlg->m_progress.SendMessage(PBM_SETSTEP, 1, 0);
    pDlg->m_progress.SendMessage(PBM_SETPOS, 0, 0);
}

UINT RefuseEmptyPath(CORXConfigurationDlg* pDlg) {
    AfxMessageBox("Please select a file.", ERROR_BOX);
    pDlg->m_transferState = TRANSFER_IDLE;
    pDlg->m_btnUpload.EnableWindow(TRUE);
    pDlg->m_btnDownload.EnableWindow(TRUE);
    pDlg->m_btnCancel.EnableWindow(FALSE);
    return RESULT_NO_FILE;
}

UINT EndTransfer(CORXConfigurationDlg* pDlg, UINT result) {
    pDlg->FinishTransfer();
    pDlg->m_modbus.Disconnect();
    return result;
}

std::string DeviceFailure(CORXConfigurationDlg* pDlg, const char* what, WORD code) {
    return std::string(what) + ": " + pDlg->m_modbus.ErrorMessage(code).str();
}

UINT FailTransfer(CORXConfigurationDlg* pDlg, const char* box, const char* status, UINT result,
                  const std::string& detail) {
    if (box != nullptr)
        AfxMessageBox(box, ERROR_BOX, 0, detail.c_str());
    if (status != nullptr)
        pDlg->m_status.SetWindowText(status);
    return EndTransfer(pDlg, result);
}

UINT GuardTransfer(CORXConfigurationDlg* pDlg, const char* box,
                   const std::function<UINT()>& transfer, const std::function<void()>& onFailure) {
    std::string cause;
    try {
        return transfer();
    } catch (...) {
        cause = CurrentExceptionText();
    }
    try {
        if (onFailure)
            onFailure();
    } catch (...) {
        cause += "; then: " + CurrentExceptionText();
    }
    try {
        return FailTransfer(pDlg, box, nullptr, RESULT_INTERNAL_ERROR, cause);
    } catch (...) {
        return RESULT_INTERNAL_ERROR; // not even the report could be made; the thread ends
    }
}
