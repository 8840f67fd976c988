#include "DownloadFiles.h"

#include "cli/OrxTransfer.h"

#include "transfer/ConfigFile.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>

const char* const DOWNLOAD_FILE_HEADER =
    "ORX Configuration Transfer Utility Version 1.00.00\n"
    "Sun Dec 06 10:00:00 2026\n"
    "Serial Number: 1234567\n"
    "Alarm,Alarm,Source,Source,Output,Trip Point,Deadband,Enunciate System\n"
    "Number,Mode,Module,Channel,Relay,,,Faults\n";
const char* const DOWNLOAD_FILE_NOTE =
    "\"Alarm Mode (0 = Disabled, 1 = Trip Low, 2 = Trip High)\"\n";

namespace {
constexpr int MODES = 3;
constexpr int MODULES = 15;
constexpr int CHANNELS = 4;
constexpr int RELAYS = 9;
} // namespace

AlarmRecord DistinctAlarm(int n) {
    AlarmRecord r;
    r.mode = static_cast<WORD>(n % MODES);
    r.sourceModule = static_cast<WORD>(2 + n % MODULES);
    r.sourceChannel = static_cast<WORD>(1 + n % CHANNELS);
    r.outputRelay = static_cast<WORD>(n % RELAYS);
    r.tripPoint = static_cast<float>(n) * 1.25f - 10.0f;
    r.deadband = static_cast<float>(n) * 0.5f;
    r.enunciateFaults = n % 2 == 1;
    return r;
}

std::string DistinctRows(int first, int last) {
    std::ostringstream out;
    PrepareFileStream(out);
    for (int n = first; n <= last; ++n)
        WriteAlarmRow(out, n, DistinctAlarm(n));
    return out.str();
}

std::string FullFileText() {
    return std::string(DOWNLOAD_FILE_HEADER) + DistinctRows(1, ALARM_COUNT) + DOWNLOAD_FILE_NOTE;
}

std::string CrLf(const std::string& text) {
    return std::regex_replace(text, std::regex("\n"), "\r\n");
}

SimulatorOptions ZeroedDevice() {
    SimulatorOptions options;
    options.image = DeviceImage{};
    return options;
}

CommandRun RunCommand(const std::vector<std::string>& args, int questionFd) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = RunOrxTransfer(args, {out, err, questionFd, false});
    return {code, out.str(), err.str()};
}

int DistinctAlarmsOn(const OrxSimulator& sim) {
    int n = 1;
    while (n <= ALARM_COUNT && sim.Alarm(n) == DistinctAlarm(n))
        ++n;
    for (int rest = n; rest <= ALARM_COUNT; ++rest)
        EXPECT_EQ(sim.Alarm(rest), AlarmRecord{}) << "alarm " << rest << " changed";
    return n - 1;
}

std::vector<RequestSummary> RequestsOf(const OrxSimulator& sim, BYTE function) {
    std::vector<RequestSummary> out;
    for (const RequestSummary& request : sim.Requests())
        if (request.function == function)
            out.push_back(request);
    return out;
}
