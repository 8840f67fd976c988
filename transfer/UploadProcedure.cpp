// Device to file: the worker started by "Upload from ORX".

#include "app/ORXConfigurationDlg.h"
#include "modbus/Modbus.h"
#include "transfer/ConfigFile.h"
#include "transfer/RegisterMap.h"
#include "transfer/ReplacingFile.h"
#include "transfer/TransferProcedures.h"
#include "transfer/TransferResults.h"
#include "transfer/TransferSteps.h"

namespace {

enum class AlarmsEnd { Complete, ReadFailed, Cancelled };

// The row of each alarm is written before its reads are judged.
AlarmsEnd UploadAlarms(CORXConfigurationDlg* pDlg, std::ostream& file) {
    AlarmArrays alarm; // reused without clearing: a failed read repeats the previous values
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        CString status;
        status.Format("Uploading Alarm %d/32...", n);
        pDlg->m_status.SetWindowText(status);
        const bool read = ReadDeviceAlarm(pDlg->m_modbus, n, alarm);
        WriteAlarmRow(file, n, alarm.words, alarm.floats, alarm.faults);
        pDlg->m_progress.SendMessage(PBM_STEPIT);
        if (!read)
            return AlarmsEnd::ReadFailed;
        if (pDlg->m_transferState == TRANSFER_CANCEL)
            return AlarmsEnd::Cancelled;
    }
    return AlarmsEnd::Complete;
}

UINT Upload(CORXConfigurationDlg* pDlg) {
    CString path;
    if (!ChooseConfigurationFile(FALSE, path))
        return RESULT_NO_FILE;
    ArrangeForTransfer(pDlg);
    if (path.IsEmpty())
        return RefuseEmptyPath(pDlg);
    // The upload goes to a file beside the chosen one, which it replaces only when complete.
    CReplacingFile file;
    if (!file.Open(path.str()))
        return FailTransfer(pDlg, "Error writing to file!", nullptr, RESULT_FILE_ERROR);
    PrepareFileStream(file.Stream());

    pDlg->m_status.SetWindowText("Connecting to ORX...");
    std::string why;
    const BOOL connected = pDlg->ConnectToDevice(&why);
    // Cancel also cuts short a connect being made: a failed connect then ends as cancelled.
    if (pDlg->m_transferState == TRANSFER_CANCEL)
        return FailTransfer(pDlg, nullptr, "Upload Cancelled!", RESULT_CANCELLED);
    if (!connected)
        return FailTransfer(pDlg, "Error connecting to ORX!", "Error connecting to ORX!",
                            RESULT_DEVICE_ERROR, why);
    if (!CheckDeviceIdentity(pDlg))
        return FailTransfer(pDlg, "This is not an ORX!", "Error! Device was not an ORX!",
                            RESULT_DEVICE_ERROR);

    DWORD serial = 0;
    if (const WORD code = ReadSerialNumber(pDlg->m_modbus, serial); code != MODBUS_OK)
        return FailTransfer(pDlg, "Error uploading!", nullptr, RESULT_DEVICE_ERROR,
                            DeviceFailure(pDlg, "Reading the serial number", code));
    WriteFileHeader(file.Stream(), serial);
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

} // namespace

UINT UploadThreadProc(LPVOID pParam) {
    auto* pDlg = static_cast<CORXConfigurationDlg*>(pParam);
    // The unfinished file is discarded as the exception leaves Upload.
    return GuardTransfer(pDlg, "Error uploading!", [pDlg] { return Upload(pDlg); });
}
