#pragma once
// The transfers between an ORX device and a configuration file. Each runs on the calling
// thread, presents itself through the view and returns a RESULT_* code.

#include "modbus/Modbus.h"
#include "transfer/DeviceAddress.h"
#include "transfer/DeviceCompare.h"
#include "transfer/TransferView.h"

#include <vector>

constexpr const char* UPLOAD_QUESTION = "Please verify you wish to upload the ORX's configuration.";
constexpr const char* DOWNLOAD_QUESTION =
    "Please verify you wish to download the configuration to the ORX.";

// Device to file: the chosen file is replaced only by a complete upload.
UINT RunUploadJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view);

// File to device: the whole file is checked first, the download confirmed, a locked device
// refused, and the device told by a coil how the download ended.
UINT RunDownloadJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view);

struct VerifyReport {
    int compared = 0; // alarms read and compared
    std::vector<FieldDifference> differences;
};

// File against device, read-only: every field of the rows a download would write.
// RESULT_OK when the device holds what the file says, RESULT_DIFFERENT when it does not.
UINT RunVerifyJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view,
                  VerifyReport& report);
