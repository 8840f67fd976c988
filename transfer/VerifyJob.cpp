// File against device, read-only.

#include "transfer/AlarmTableReader.h"
#include "transfer/ConfigCheck.h"
#include "transfer/TransferJobs.h"
#include "transfer/TransferSteps.h"

namespace {

constexpr const char* VERIFY_CANCELLED = "Verify Cancelled!";

// Alarms 1 to rows.size() of a connected ORX against the rows.
UINT CompareAlarms(CModbus& modbus, CTransferView& view, bool blockReads,
                   const std::vector<AlarmRecord>& rows, VerifyReport& report) {
    CAlarmTableReader reader(modbus, view, blockReads);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        AlarmArrays alarm;
        if (const std::optional<Failure> failure = reader.Read(n, alarm)) {
            const std::string text = "Error reading alarm " + std::to_string(n) + " from the ORX!";
            return FailTransfer(view, modbus, text.c_str(), nullptr, failure->result,
                                failure->cause);
        }
        for (const FieldDifference& difference : CompareAlarm(n, rows[i], alarm.ToRecord()))
            report.differences.push_back(difference);
        ++report.compared;
    }
    return EndTransfer(view, modbus, report.differences.empty() ? RESULT_OK : RESULT_DIFFERENT);
}

UINT Verify(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view,
            VerifyReport& report) {
    std::string path;
    if (const UINT begun = BeginWithFile(view, true, path); begun != RESULT_OK)
        return begun;
    const ConfigCheckResult file = CheckConfigFile(path);
    if (const UINT checked = RefuseUnacceptedFile(view, modbus, path, file); checked != RESULT_OK)
        return checked;
    if (const UINT reached = ReachOrx(view, modbus, device, VERIFY_CANCELLED); reached != RESULT_OK)
        return reached;
    return CompareAlarms(modbus, view, device.blockReads, file.written, report);
}

} // namespace

UINT RunVerifyJob(const DeviceEndpoint& device, CModbus& modbus, CTransferView& view,
                  VerifyReport& report) {
    return GuardTransfer(view, modbus, "Error verifying!",
                         [&] { return Verify(device, modbus, view, report); });
}
