#include "transfer/DeviceFile.h"

#include "transfer/AlarmTableReader.h"
#include "transfer/RegisterMap.h"

namespace {

std::string UploadStatus(int n) {
    return "Uploading Alarm " + std::to_string(n) + '/' + std::to_string(ALARM_COUNT) + "...";
}

} // namespace

FileEnd WriteDeviceFile(CModbus& modbus, CTransferView& view, DWORD serial, CReplacingFile& file,
                        const DeviceFileOptions& options, std::string& why) {
    PrepareFileStream(file.Stream());
    WriteFileHeader(file.Stream(), serial);
    AlarmArrays alarm; // reused without clearing: a failed read repeats the previous values
    CAlarmTableReader reader(modbus, view, options.blockReads);
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        if (options.showAlarms)
            view.SetAlarmStatus(n, UploadStatus(n));
        const bool read = reader.Read(n, alarm, &why);
        WriteAlarmRow(file.Stream(), n, alarm.words, alarm.floats, alarm.faults, options.format);
        if (options.showAlarms)
            view.StepProgress();
        if (!read)
            return FileEnd::ReadFailed;
        if (view.IsCancelled())
            return FileEnd::Cancelled;
    }
    WriteFileNote(file.Stream());
    if (!file.Commit()) {
        why = file.Why();
        return FileEnd::FileError;
    }
    return FileEnd::Complete;
}

DeviceFileResult WriteDeviceFileFor(CModbus& modbus, CTransferView& view,
                                    const DeviceFileOptions& options,
                                    const FileForSerial& fileFor) {
    DeviceFileResult result;
    if (ReadSerialNumber(modbus, result.serial) != MODBUS_OK) {
        result.why = modbus.LastFailure();
        return result;
    }
    result.path = fileFor(result.serial, result.why);
    if (result.path.empty()) {
        result.end = FileEnd::Refused;
        return result;
    }
    CReplacingFile file;
    if (!file.Open(result.path)) {
        result.end = FileEnd::FileError;
        result.why = file.Why();
        return result;
    }
    result.end = WriteDeviceFile(modbus, view, result.serial, file, options, result.why);
    return result;
}
