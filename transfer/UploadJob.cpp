// Device to file.

#include "transfer/ConfigFile.h"
#include "transfer/RegisterMap.h"
#include "transfer/ReplacingFile.h"
#include "transfer/TransferJobs.h"
#include "transfer/TransferSteps.h"

namespace {

enum class AlarmsEnd { Complete, ReadFailed, Cancelled };

std::string UploadStatus(int n) {
    return "Uploading Alarm " + std::to_string(n) + "/32...";
}

// The row of each alarm is written before its reads are judged; why gets a failure's cause.
AlarmsEnd UploadAlarms(CModbus& modbus, CTransferView& view, std::ostream& file, std::string& why) {
    AlarmArrays alarm; // reused without clearing: a failed read repeats the previous values
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        view.SetStatus(UploadStatus(n));
        const bool read = ReadDeviceAlarm(modbus, n, alarm, &why);
        WriteAlarmRow(file, n, alarm.words, alarm.floats, alarm.faults);
        view.StepProgress();
        if (!read)
            return AlarmsEnd::ReadFailed;
        if (view.IsCancelled())
            return AlarmsEnd::Cancelled;
    }
    return AlarmsEnd::Complete;
}

UINT Upload(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view) {
    std::string path;
    if (!view.ChooseFile(false, path))
        return RESULT_NO_FILE;
    view.BeginTransfer();
    if (path.empty())
        return RefuseEmptyPath(view);
    // The upload goes to a file beside the chosen one, which it replaces only when complete.
    CReplacingFile file;
    if (!file.Open(path))
        return FailTransfer(view, modbus, "Error writing to file!", nullptr, RESULT_FILE_ERROR,
                            path + ": " + file.Why());
    PrepareFileStream(file.Stream());

    view.SetStatus("Connecting to ORX...");
    std::string why;
    const bool connected = ConnectToOrx(
        modbus, device, [&view] { return view.IsCancelled(); }, why);
    // Cancel also cuts short a connect being made: a failed connect then ends as cancelled.
    if (view.IsCancelled())
        return FailTransfer(view, modbus, nullptr, "Upload Cancelled!", RESULT_CANCELLED);
    if (!connected)
        return FailTransfer(view, modbus, "Error connecting to ORX!", "Error connecting to ORX!",
                            RESULT_DEVICE_ERROR, why);
    if (!CheckDeviceIdentity(modbus, &why))
        return FailTransfer(view, modbus, "This is not an ORX!", "Error! Device was not an ORX!",
                            RESULT_DEVICE_ERROR, why);

    DWORD serial = 0;
    if (const WORD code = ReadSerialNumber(modbus, serial); code != MODBUS_OK)
        return FailTransfer(view, modbus, "Error uploading!", nullptr, RESULT_DEVICE_ERROR,
                            modbus.LastFailure());
    WriteFileHeader(file.Stream(), serial);
    switch (UploadAlarms(modbus, view, file.Stream(), why)) {
    case AlarmsEnd::ReadFailed:
        return FailTransfer(view, modbus, "Error uploading!", nullptr, RESULT_DEVICE_ERROR, why);
    case AlarmsEnd::Cancelled:
        return FailTransfer(view, modbus, nullptr, "Upload Cancelled!", RESULT_CANCELLED);
    case AlarmsEnd::Complete:
        break;
    }
    WriteFileNote(file.Stream());
    if (!file.Commit())
        return FailTransfer(view, modbus, "Error writing to file!", nullptr, RESULT_FILE_ERROR,
                            path + ": " + file.Why());
    view.SetStatus("Upload Complete!");
    return EndTransfer(view, modbus, RESULT_OK);
}

} // namespace

UINT RunUploadJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view) {
    // The unfinished file is discarded as the exception leaves Upload.
    return GuardTransfer(view, modbus, "Error uploading!",
                         [&] { return Upload(device, modbus, view); });
}
