// File to device.

#include "transfer/ConfigCheck.h"
#include "transfer/DeviceFile.h"
#include "transfer/RegisterMap.h"
#include "transfer/TransferJobs.h"
#include "transfer/TransferSteps.h"

#include <cctype>
#include <filesystem>

namespace {

constexpr const char* NOTHING_WRITTEN = "no backup, nothing written: ";
constexpr const char* NOT_TOLD_FINISHED = "the device could not be told that the download finished";

// "alarm 1", "alarms 1 to n".
std::string AlarmsUpTo(int n) {
    return n == 1 ? "alarm 1" : "alarms 1 to " + std::to_string(n);
}

constexpr const char* PREVIOUS_CONFIGURATION = " the device's previous configuration";

// Two clauses of a description, either of which may be empty.
std::string Join(const std::string& first, const std::string& second) {
    return first.empty() ? second : second.empty() ? first : first + "; " + second;
}

// The result of the lock input's read; locked only means something when it succeeded.
WORD ReadLock(CModbus& modbus, bool& locked) {
    CByteArray input;
    input.SetSize(1);
    const WORD code = modbus.ReadInputStatus(INPUT_CONFIG_LOCKED, input);
    locked = input[0] == 1;
    return code;
}

// progress counts the alarms whose writes all succeeded, and whether one is being written.
// The first failed write, or RESULT_CANCELLED.
std::optional<Failure> DownloadAlarms(CModbus& modbus, CTransferView& view,
                                      const std::vector<AlarmRecord>& rows,
                                      DownloadStop& progress) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        view.SetAlarmStatus(n, "Downloading Alarm " + std::to_string(n) + '/' +
                                   std::to_string(ALARM_COUNT));
        progress.partial = true;
        const std::optional<Failure> failure = WriteDeviceAlarm(modbus, n, rows[i]);
        view.StepProgress();
        if (failure)
            return failure;
        progress = {.written = n};
        if (view.IsCancelled())
            return Failure{RESULT_CANCELLED, {}};
    }
    return std::nullopt;
}

std::vector<std::string> DescribeWarnings(const ConfigCheckResult& file) {
    std::vector<std::string> texts;
    for (const RowWarning& warning : file.warnings)
        texts.push_back(DescribeRowWarning(warning));
    return texts;
}

class CDownload {
public:
    CDownload(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view,
              const DownloadOptions& options, DownloadReport& report)
        : m_device(device), m_modbus(modbus), m_view(view), m_options(options), m_report(report) {}

    UINT Run();
    // An exception ended the download: the device learns that it stopped, the person how far
    // it got (empty before the first write).
    std::string OnFailure() {
        std::string told;
        if (m_abortOwed)
            TellStopped(told);
        return told;
    }

private:
    UINT Fail(const char* box, const char* status, UINT result, const std::string& cause = {}) {
        return FailTransfer(m_view, m_modbus, box, status, result, cause);
    }
    UINT WriteRows(const std::vector<AlarmRecord>& rows);
    std::string WriteQuestion(const std::string& path, std::size_t rows, DWORD serial) const;
    UINT BackUp();
    OrFailure<std::string> BackupPath(DWORD serial);
    bool TellStopped(std::string& told);
    std::optional<Failure> SetEndCoil(WORD coil);
    std::optional<Failure> Reconnect();

    const DeviceEndpoint& m_device;
    CModbus& m_modbus;
    CTransferView& m_view;
    const DownloadOptions& m_options;
    DownloadReport& m_report;
    bool m_abortOwed = false; // from the first write until an end coil was tried
    DownloadStop m_progress;  // the alarms written
    CBackupClaim m_backupName;
};

// A new connection to the device, checked to be an ORX again. A cancel asked for before it
// began does not cut it short, since telling the device is what that cancel waits for; one
// that arrives while it is being made does.
std::optional<Failure> CDownload::Reconnect() {
    const bool cancelledBefore = m_view.IsCancelled();
    const ConnectCancelled cancelled = [this, cancelledBefore] {
        return !cancelledBefore && m_view.IsCancelled();
    };
    if (std::optional<Failure> failure = ConnectToOrx(m_modbus, m_device, cancelled))
        return failure;
    return CheckDeviceIdentity(m_modbus);
}

// Sets an end coil; when the connection failed under it, once more on a new connection (a
// device that refused the coil itself is not asked again). None when the device took it.
std::optional<Failure> CDownload::SetEndCoil(WORD coil) {
    const WORD code = m_modbus.ForceSingleCoil(coil, TRUE);
    if (code == MODBUS_OK)
        return std::nullopt;
    const std::string failure = m_modbus.LastFailure();
    if (code >= MODBUS_EXCEPTION)
        return Failure{RESULT_DEVICE_ERROR, failure};
    const std::optional<Failure> again = Reconnect();
    if (!again && m_modbus.ForceSingleCoil(coil, TRUE) == MODBUS_OK)
        return std::nullopt;
    const std::string reconnecting =
        again && !again->cause.empty() ? again->cause : m_modbus.LastFailure();
    return Failure{RESULT_DEVICE_ERROR, failure + "; reconnecting: " + reconnecting};
}

// The abort coil; told gets how far the download got and whether the device knows it stopped,
// as the report has it.
bool CDownload::TellStopped(std::string& told) {
    m_abortOwed = false;
    const std::optional<Failure> untold = SetEndCoil(COIL_DOWNLOAD_ABORTED);
    m_progress.told = !untold;
    m_report.stop = m_progress;
    told = DescribeWritten(m_progress) + "; " + DescribeTold(m_progress) +
           (untold ? ": " + untold->cause : "");
    return !untold;
}

// Past the lock check: the rows, then the coil that tells the device how the download ended.
UINT CDownload::WriteRows(const std::vector<AlarmRecord>& rows) {
    m_abortOwed = true;
    if (const std::optional<Failure> stopped = DownloadAlarms(m_modbus, m_view, rows, m_progress)) {
        std::string told;
        const bool toldStopped = TellStopped(told);
        if (stopped->result != RESULT_CANCELLED)
            return Fail("Error downloading!", nullptr, stopped->result,
                        stopped->cause + "; " + told);
        // A cancel stays one; a device that was not told of it is an error to show.
        if (toldStopped)
            return Fail(nullptr, DOWNLOAD_CANCELLED_STATUS, RESULT_CANCELLED);
        return Fail("Error downloading!", DOWNLOAD_CANCELLED_STATUS, RESULT_CANCELLED,
                    "cancelled; " + told);
    }
    m_abortOwed = false;
    // A device that did not take the completion coil was not told of the download: that is
    // a failure, not "Download Complete!".
    if (const std::optional<Failure> untold = SetEndCoil(COIL_DOWNLOAD_COMPLETE))
        return Fail("Error downloading!", nullptr, untold->result,
                    "the whole file was written (" + AlarmsUpTo(m_progress.written) + "); " +
                        NOT_TOLD_FINISHED + ": " + untold->cause);
    m_view.SetProgress(ALARM_COUNT);
    m_view.SetStatus(DOWNLOAD_COMPLETE_STATUS);
    return EndTransfer(m_view, m_modbus, RESULT_OK);
}

OrFailure<std::string> CDownload::BackupPath(DWORD serial) {
    if (m_options.requiredSerial && serial != *m_options.requiredSerial)
        return Failure{RESULT_DEVICE_ERROR, "the ORX has serial number " + std::to_string(serial) +
                                                ", not " +
                                                std::to_string(*m_options.requiredSerial)};
    const BackupPlan& plan = m_options.backup;
    if (plan.kind == BackupPlan::Kind::File)
        return plan.path;
    return m_backupName.Claim(plan.path, serial, std::time(nullptr));
}

// The device's configuration as it is before the first write; RESULT_OK to go on.
UINT CDownload::BackUp() {
    const BackupPlan& plan = m_options.backup;
    if (plan.kind == BackupPlan::Kind::None)
        return RESULT_OK;
    m_view.SetStatus(BACKUP_STATUS);
    if (plan.kind == BackupPlan::Kind::Folder) {
        std::error_code error;
        if (plan.path.empty())
            return Fail("Error writing to file!", nullptr, RESULT_FILE_ERROR,
                        std::string(NOTHING_WRITTEN) + NO_BACKUP_FOLDER);
        std::filesystem::create_directories(plan.path, error);
        if (error)
            return Fail("Error writing to file!", nullptr, RESULT_FILE_ERROR,
                        NOTHING_WRITTEN + plan.path + ": " + error.message());
    }
    const DeviceFileResult backup =
        WriteDeviceFileFor(m_modbus, m_view,
                           {.shown = AlarmReadsShown::Backup,
                            .blockReads = m_device.blockReads,
                            .format = RealFormat::Exact},
                           [this](DWORD serial) { return BackupPath(serial); });
    if (const std::optional<Failure>& failed = backup.failure)
        return FailTransfer(m_view, m_modbus, {failed->result, NOTHING_WRITTEN + failed->cause},
                            "Error downloading!", DOWNLOAD_CANCELLED_STATUS);
    m_backupName.Keep();
    m_report.backupPath = backup.path;
    if (plan.kind == BackupPlan::Kind::Folder)
        if (const auto failure = PruneBackups(plan.path, backup.serial, plan.keep, backup.path))
            m_report.warning = "old backups not removed: " + failure->cause;
    return RESULT_OK;
}

// "Write edit.csv (32 alarms) to ORX 1234567 at 10.1.2.3?"; a restore names its backup.
std::string CDownload::WriteQuestion(const std::string& path, std::size_t rows,
                                     DWORD serial) const {
    const std::string what = m_options.requiredSerial
                                 ? "backup " + std::filesystem::path(path).filename().string()
                                 : path;
    return "Write " + what + " (" + std::to_string(rows) + (rows == 1 ? " alarm" : " alarms") +
           ") to ORX " + std::to_string(serial) + " at " + DeviceName(m_device) + '?';
}

UINT CDownload::Run() {
    std::string path;
    if (const UINT begun = BeginWithFile(m_view, true, path); begun != RESULT_OK)
        return begun;
    // The whole file is read and checked before the device is contacted, so that a file
    // with any unacceptable row writes nothing at all.
    const ConfigCheckResult file = m_options.requiredSerial
                                       ? CheckBackupFile(path, *m_options.requiredSerial)
                                       : CheckConfigFile(path);
    if (const UINT checked = RefuseUnacceptedFile(m_view, m_modbus, path, file);
        checked != RESULT_OK)
        return checked;
    if (const UINT reached = ReachOrx(m_view, m_modbus, m_device, DOWNLOAD_CANCELLED_STATUS);
        reached != RESULT_OK)
        return reached;
    bool locked = false;
    // A device that does not tell whether it is locked may be: it is not written.
    if (const WORD code = ReadLock(m_modbus, locked); code != MODBUS_OK)
        return Fail("Error downloading!", nullptr, RESULT_DEVICE_ERROR, m_modbus.LastFailure());
    if (locked)
        return Fail("Error! Configuration Locked!", "Error! Configuration Locked!", RESULT_LOCKED);
    // Asked once the device is known, so that the question names what is written where.
    std::string question;
    if (DWORD serial = 0; m_view.AsksQuestion()) {
        if (ReadDeviceSerial(m_view, m_modbus, serial) != MODBUS_OK)
            return Fail("Error downloading!", nullptr, RESULT_DEVICE_ERROR, m_modbus.LastFailure());
        question = WriteQuestion(path, file.written.size(), serial);
    }
    if (!m_view.Confirm(question, DescribeWarnings(file)))
        return EndTransfer(m_view, m_modbus, RESULT_CANCELLED);
    if (const UINT backedUp = BackUp(); backedUp != RESULT_OK)
        return backedUp;
    // A cancel while the backup was synced, renamed or pruned: nothing is written, no coil.
    if (m_view.IsCancelled())
        return Fail(nullptr, DOWNLOAD_CANCELLED_STATUS, RESULT_CANCELLED);
    return WriteRows(file.written);
}

} // namespace

std::string DescribeWritten(const DownloadStop& stop) {
    const int n = stop.written;
    std::string text = n == 0 ? (stop.partial ? "" : "no alarm was written")
                              : AlarmsUpTo(n) + (n == 1 ? " was written" : " were written");
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

UINT RunDownloadJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view,
                    const DownloadOptions& options, DownloadReport* report) {
    DownloadReport unused;
    CDownload download(device, modbus, view, options, report ? *report : unused);
    return GuardTransfer(
        view, modbus, "Error downloading!", [&] { return download.Run(); },
        [&] { return download.OnFailure(); });
}
