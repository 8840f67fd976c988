#pragma once
// Configuration file texts for the download tests, what the device holds after them, and the
// transfer fixture for downloads: the simulated ORX's alarms all start at zero.

#include "cli/OrxTransfer.h"
#include "support/TransferFixture.h"
#include "transfer/ConfigFile.h"

#include <regex>

inline const std::string DOWNLOAD_FILE_HEADER =
    "ORX Configuration Transfer Utility Version 1.00.00\n"
    "Sun Dec 06 10:00:00 2026\n"
    "Serial Number: 1234567\n"
    "Alarm,Alarm,Source,Source,Output,Trip Point,Deadband,Enunciate System\n"
    "Number,Mode,Module,Channel,Relay,,,Faults\n";
inline const std::string DOWNLOAD_FILE_NOTE =
    "\"Alarm Mode (0 = Disabled, 1 = Trip Low, 2 = Trip High)\"\n";

// Alarm n of a configuration that differs from a zeroed device in every alarm: each field
// lies within the accepted ranges and the module is never 0.
inline AlarmRecord DistinctAlarm(int n) {
    const auto w = [](int v) { return static_cast<WORD>(v); };
    const float f = static_cast<float>(n);
    return {w(n % 3),          w(2 + n % 15), w(1 + n % 4), w(n % 9),
            f * 1.25f - 10.0f, f * 0.5f,      n % 2 == 1};
}

// Rows first..last of DistinctAlarm, as an upload writes them.
inline std::string DistinctRows(int first, int last) {
    std::ostringstream out;
    PrepareFileStream(out);
    for (int n = first; n <= last; ++n)
        WriteAlarmRow(out, n, DistinctAlarm(n));
    return out.str();
}

inline std::string FullFileText() {
    return DOWNLOAD_FILE_HEADER + DistinctRows(1, ALARM_COUNT) + DOWNLOAD_FILE_NOTE;
}

// A device that has the identity of an ORX and nothing else.
inline SimulatorOptions ZeroedDevice() {
    SimulatorOptions options;
    options.image = DeviceImage{};
    return options;
}

// Runs orx-transfer's command line in this process; the download's question is read from
// questionFd.
inline ProgramRun RunCommand(const std::vector<std::string>& args, int questionFd = -1) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = RunOrxTransfer(args, {out, err, questionFd, false});
    return {code, out.str(), err.str()};
}

// How many leading alarms of the device hold DistinctAlarm; the rest must be zero (checked).
inline int DistinctAlarmsOn(const OrxSimulator& sim) {
    int n = 1;
    while (n <= ALARM_COUNT && sim.Alarm(n) == DistinctAlarm(n))
        ++n;
    for (int rest = n; rest <= ALARM_COUNT; ++rest)
        EXPECT_EQ(sim.Alarm(rest), AlarmRecord{}) << "alarm " << rest << " changed";
    return n - 1;
}

inline std::vector<RequestSummary> RequestsOf(const OrxSimulator& sim, BYTE function) {
    std::vector<RequestSummary> out;
    std::ranges::copy_if(sim.Requests(), std::back_inserter(out),
                         [function](const RequestSummary& r) { return r.function == function; });
    return out;
}

constexpr const char* DOWNLOAD_STEP = "Downloading Alarm %d/32";
constexpr const char* BACKUP_TEXT = "Backing up ORX...";

inline CString DownloadStatus(int n) {
    return Numbered(DOWNLOAD_STEP, n);
}

class DownloadFixture : public TransferFixture {
protected:
    DownloadFixture() : TransferFixture(ZeroedDevice()) {}

    UINT Download(const std::string& path) { return Run(IDC_DOWNLOAD, path, m_sim->Port()); }
    UINT DownloadFull() { return Download(m_dir.Write("full.csv", FullFileText())); }
    UINT Upload(const std::string& path) { return Run(IDC_UPLOAD, path, m_sim->Port()); }
    // An entry of the dialog's system menu chosen.
    UINT Menu(UINT command) { return RunWorker(*m_dlg, WM_SYSCOMMAND, command, m_sim->Port()); }
    std::vector<BackupFile> Backups() const {
        return ListBackups(m_settings.backup.path, DEFAULT_SIM_SERIAL);
    }
    // The message boxes of type (default: notes): their texts, or another part.
    std::vector<CString> BoxesOf(UINT type = MB_ICONINFORMATION | MB_OK,
                                 CString CUiEvent::*part = &CUiEvent::text) const {
        std::vector<CString> boxes;
        for (const CUiEvent& box : m_fe.Events(CUiEvent::MessageBox))
            if (box.value == static_cast<int>(type))
                boxes.push_back(box.*part);
        return boxes;
    }
    std::vector<RequestSummary> Requests(BYTE function) const {
        return RequestsOf(*m_sim, function);
    }
    int DistinctAlarmsOnDevice() const { return DistinctAlarmsOn(*m_sim); }
    // The last coil is end, and the other end's coil was never set.
    void ExpectEndCoil(WORD end) {
        const std::vector<CoilEvent> coils = m_sim->CoilEvents();
        EXPECT_EQ(coils.empty() ? CoilEvent{} : coils.back(), (CoilEvent{end, COIL_ON}));
        const WORD other =
            end == COIL_DOWNLOAD_ABORTED ? COIL_DOWNLOAD_COMPLETE : COIL_DOWNLOAD_ABORTED;
        EXPECT_EQ(std::ranges::count(coils, other, &CoilEvent::address), 0);
    }
};
