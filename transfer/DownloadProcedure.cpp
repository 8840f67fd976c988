// File to device: the worker started by "Download to ORX".

#include "app/ORXConfigurationDlg.h"
#include "modbus/Modbus.h"
#include "transfer/ConfigCheck.h"
#include "transfer/RegisterMap.h"
#include "transfer/TransferProcedures.h"
#include "transfer/TransferResults.h"
#include "transfer/TransferSteps.h"

#include <vector>

namespace {

enum class AlarmsEnd { Complete, WriteFailed, Cancelled };

// The result of the lock input's read; locked only means something when it succeeded.
WORD ReadLock(CModbus& modbus, bool& locked) {
    CByteArray input;
    input.SetSize(1);
    const WORD code = modbus.ReadInputStatus(INPUT_CONFIG_LOCKED, input);
    locked = input[0] == 1;
    return code;
}

AlarmsEnd DownloadAlarms(CORXConfigurationDlg* pDlg, const std::vector<AlarmRecord>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        CString status;
        status.Format("Downloading Alarm %d/32", n);
        pDlg->m_status.SetWindowText(status);
        const bool written = WriteDeviceAlarm(pDlg->m_modbus, n, rows[i]);
        pDlg->m_progress.SendMessage(PBM_STEPIT);
        if (!written)
            return AlarmsEnd::WriteFailed;
        if (pDlg->m_transferState == TRANSFER_CANCEL)
            return AlarmsEnd::Cancelled;
    }
    return AlarmsEnd::Complete;
}

// Every refused row, one line each, as check reports them.
std::string DescribeProblems(const ConfigCheckResult& file) {
    std::string text;
    for (const RowReport& report : file.problems)
        text += (text.empty() ? "" : "\n") + DescribeRowReport(report);
    return text;
}

// Past the lock check the device is owed one of the two end coils.
struct EndCoil {
    bool owed = false;
};

void SendAbortCoil(CORXConfigurationDlg* pDlg, EndCoil& coil) {
    coil.owed = false;
    pDlg->m_modbus.ForceSingleCoil(COIL_DOWNLOAD_ABORTED, TRUE); // the stop is reported anyway
}

UINT AbortDownload(CORXConfigurationDlg* pDlg, EndCoil& coil, const char* box, const char* status,
                   UINT result) {
    SendAbortCoil(pDlg, coil);
    return FailTransfer(pDlg, box, status, result);
}

// Past the lock check: the rows, then the coil that tells the device how the download ended.
UINT DownloadRows(CORXConfigurationDlg* pDlg, const std::vector<AlarmRecord>& rows, EndCoil& coil) {
    coil.owed = true;
    switch (DownloadAlarms(pDlg, rows)) {
    case AlarmsEnd::WriteFailed:
        return AbortDownload(pDlg, coil, "Error downloading!", nullptr, RESULT_DEVICE_ERROR);
    case AlarmsEnd::Cancelled:
        return AbortDownload(pDlg, coil, nullptr, "Download Cancelled!", RESULT_CANCELLED);
    case AlarmsEnd::Complete:
        break;
    }
    coil.owed = false;
    // A device that did not take the completion coil was not told of the download: that is
    // a failure, not "Download Complete!".
    if (pDlg->m_modbus.ForceSingleCoil(COIL_DOWNLOAD_COMPLETE, TRUE) != 0)
        return FailTransfer(pDlg, "Error downloading!", nullptr, RESULT_DEVICE_ERROR);
    pDlg->m_progress.SendMessage(PBM_SETPOS, ALARM_COUNT, 0);
    pDlg->m_status.SetWindowText("Download Complete!");
    return EndTransfer(pDlg, RESULT_OK);
}

UINT Download(CORXConfigurationDlg* pDlg, EndCoil& coil) {
    CString path;
    if (!ChooseConfigurationFile(TRUE, path))
        return RESULT_NO_FILE;
    ArrangeForTransfer(pDlg);
    if (path.IsEmpty())
        return RefuseEmptyPath(pDlg);
    // The whole file is read and checked before the device is contacted, so that a file
    // with any unacceptable row writes nothing at all.
    const ConfigCheckResult file = CheckConfigFile(path.str());
    if (!file.fileError.empty())
        return FailTransfer(pDlg, "Error opening file!", nullptr, RESULT_FILE_ERROR,
                            path.str() + ": " + file.fileError);
    if (!file.Accepted())
        return FailTransfer(pDlg, "Configuration Error!", nullptr, RESULT_CONFIG_ERROR,
                            DescribeProblems(file));

    pDlg->m_status.SetWindowText("Connecting to ORX...");
    std::string why;
    const BOOL connected = pDlg->ConnectToDevice(&why);
    // Cancel also cuts short a connect being made: a failed connect then ends as cancelled.
    if (pDlg->m_transferState == TRANSFER_CANCEL)
        return FailTransfer(pDlg, nullptr, "Download Cancelled!", RESULT_CANCELLED);
    if (!connected)
        return FailTransfer(pDlg, "Error connecting to ORX!", "Error connecting to ORX!",
                            RESULT_DEVICE_ERROR, why);
    if (!CheckDeviceIdentity(pDlg))
        return FailTransfer(pDlg, "This is not an ORX!", "Error! Device was not an ORX!",
                            RESULT_DEVICE_ERROR);
    bool locked = false;
    // A device that does not tell whether it is locked may be: it is not written.
    if (const WORD code = ReadLock(pDlg->m_modbus, locked); code != MODBUS_OK)
        return FailTransfer(pDlg, "Error downloading!", nullptr, RESULT_DEVICE_ERROR,
                            DeviceFailure(pDlg, "Reading the lock input", code));
    if (locked)
        return FailTransfer(pDlg, "Error! Configuration Locked!", "Error! Configuration Locked!",
                            RESULT_LOCKED);
    return DownloadRows(pDlg, file.written, coil);
}

} // namespace

UINT DownloadThreadProc(LPVOID pParam) {
    auto* pDlg = static_cast<CORXConfigurationDlg*>(pParam);
    EndCoil coil;
    return GuardTransfer(
        pDlg, "Error downloading!", [&] { return Download(pDlg, coil); },
        [&] {
            if (coil.owed)
                SendAbortCoil(pDlg, coil);
        });
}
