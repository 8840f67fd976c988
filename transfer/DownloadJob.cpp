// File to device.

#include "transfer/ConfigCheck.h"
#include "transfer/RegisterMap.h"
#include "transfer/TransferJobs.h"
#include "transfer/TransferSteps.h"

namespace {

enum class AlarmsEnd { Complete, WriteFailed, Cancelled };

// The result of the lock input's read; locked only means something when it succeeded.
WORD ReadLock(CModbus& modbus, bool& locked) {
    CByteArray input;
    input.SetSize(1);
    const WORD code = modbus.ReadInputStatus(INPUT_CONFIG_LOCKED, input);
    locked = input[0] == 1;
    return code;
}

AlarmsEnd DownloadAlarms(CModbus& modbus, CTransferView& view, const std::vector<AlarmRecord>& rows,
                         std::string& why) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        view.SetStatus("Downloading Alarm " + std::to_string(n) + "/32");
        const bool written = WriteDeviceAlarm(modbus, n, rows[i], &why);
        view.StepProgress();
        if (!written)
            return AlarmsEnd::WriteFailed;
        if (view.IsCancelled())
            return AlarmsEnd::Cancelled;
    }
    return AlarmsEnd::Complete;
}

// Every refused row, one line each, as check reports them.
std::string DescribeProblems(const ConfigCheckResult& file) {
    std::string text;
    for (const RowReport& report : file.problems)
        text += (text.empty() ? "" : "\n") + DescribeRowReport(report);
    return text;
}

std::vector<std::string> DescribeWarnings(const ConfigCheckResult& file) {
    std::vector<std::string> texts;
    for (const RowWarning& warning : file.warnings)
        texts.push_back(DescribeRowWarning(warning));
    return texts;
}

// Past the lock check the device is owed one of the two end coils.
struct EndCoil {
    bool owed = false;
};

void SendAbortCoil(CModbus& modbus, EndCoil& coil) {
    coil.owed = false;
    modbus.ForceSingleCoil(COIL_DOWNLOAD_ABORTED, TRUE); // the stop is reported anyway
}

class CDownload {
public:
    CDownload(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view)
        : m_device(device), m_modbus(modbus), m_view(view) {}

    UINT Run();
    // An exception ended the download: the device learns that it stopped.
    void OnFailure() {
        if (m_coil.owed)
            SendAbortCoil(m_modbus, m_coil);
    }

private:
    UINT Fail(const char* box, const char* status, UINT result, const std::string& cause = {}) {
        return FailTransfer(m_view, m_modbus, box, status, result, cause);
    }
    UINT Abort(const char* box, const char* status, UINT result, const std::string& cause = {}) {
        SendAbortCoil(m_modbus, m_coil);
        return Fail(box, status, result, cause);
    }
    UINT WriteRows(const std::vector<AlarmRecord>& rows);

    const DeviceEndpoint& m_device;
    CModbus& m_modbus;
    CTransferView& m_view;
    EndCoil m_coil;
};

// Past the lock check: the rows, then the coil that tells the device how the download ended.
UINT CDownload::WriteRows(const std::vector<AlarmRecord>& rows) {
    m_coil.owed = true;
    std::string why;
    switch (DownloadAlarms(m_modbus, m_view, rows, why)) {
    case AlarmsEnd::WriteFailed:
        return Abort("Error downloading!", nullptr, RESULT_DEVICE_ERROR, why);
    case AlarmsEnd::Cancelled:
        return Abort(nullptr, "Download Cancelled!", RESULT_CANCELLED);
    case AlarmsEnd::Complete:
        break;
    }
    m_coil.owed = false;
    // A device that did not take the completion coil was not told of the download: that is
    // a failure, not "Download Complete!".
    if (m_modbus.ForceSingleCoil(COIL_DOWNLOAD_COMPLETE, TRUE) != MODBUS_OK)
        return Fail("Error downloading!", nullptr, RESULT_DEVICE_ERROR, m_modbus.LastFailure());
    m_view.SetProgress(ALARM_COUNT);
    m_view.SetStatus("Download Complete!");
    return EndTransfer(m_view, m_modbus, RESULT_OK);
}

UINT CDownload::Run() {
    std::string path;
    if (!m_view.ChooseFile(true, path))
        return RESULT_NO_FILE;
    m_view.BeginTransfer();
    if (path.empty())
        return RefuseEmptyPath(m_view);
    // The whole file is read and checked before the device is contacted, so that a file
    // with any unacceptable row writes nothing at all.
    const ConfigCheckResult file = CheckConfigFile(path);
    if (!file.fileError.empty())
        return Fail("Error opening file!", nullptr, RESULT_FILE_ERROR,
                    path + ": " + file.fileError);
    if (!file.Accepted())
        return Fail("Configuration Error!", nullptr, RESULT_CONFIG_ERROR, DescribeProblems(file));
    if (!m_view.Confirm(DOWNLOAD_QUESTION, DescribeWarnings(file)))
        return EndTransfer(m_view, m_modbus, RESULT_CANCELLED);

    m_view.SetStatus("Connecting to ORX...");
    std::string why;
    const bool connected = ConnectToOrx(
        m_modbus, m_device, [this] { return m_view.IsCancelled(); }, why);
    // Cancel also cuts short a connect being made: a failed connect then ends as cancelled.
    if (m_view.IsCancelled())
        return Fail(nullptr, "Download Cancelled!", RESULT_CANCELLED);
    if (!connected)
        return Fail("Error connecting to ORX!", "Error connecting to ORX!", RESULT_DEVICE_ERROR,
                    why);
    if (!CheckDeviceIdentity(m_modbus, &why))
        return Fail("This is not an ORX!", "Error! Device was not an ORX!", RESULT_DEVICE_ERROR,
                    why);
    bool locked = false;
    // A device that does not tell whether it is locked may be: it is not written.
    if (const WORD code = ReadLock(m_modbus, locked); code != MODBUS_OK)
        return Fail("Error downloading!", nullptr, RESULT_DEVICE_ERROR, m_modbus.LastFailure());
    if (locked)
        return Fail("Error! Configuration Locked!", "Error! Configuration Locked!", RESULT_LOCKED);
    return WriteRows(file.written);
}

} // namespace

UINT RunDownloadJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view) {
    CDownload download(device, modbus, view);
    return GuardTransfer(
        view, modbus, "Error downloading!", [&] { return download.Run(); },
        [&] { download.OnFailure(); });
}
