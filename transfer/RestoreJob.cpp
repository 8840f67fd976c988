// Putting a backup back into the device it was made of.

#include "transfer/ConfigCheck.h"
#include "transfer/RegisterMap.h"
#include "transfer/TransferJobs.h"

#include <iterator>

UINT RunRestoreLookup(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view,
                      const std::string& folder, const std::string& given, RestoreTarget& target) {
    if (const UINT identified = RunIdentifyJob(device, modbus, view, target.serial);
        identified != RESULT_OK)
        return identified;
    target.backups = ListBackups(folder, target.serial);
    if (!given.empty())
        target.path = given;
    else if (!target.backups.empty())
        target.path = target.backups.back().path;
    return target.path.empty() ? RESULT_NO_FILE : RESULT_OK;
}

DownloadOptions RestoreDownload(const RestoreTarget& target, const std::string& folder, int keep) {
    return {BackupPlan::IntoFolder(folder, keep), target.serial};
}

const BackupFile* OlderUsableBackup(const RestoreTarget& target) {
    const std::vector<BackupFile>& backups = target.backups;
    if (backups.empty())
        return nullptr;
    for (auto older = std::next(backups.rbegin()); older != backups.rend(); ++older)
        if (CheckBackupFile(older->path, target.serial).Accepted())
            return &*older;
    return nullptr;
}
