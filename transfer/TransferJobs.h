#pragma once
// The transfers between an ORX device and a configuration file. Each runs on the calling
// thread, presents itself through the view and returns a RESULT_* code.

#include "modbus/Modbus.h"
#include "transfer/Backups.h"
#include "transfer/DeviceAddress.h"
#include "transfer/DeviceCompare.h"
#include "transfer/TransferResults.h"
#include "transfer/TransferView.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

constexpr const char* UPLOAD_QUESTION = "Please verify you wish to upload the ORX's configuration.";
constexpr const char* DOWNLOAD_QUESTION =
    "Please verify you wish to download the configuration to the ORX.";

// Device to file: the chosen file is replaced only by a complete upload.
UINT RunUploadJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view);

constexpr const char* BACKUP_STATUS = "Backing up ORX...";
// How a download ends in the status line, when it ends well or is cancelled.
constexpr const char* DOWNLOAD_COMPLETE_STATUS = "Download Complete!";
constexpr const char* DOWNLOAD_CANCELLED_STATUS = "Download Cancelled!";

struct DownloadOptions {
    // Made after the lock check and before the first write, as an upload writes a file; a
    // backup that cannot be made ends the download before anything is written.
    BackupPlan backup;
    // A restore: the file is a backup of the device with this serial number, written back
    // whole and as the device held it (CheckBackupFile), and a device with another serial
    // number is not written.
    std::optional<DWORD> requiredSerial;
};

// How far a download got that stopped once writing had begun (cancelled or failed).
struct DownloadStop {
    int written = 0;      // alarms 1 to written hold the file
    bool partial = false; // alarm written + 1 was being written: it may hold part of its row
    bool told = false;    // the device took the abort coil
};

// "alarms 1 to 7 were written; 8 to 32 still hold the device's previous configuration"
std::string DescribeWritten(const DownloadStop& stop);
// "the ORX was told the download stopped (abort coil set)", or that it was not.
std::string DescribeTold(const DownloadStop& stop);
// A clause above as a sentence of its own: capital first, full stop last.
std::string AsSentence(std::string clause);

struct DownloadReport {
    std::string backupPath; // the backup made, if any
    std::string warning;    // a failure after the backup was made that did not stop the download
    std::optional<DownloadStop> stop; // set when the download stopped after its first write
};

// File to device: the whole file is checked first, the download confirmed, a locked device
// refused, the device backed up, and the device told by a coil how the download ended.
UINT RunDownloadJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view,
                    const DownloadOptions& options, DownloadReport* report = nullptr);

// Device to folder/ORX-<serial>.csv, named once the serial number is read and replaced only
// by a complete backup; claim(serial) gives why the device may not take that name (another
// device of the run did), empty when it may. serial gets the serial number once read.
using SerialClaim = std::function<std::string(DWORD serial)>;
UINT RunSiteBackupJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view,
                      const std::string& folder, const SerialClaim& claim,
                      std::optional<DWORD>& serial);

// Connects, checks the identity and reads the serial number, as the first steps of a restore.
UINT RunIdentifyJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view,
                    DWORD& serial);

// What a restore puts back into a device: its newest backup, or one given.
struct RestoreTarget {
    DWORD serial = 0;
    std::vector<BackupFile> backups; // the serial's backups in the folder, oldest first
    std::string path;                // the backup to write
};

// A restore's first steps: the device identified, its serial number read, its backups in
// folder listed and the one to write chosen (given, or else the newest). RESULT_OK with target
// set; RESULT_NO_FILE, with nothing shown, when the folder holds no backup of the serial.
UINT RunRestoreLookup(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view,
                      const std::string& folder, const std::string& given, RestoreTarget& target);
// The download that puts target back: its serial number required, the device backed up into
// folder first, as before any download.
DownloadOptions RestoreDownload(const RestoreTarget& target, const std::string& folder, int keep);
// After target's backup was refused: the next older one a restore would take, or nullptr.
const BackupFile* OlderUsableBackup(const RestoreTarget& target);

struct VerifyReport {
    int compared = 0; // alarms read and compared
    std::vector<FieldDifference> differences;
};

// File against device, read-only: every field of the rows a download would write.
// RESULT_OK when the device holds what the file says, RESULT_DIFFERENT when it does not.
UINT RunVerifyJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view,
                  VerifyReport& report);
