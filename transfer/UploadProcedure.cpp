// Device to file: the worker started by "Upload from ORX".

#include "app/ORXConfigurationDlg.h"
#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"
#include "transfer/ConfigFile.h"
#include "transfer/RegisterMap.h"
#include "transfer/ReplacingFile.h"
#include "transfer/TransferProcedures.h"
#include "transfer/TransferResults.h"

namespace {

constexpr UINT ERROR_BOX = MB_ICONEXCLAMATION | MB_OK;
constexpr const char* CSV_EXTENSION = "csv";
constexpr const char* CSV_INITIAL_NAME = "*.csv";
constexpr const char* CSV_FILTER = "Comma Separated Values (*.CSV)|*.CSV|";

enum class AlarmsEnd { Complete, ReadFailed, Cancelled };

bool ChooseUploadFile(CString& path) {
    CFileDialog dlgFile(FALSE, CSV_EXTENSION, CSV_INITIAL_NAME,
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

UINT EndTransfer(CORXConfigurationDlg* pDlg, UINT result) {
    pDlg->FinishTransfer();
    pDlg->m_modbus.Disconnect();
    return result;
}

// The box first, then the status text; either may be absent.
UINT FailTransfer(CORXConfigurationDlg* pDlg, const char* box, const char* status, UINT result) {
    if (box != nullptr)
        AfxMessageBox(box, ERROR_BOX);
    if (status != nullptr)
        pDlg->m_status.SetWindowText(status);
    return EndTransfer(pDlg, result);
}

// All three reads are made whatever the earlier ones gave.
bool ReadAlarm(CModbus& modbus, WORD registerAddress, WORD flagAddress, AlarmArrays& alarm) {
    const WORD words = modbus.ReadInputRegisters(registerAddress, ALARM_WORD_COUNT, alarm.words);
    const WORD floats =
        modbus.ReadInputFloats(registerAddress + ALARM_TRIP_POINT_OFFSET, alarm.floats);
    const WORD faults = modbus.ReadInputStatus(flagAddress, alarm.faults);
    return words == 0 && floats == 0 && faults == 0;
}

// The row of each alarm is written before its reads are judged.
AlarmsEnd UploadAlarms(CORXConfigurationDlg* pDlg, std::ostream& file) {
    AlarmArrays alarm; // reused without clearing: a failed read repeats the previous values
    WORD registerAddress = REG_ALARM_BASE;
    WORD flagAddress = BIT_FAULTS_BASE;
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        CString status;
        status.Format("Uploading Alarm %d/32...", n);
        pDlg->m_status.SetWindowText(status);
        const bool read = ReadAlarm(pDlg->m_modbus, registerAddress, flagAddress, alarm);
        WriteAlarmRow(file, n, alarm.words, alarm.floats, alarm.faults);
        registerAddress += ALARM_STRIDE;
        flagAddress += 1;
        pDlg->m_progress.SendMessage(PBM_STEPIT);
        if (!read)
            return AlarmsEnd::ReadFailed;
        if (pDlg->m_transferState == TRANSFER_CANCEL)
            return AlarmsEnd::Cancelled;
    }
    return AlarmsEnd::Complete;
}

} // namespace

UINT UploadThreadProc(LPVOID pParam) {
    auto* pDlg = static_cast<CORXConfigurationDlg*>(pParam);
    CString path;
    if (!ChooseUploadFile(path))
        return RESULT_NO_FILE;
    ArrangeForTransfer(pDlg);
    if (path.IsEmpty()) {
        AfxMessageBox("Please select a file.", ERROR_BOX);
        pDlg->m_transferState = TRANSFER_IDLE;
        pDlg->m_btnUpload.EnableWindow(TRUE);
        pDlg->m_btnDownload.EnableWindow(TRUE);
        pDlg->m_btnCancel.EnableWindow(FALSE);
        return RESULT_NO_FILE;
    }
    // The upload goes to a file beside the chosen one, which it replaces only when complete.
    CReplacingFile file;
    if (!file.Open(path.str()))
        return FailTransfer(pDlg, "Error writing to file!", nullptr, RESULT_FILE_ERROR);
    PrepareFileStream(file.Stream());

    pDlg->m_status.SetWindowText("Connecting to ORX...");
    if (!pDlg->ConnectToDevice())
        return FailTransfer(pDlg, "Error connecting to ORX!", "Error connecting to ORX!",
                            RESULT_DEVICE_ERROR);
    if (pDlg->m_transferState == TRANSFER_CANCEL)
        return FailTransfer(pDlg, nullptr, "Upload Cancelled!", RESULT_CANCELLED);
    if (!CheckDeviceIdentity(pDlg))
        return FailTransfer(pDlg, "This is not an ORX!", "Error! Device was not an ORX!",
                            RESULT_DEVICE_ERROR);

    WriteFileHeader(file.Stream(), pDlg->m_modbus);
    switch (UploadAlarms(pDlg, file.Stream())) {
    case AlarmsEnd::ReadFailed:
        return FailTransfer(pDlg, "Error uploading!", nullptr, RESULT_DEVICE_ERROR);
    case AlarmsEnd::Cancelled:
        return FailTransfer(pDlg, nullptr, "Upload Cancelled!", RESULT_CANCELLED);
    case AlarmsEnd::Complete:
        break;
    }
    WriteFileNote(file.Stream());
    if (!file.Commit())
        return FailTransfer(pDlg, "Error writing to file!", nullptr, RESULT_FILE_ERROR);
    pDlg->m_status.SetWindowText("Upload Complete!");
    return EndTransfer(pDlg, RESULT_OK);
}
