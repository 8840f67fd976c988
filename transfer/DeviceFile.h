#pragma once
// The configuration of a connected ORX into a configuration file: the core of an upload, of
// the backup before a download and of a site's backup.

#include "modbus/Modbus.h"
#include "transfer/ConfigFile.h"
#include "transfer/ReplacingFile.h"
#include "transfer/TransferView.h"

#include <functional>
#include <string>

enum class FileEnd { Complete, ReadFailed, Refused, FileError, Cancelled };

// How a device's configuration is read and written.
struct DeviceFileOptions {
    bool showAlarms = false; // "Uploading Alarm n/32..." and a progress step per alarm
    bool blockReads = false; // the alarms as CAlarmTableReader's block reads bring them
    RealFormat format = RealFormat::FourDecimals;
};

// The header with serial, then for each alarm its reads and its row (written before the
// reads are judged), the note, and the commit that puts the file in place. A cancel is seen
// after each alarm. why gets the cause of a failed read or of the file's failure.
FileEnd WriteDeviceFile(CModbus& modbus, CTransferView& view, DWORD serial, CReplacingFile& file,
                        const DeviceFileOptions& options, std::string& why);

// The file for a device's serial number; an empty path, with why set, refuses the device.
using FileForSerial = std::function<std::string(DWORD serial, std::string& why)>;

struct DeviceFileResult {
    FileEnd end = FileEnd::ReadFailed;
    DWORD serial = 0;
    std::string path; // once named
    std::string why;  // the cause of any end but Complete and Cancelled
};

// Reads the serial number, has the file named for it, then writes it as WriteDeviceFile does.
DeviceFileResult WriteDeviceFileFor(CModbus& modbus, CTransferView& view,
                                    const DeviceFileOptions& options, const FileForSerial& fileFor);
