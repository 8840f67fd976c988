#pragma once
// The configuration of a connected ORX into a configuration file: the core of an upload, of
// the backup before a download and of a site's backup.

#include "modbus/Modbus.h"
#include "transfer/ConfigFile.h"
#include "transfer/ReplacingFile.h"
#include "transfer/TransferView.h"

#include <functional>
#include <string>

// How the reads of the alarms are shown: not at all, as an upload ("Uploading Alarm n/32..."
// and a progress step per alarm), or as the backup before a download's first write.
enum class AlarmReadsShown { None, Upload, Backup };

// How a device's configuration is read and written.
struct DeviceFileOptions {
    AlarmReadsShown shown = AlarmReadsShown::None;
    bool blockReads = false; // the alarms as CAlarmTableReader's block reads bring them
    RealFormat format = RealFormat::FourDecimals;
};

// The header with serial, then for each alarm its reads and its row (written before the
// reads are judged), the note, and the commit that puts the file in place. A cancel is seen
// after each alarm. The failure of a read (RESULT_DEVICE_ERROR), of the file
// (RESULT_FILE_ERROR), or RESULT_CANCELLED.
std::optional<Failure> WriteDeviceFile(CModbus& modbus, CTransferView& view, DWORD serial,
                                       CReplacingFile& file, const DeviceFileOptions& options);

// The file for a device's serial number, or the failure that refuses the device.
using FileForSerial = std::function<OrFailure<std::string>(DWORD serial)>;

struct DeviceFileResult {
    DWORD serial = 0;
    std::string path; // once named
    std::optional<Failure> failure;
};

// Reads the serial number, has the file named for it, then writes it as WriteDeviceFile does.
DeviceFileResult WriteDeviceFileFor(CModbus& modbus, CTransferView& view,
                                    const DeviceFileOptions& options, const FileForSerial& fileFor);
