// Device to file: the upload, the backup of one device of a site, and the identification of
// a device that a restore begins with.

#include "transfer/DeviceFile.h"
#include "transfer/RegisterMap.h"
#include "transfer/TransferJobs.h"
#include "transfer/TransferSteps.h"

#include <filesystem>

namespace {

// "Upload Complete!", or the failure that ended the upload.
UINT FinishUpload(CTransferView& view, CModbus& modbus, const std::optional<Failure>& failure) {
    if (failure)
        return FailTransfer(view, modbus, *failure, "Error uploading!", "Upload Cancelled!");
    view.SetStatus("Upload Complete!");
    return EndTransfer(view, modbus, RESULT_OK);
}

UINT Upload(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view) {
    std::string path;
    if (const UINT begun = BeginWithFile(view, false, path); begun != RESULT_OK)
        return begun;
    // The upload goes to a file beside the chosen one, which it replaces only when complete.
    CReplacingFile file;
    if (const std::optional<Failure> refused = file.Open(path))
        return FinishUpload(view, modbus, refused);
    if (const UINT reached = ReachOrx(view, modbus, device, "Upload Cancelled!");
        reached != RESULT_OK)
        return reached;

    DWORD serial = 0;
    if (ReadDeviceSerial(view, modbus, serial) != MODBUS_OK)
        return FinishUpload(view, modbus, Failure{RESULT_DEVICE_ERROR, modbus.LastFailure()});
    const DeviceFileOptions options{.shown = AlarmReadsShown::Upload,
                                    .blockReads = device.blockReads};
    return FinishUpload(view, modbus, WriteDeviceFile(modbus, view, serial, file, options));
}

UINT SiteBackup(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view,
                const std::string& folder, const SerialClaim& claim, std::optional<DWORD>& serial) {
    view.BeginTransfer();
    if (const UINT reached = ReachOrx(view, modbus, device, "Upload Cancelled!");
        reached != RESULT_OK)
        return reached;
    // Exact, as every backup: the site's files are what puts a device back as it was.
    const DeviceFileResult backup = WriteDeviceFileFor(
        modbus, view, {.blockReads = device.blockReads, .format = RealFormat::Exact},
        [&](DWORD read) -> OrFailure<std::string> {
            serial = read;
            if (const std::string taken = claim ? claim(read) : std::string(); !taken.empty())
                return Failure{RESULT_FILE_ERROR, taken};
            const std::string name = "ORX-" + std::to_string(read) + ".csv";
            return (std::filesystem::path(folder) / name).string();
        });
    return FinishUpload(view, modbus, backup.failure);
}

UINT Identify(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view, DWORD& serial) {
    view.BeginTransfer();
    if (const UINT reached = ReachOrx(view, modbus, device, DOWNLOAD_CANCELLED_STATUS);
        reached != RESULT_OK)
        return reached;
    if (ReadDeviceSerial(view, modbus, serial) != MODBUS_OK)
        return FailTransfer(view, modbus, "Error downloading!", nullptr, RESULT_DEVICE_ERROR,
                            modbus.LastFailure());
    return EndTransfer(view, modbus, RESULT_OK);
}

} // namespace

UINT RunUploadJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view) {
    // The unfinished file is discarded as the exception leaves Upload.
    return GuardTransfer(view, modbus, "Error uploading!",
                         [&] { return Upload(device, modbus, view); });
}

UINT RunSiteBackupJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view,
                      const std::string& folder, const SerialClaim& claim,
                      std::optional<DWORD>& serial) {
    return GuardTransfer(view, modbus, "Error uploading!",
                         [&] { return SiteBackup(device, modbus, view, folder, claim, serial); });
}

UINT RunIdentifyJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view,
                    DWORD& serial) {
    return GuardTransfer(view, modbus, "Error downloading!",
                         [&] { return Identify(device, modbus, view, serial); });
}
