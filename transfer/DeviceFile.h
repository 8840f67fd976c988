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

// The header with serial, then for each alarm its reads and its row (written before the
// reads are judged) with its reals in format, the note, and the commit that puts the file in
// place. The view shows
// "Uploading Alarm n/32..." and steps its progress per alarm when showAlarms is set; a cancel
// is seen after each alarm. why gets the cause of a failed read or of the file's failure.
// blockReads: the alarms as CAlarmTableReader's block reads bring them.
FileEnd WriteDeviceFile(CModbus& modbus, CTransferView& view, DWORD serial, CReplacingFile& file,
                        bool showAlarms, bool blockReads, RealFormat format, std::string& why);

// The file for a device's serial number; an empty path, with why set, refuses the device.
using FileForSerial = std::function<std::string(DWORD serial, std::string& why)>;

struct DeviceFileResult {
    FileEnd end = FileEnd::ReadFailed;
    DWORD serial = 0;
    std::string path; // once named
    std::string why;  // the cause of any end but Complete and Cancelled
};

// Reads the serial number, has the file named for it, then writes it as WriteDeviceFile does
// (without per-alarm status).
DeviceFileResult WriteDeviceFileFor(CModbus& modbus, CTransferView& view, bool blockReads,
                                    const FileForSerial& fileFor, RealFormat format);
