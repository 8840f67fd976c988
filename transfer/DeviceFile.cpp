#include "transfer/DeviceFile.h"

#include "transfer/AlarmTableReader.h"
#include "transfer/RegisterMap.h"
#include "transfer/TransferSteps.h"

namespace {

std::string UploadStatus(int n) {
    return "Uploading Alarm " + std::to_string(n) + '/' + std::to_string(ALARM_COUNT) + "...";
}

} // namespace

std::optional<Failure> WriteDeviceFile(CModbus& modbus, CTransferView& view, DWORD serial,
                                       CReplacingFile& file, const DeviceFileOptions& options) {
    PrepareFileStream(file.Stream());
    WriteFileHeader(file.Stream(), serial);
    AlarmArrays alarm; // reused without clearing: a failed read repeats the previous values
    CAlarmTableReader reader(modbus, view, options.blockReads);
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        if (options.shown == AlarmReadsShown::Upload)
            view.SetAlarmStatus(n, UploadStatus(n));
        const std::optional<Failure> read = reader.Read(n, alarm);
        WriteAlarmRow(file.Stream(), n, alarm.words, alarm.floats, alarm.faults, options.format);
        if (options.shown == AlarmReadsShown::Upload)
            view.StepProgress();
        else if (options.shown == AlarmReadsShown::Backup)
            view.BackupProgress(n);
        if (read)
            return read;
        if (view.IsCancelled())
            return Failure{RESULT_CANCELLED, {}};
    }
    WriteFileNote(file.Stream());
    return file.Commit();
}

DeviceFileResult WriteDeviceFileFor(CModbus& modbus, CTransferView& view,
                                    const DeviceFileOptions& options,
                                    const FileForSerial& fileFor) {
    DeviceFileResult result;
    if (ReadDeviceSerial(view, modbus, result.serial) != MODBUS_OK) {
        result.failure = Failure{RESULT_DEVICE_ERROR, modbus.LastFailure()};
        return result;
    }
    const OrFailure<std::string> path = fileFor(result.serial);
    if (!path) {
        result.failure = path.Error();
        return result;
    }
    result.path = *path;
    CReplacingFile file;
    result.failure = file.Open(result.path);
    if (!result.failure)
        result.failure = WriteDeviceFile(modbus, view, result.serial, file, options);
    return result;
}
