// Putting a backup back, and what a person learns of a download that stopped part way.

#include "transfer/ConfigCheck.h"
#include "transfer/RegisterMap.h"
#include "transfer/TransferJobs.h"

#include <cctype>
#include <iterator>

namespace {

constexpr const char* PREVIOUS_CONFIGURATION = " the device's previous configuration";

std::string Join(const std::string& first, const std::string& second) {
    return first.empty() ? second : second.empty() ? first : first + "; " + second;
}

} // namespace

std::string DescribeWritten(const DownloadStop& stop) {
    const int n = stop.written;
    std::string text = n == 0   ? (stop.partial ? "" : "no alarm was written")
                       : n == 1 ? "alarm 1 was written"
                                : "alarms 1 to " + std::to_string(n) + " were written";
    if (stop.partial)
        text = Join(text, "alarm " + std::to_string(n + 1) + " may be partly written");
    const int untouched = n + (stop.partial ? 2 : 1);
    if (untouched == ALARM_COUNT)
        return Join(text, std::to_string(ALARM_COUNT) + " still holds" + PREVIOUS_CONFIGURATION);
    if (untouched < ALARM_COUNT)
        return Join(text, std::to_string(untouched) + " to " + std::to_string(ALARM_COUNT) +
                              " still hold" + PREVIOUS_CONFIGURATION);
    return text;
}

std::string DescribeTold(const DownloadStop& stop) {
    return stop.told ? "the ORX was told the download stopped (abort coil set)"
                     : "the ORX was not told the download stopped (abort coil not set)";
}

std::string AsSentence(std::string clause) {
    if (!clause.empty())
        clause[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(clause[0])));
    return clause + '.';
}

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
